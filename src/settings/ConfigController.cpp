#include "settings/ConfigController.h"

#include "Version.h"
#include "app/IMonitor.h"
#include "platform/Failure.h"
#include "platform/IMainWindow.h"
#include "platform/IMessageBox.h"
#include "platform/ISettingsStore.h"
#include "settings/Globals.h"
#include "settings/LoadSettings.h"
#include "settings/SettingConversions.h"

ConfigController::ConfigController(Globals &globals, ISettingsStore &store, IMainWindow &window,
                                   IMonitor &monitor, IMessageBox &box)
    : m_globals(globals), m_store(store), m_window(window), m_monitor(monitor), m_box(box)
{}

QString ConfigController::Caption()
{
    return QStringLiteral("Options - %1 v%2.%3.%4")
        .arg(QLatin1String(Version::Title))
        .arg(Version::Major)
        .arg(Version::Minor)
        .arg(Version::Revision);
}

QStringList ConfigController::Load()
{
    m_cancelEnabled = !m_globals.startupFailed;
    try {
        LoadSettings(m_globals, m_store, m_window);
    } catch (const Failure &) {
        // The record is only half reloaded; what the store holds shows the bad value where
        // the user can correct it.
        return textsFromStore();
    }
    return textsFromRecord();
}

QStringList ConfigController::textsFromRecord() const
{
    const Globals &g = m_globals;
    return {QString::number(g.comPort),
            QString::number(g.yacPort),
            g.cidKey,
            g.cidnameKey,
            g.initString,
            g.modemSettings,
            g.newwin ? QStringLiteral("1") : QStringLiteral("0"),
            g.Target,
            g.URL,
            g.startupURL,
            g.AsteriskServer,
            QString::number(g.AsteriskPort),
            g.AsteriskManager,
            g.AsteriskPassword,
            g.AsteriskExtension};
}

QStringList ConfigController::textsFromStore() const
{
    QStringList texts;
    for (const ConfigField &field : kConfigFields) {
        const QString key = QString::fromLatin1(field.key);
        QString text = SettingDefault(key);
        try {
            text = m_store.ReadSetting(m_globals.appName, m_globals.sectionName, key, text);
        } catch (const Failure &) {
            // A store that cannot be read at all (a folder in the file's place) shows the
            // defaults; OK then reports why it cannot write them.
        }
        if (key == QLatin1String("newwin")) {
            // The list can only show its two entries; a text that is no number shows as off.
            bool on = false;
            try {
                on = SettingConversions::ToBoolean(key, text);
            } catch (const Failure &) {
            }
            text = on ? QStringLiteral("1") : QStringLiteral("0");
        }
        texts.append(text);
    }
    return texts;
}

bool ConfigController::Ok(const QStringList &texts)
{
    QList<std::pair<QString, QString>> keysAndTexts;
    for (std::size_t i = 0; i < kConfigFields.size(); ++i)
        keysAndTexts.append({QString::fromLatin1(kConfigFields[i].key), texts.value(int(i))});
    try {
        m_store.WriteSettings(m_globals.appName, m_globals.sectionName, keysAndTexts);
        LoadSettings(m_globals, m_store, m_window);
        m_monitor.StartMonitor();
        m_window.ShowAndActivate();
    } catch (const Failure &failure) {
        m_box.Critical(QStringLiteral("Modem configuration error"), failure.Text());
        return false;
    }
    return true;
}

bool ConfigController::Closed()
{
    if (m_globals.startupFailed)
        return true;
    m_window.ShowAndActivate();
    return false;
}
