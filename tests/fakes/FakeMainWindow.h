#pragma once

#include "platform/IMainWindow.h"

#include <QStringList>

// Records what the logic did to the main window, in order, and keeps its last state.
class FakeMainWindow : public IMainWindow
{
public:
    void RestoreNormal() override
    {
        log.append(QStringLiteral("normal"));
        minimised = false;
    }
    void ShowAndActivate() override
    {
        log.append(QStringLiteral("show"));
        visible = true;
    }
    void Hide() override
    {
        log.append(QStringLiteral("hide"));
        visible = false;
    }
    // Logs each value that is not 0: "left 1920", "top 600", ...
    void SetGeometryTwips(int l, int t, int w, int h) override
    {
        set(QStringLiteral("left"), left, l);
        set(QStringLiteral("top"), top, t);
        set(QStringLiteral("width"), width, w);
        set(QStringLiteral("height"), height, h);
    }
    void SetCaption(const QString &text) override { caption = text; }
    void SetToggleCaption(const QString &text) override { toggleCaption = text; }
    void SetNetFailVisible(bool visible) override
    {
        netFailVisible = visible;
        log.append(visible ? QStringLiteral("netfail shown") : QStringLiteral("netfail hidden"));
    }

    void SetDialerEnabled(bool enabled) override { dialerEnabled = enabled; }

    QStringList log;
    bool dialerEnabled = true;
    bool visible = true;
    bool minimised = false;
    int left = 0, top = 0, width = 0, height = 0;
    QString caption;
    QString toggleCaption;
    bool netFailVisible = false;

private:
    void set(const QString &what, int &field, int twips)
    {
        if (twips == 0)
            return;
        field = twips;
        log.append(what + QLatin1Char(' ') + QString::number(twips));
    }
};
