#pragma once

#include "platform/IMainWindow.h"

#include <QStringList>
#include <tuple>

// Records what the logic did to the main window, in order, and keeps its last state.
class FakeMainWindow : public IMainWindow
{
public:
    void RestoreNormal() override { log.append(QStringLiteral("normal")); }
    void ShowAndActivate() override { visible = true, log.append(QStringLiteral("show")); }
    void Hide() override { visible = false, log.append(QStringLiteral("hide")); }
    // A 0 leaves that value as it is; each other one is logged: "left 1920", ...
    void SetGeometryTwips(int l, int t, int w, int h) override
    {
        for (auto [name, field, twips] : {std::tuple{"left", &left, l},
                                          {"top", &top, t},
                                          {"width", &width, w},
                                          {"height", &height, h}}) {
            if (twips != 0)
                *field = twips, log.append(QStringLiteral("%1 %2").arg(name).arg(twips));
        }
    }
    void SetCaption(const QString &) override {}
    void SetToggleCaption(const QString &) override {}
    void SetNetFailVisible(bool shown) override
    {
        netFailVisible = shown;
        log.append(shown ? QStringLiteral("netfail shown") : QStringLiteral("netfail hidden"));
    }
    void SetDialerEnabled(bool) override {}

    QStringList log;
    bool visible = true;
    int left = 0, top = 0, width = 0, height = 0;
    bool netFailVisible = false;
};
