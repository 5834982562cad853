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
    void SetLeftTwips(int twips) override { set(QStringLiteral("left"), left, twips); }
    void SetTopTwips(int twips) override { set(QStringLiteral("top"), top, twips); }
    void SetWidthTwips(int twips) override { set(QStringLiteral("width"), width, twips); }
    void SetHeightTwips(int twips) override { set(QStringLiteral("height"), height, twips); }
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
        field = twips;
        log.append(what + QLatin1Char(' ') + QString::number(twips));
    }
};
