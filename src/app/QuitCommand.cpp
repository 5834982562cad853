// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QuitCommand.h"

#include "app/frmMain.h"
#include "base/Failure.h"
#include "platform/ISettingsStore.h"
#include "settings/SettingsTable.h"

#include <QLoggingCategory>
#include <QPushButton>

Q_LOGGING_CATEGORY(lcQuit, "ringscout.app", QtWarningMsg)

QuitCommand::QuitCommand(frmMain &window, ISettingsStore &store, QObject *parent)
    : QObject(parent), m_window(window), m_store(store)
{
    connect(window.cmdQuit(), &QPushButton::clicked, this, &QuitCommand::cmdQuit_Click);
    connect(&window, &frmMain::closed, this, &QuitCommand::quitRequested);
}

void QuitCommand::cmdQuit_Click()
{
    const QList<int> twips = m_window.normalGeometryTwips();
    try {
        m_store.writeSettings(
            SettingsTable::geometryValues(twips[0], twips[1], twips[2], twips[3]));
    } catch (const Failure &failure) {
        // Quit ends the program whatever happens; a position not saved is no reason to stay.
        qCWarning(lcQuit) << failure.what();
    }
    emit quitRequested();
}
