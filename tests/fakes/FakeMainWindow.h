// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/IMainWindow.h"

#include <QStringList>
#include <utility>

// Records what the logic did to the main window, in order, and keeps its last state.
class FakeMainWindow : public IMainWindow
{
public:
    void restoreNormal() override { log.append(QStringLiteral("normal")); }
    void showAndActivate() override { setVisible(true, QStringLiteral("show")); }
    void hideWindow() override { setVisible(false, QStringLiteral("hide")); }
    // A 0 leaves that value as it is; each other one is logged.
    void setGeometryTwips(int l, int t, int w, int h) override
    {
        for (auto [field, twips] : {std::pair{&left, l}, {&top, t}, {&width, w}, {&height, h}}) {
            if (twips != 0) {
                *field = twips;
                log.append(QStringLiteral("geometry"));
            }
        }
    }
    void setCaption(const QString &) override {}
    void showMonitoring(bool) override {}
    void setNetFailVisible(bool shown) override
    {
        netFailVisible = shown;
        log.append(shown ? QStringLiteral("netfail shown") : QStringLiteral("netfail hidden"));
    }
    void setDialerEnabled(bool) override {}

    QStringList log;
    bool visible = true;
    int left = 0, top = 0, width = 0, height = 0;
    bool netFailVisible = false;

private:
    void setVisible(bool shown, const QString &step)
    {
        visible = shown;
        log.append(step);
    }
};
