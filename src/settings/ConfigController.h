#pragma once

#include <QString>
#include <QStringList>

#include <array>

struct Globals;
class IMainWindow;
class IMessageBox;
class IMonitor;
class ISettingsStore;

// A setting the Options dialog edits: its key and the control that shows it.
struct ConfigField
{
    const char *key;
    const char *control;
};

// In the order OK writes them.
inline constexpr std::array<ConfigField, 15> kConfigFields{{
    {"comPort", "comPort"},
    {"yacPort", "yacPort"},
    {"cidKey", "cidKey"},
    {"cidnameKey", "cidnameKey"},
    {"initString", "initString"},
    {"modemSettings", "modemSettings"},
    {"newwin", "newwin"},
    {"Target", "Target"},
    {"URL", "URL"},
    {"startupURL", "startupURL"},
    {"AsteriskServer", "txtAServer"},
    {"AsteriskPort", "txtAPort"},
    {"AsteriskManager", "txtAManager"},
    {"AsteriskPassword", "txtAPassword"},
    {"AsteriskExtension", "txtAExtension"},
}};

// The Options dialog's rules without its widgets: what the fields show when it opens, what OK
// writes and restarts, and what closing it does. Field texts come in the order of
// kConfigFields; newwin's is the position of its entry, "0" (Pop-up) or "1" (Browser Link!).
class ConfigController
{
public:
    ConfigController(Globals &globals, ISettingsStore &store, IMainWindow &window,
                     IMonitor &monitor, IMessageBox &box);

    // "Options - Ringscout v1.2.17".
    static QString Caption();

    // Reloads the settings and gives the fields' texts. Cancel is decided here for the
    // dialog's whole life: disabled when start-up had failed.
    QStringList Load();
    bool CancelEnabled() const { return m_cancelEnabled; }

    // Writes every field as typed, in one replacement of the store, reloads, restarts the
    // sources and shows the main window. A failure is shown under "Modem configuration error"
    // and gives false: the dialog stays open with the user's entries.
    bool Ok(const QStringList &texts);

    // The dialog has closed. True when that ends the program (start-up still failed);
    // otherwise the main window is shown again.
    bool Closed();

private:
    QStringList textsFromRecord() const;
    QStringList textsFromStore() const;

    Globals &m_globals;
    ISettingsStore &m_store;
    IMainWindow &m_window;
    IMonitor &m_monitor;
    IMessageBox &m_box;
    bool m_cancelEnabled = true;
};
