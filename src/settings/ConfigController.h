// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/ConfigContext.h"

#include <QHash>
#include <QString>

// The Options dialog's rules without its widgets: what the fields show when it opens, what OK
// writes and restarts, and what closing it does. Field texts go by the key of their setting
// (SettingsTable::kOptionsKeys); newwin's is the position of its entry, "0" (Pop-up) or "1"
// (Browser Link!).
class ConfigController
{
public:
    using Texts = QHash<QString, QString>;

    explicit ConfigController(const ConfigContext &context);

    // "Options - Ringscout v1.2.17".
    static QString caption();

    // Reloads the settings and gives the fields' texts. Cancel is decided here for the
    // dialog's whole life: disabled when start-up had failed.
    Texts load();
    bool cancelEnabled() const { return m_cancelEnabled; }

    // Writes every field as typed, in one replacement of the store, reloads, writes or
    // removes the session's autostart entry, restarts the sources and shows the main window. A
    // failure to reload or restart is shown under "Modem configuration error" and gives false:
    // the dialog stays open with the user's entries. One to write the autostart entry is shown
    // under "Start with the session" and keeps nothing else from taking effect.
    bool ok(const Texts &texts);

    // The dialog has closed. True when that ends the program (start-up still failed);
    // otherwise the main window is shown again, after a failed start-up with its start-up page.
    bool closed();

private:
    Texts textsFromRecord() const;
    Texts textsFromStore() const;
    void applyStartWithSession();
    QString trustedCertificate(const Texts &texts);
    QString untrustedFingerprint(const Texts &texts);

    ConfigContext m_context;
    bool m_cancelEnabled = true;
    bool m_startsWithSession = false; // what the check box showed, or what OK last applied
    bool m_owesStartupPage = false;   // opened after a failed start-up, not yet put right
};
