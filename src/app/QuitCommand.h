// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class ISettingsStore;
class frmMain;

// Quit: saves where the main window stands in its normal state, then asks the program to
// end. Closing the main window from its title bar also ends it, but saves nothing.
class QuitCommand : public QObject
{
    Q_OBJECT

public:
    QuitCommand(frmMain &window, ISettingsStore &store, QObject *parent = nullptr);

    // Saves the normal outer geometry in twips under "startx", "starty", "startw" and
    // "starth", in one write, then ends the program even when the write fails.
    void cmdQuit_Click();

signals:
    void quitRequested();

private:
    frmMain &m_window;
    ISettingsStore &m_store;
};
