// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ConfigController.h"

#include "Version.h"
#include "base/Failure.h"
#include "platform/AutostartEntry.h"
#include "platform/IMainWindow.h"
#include "platform/IMessageBox.h"
#include "platform/ISettingsStore.h"
#include "settings/IMonitor.h"
#include "settings/LoadSettings.h"
#include "settings/SettingConversions.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"
#include "settings/StartupStatus.h"

#include <QCoreApplication>

ConfigController::ConfigController(const ConfigContext &context) : m_context(context)
{}

QString ConfigController::Caption()
{
    return QStringLiteral("Options - %1 v%2")
        .arg(QLatin1String(Version::Title), QLatin1String(Version::Text));
}

ConfigController::Texts ConfigController::Load()
{
    m_cancelEnabled = !m_context.startup.Failed();
    Texts texts;
    try {
        LoadSettings(m_context.settings, m_context.store, m_context.window);
        texts = textsFromRecord();
    } catch (const Failure &) {
        // The record is only half reloaded; what the store holds shows the bad value where
        // the user can correct it.
        texts = textsFromStore();
    }
    m_startsWithSession = texts.value(QStringLiteral("StartWithSession")) == QLatin1String("1");
    return texts;
}

ConfigController::Texts ConfigController::textsFromRecord() const
{
    Texts texts;
    for (const char *name : SettingsTable::kOptionsKeys) {
        const QString key = QString::fromLatin1(name);
        texts.insert(key, SettingsTable::Find(key)->text(m_context.settings));
    }
    return texts;
}

ConfigController::Texts ConfigController::textsFromStore() const
{
    QHash<QString, QString> stored;
    try {
        stored = m_context.store.ReadSettings();
    } catch (const Failure &) {
        // A store that cannot be read at all (a folder in the file's place) shows the
        // defaults; OK then reports why it cannot write them.
    }
    Texts texts;
    for (const char *name : SettingsTable::kOptionsKeys) {
        const QString key = QString::fromLatin1(name);
        QString text =
            stored.value(key, QString::fromLatin1(SettingsTable::Find(key)->defaultText));
        if (key == QLatin1String("newwin") || key == QLatin1String("StartWithSession")) {
            // The list and the check box show on or off; a text that is no number shows off.
            bool on = false;
            try {
                on = SettingConversions::ToBoolean(key, text);
            } catch (const Failure &) {
            }
            text = on ? QStringLiteral("1") : QStringLiteral("0");
        }
        texts.insert(key, text);
    }
    return texts;
}

bool ConfigController::Ok(const Texts &texts)
{
    ISettingsStore::KeyValues keysAndTexts;
    for (const char *name : SettingsTable::kOptionsKeys) {
        const QString key = QString::fromLatin1(name);
        keysAndTexts.append({key, texts.value(key)});
    }
    Settings &settings = m_context.settings;
    try {
        m_context.store.WriteSettings(keysAndTexts);
        LoadSettings(settings, m_context.store, m_context.window);
        applyStartWithSession();
        m_context.monitor.StartMonitor();
        m_context.window.ShowAndActivate();
    } catch (const Failure &failure) {
        m_context.box.Critical(QStringLiteral("Modem configuration error"), failure.Text());
        return false;
    }
    return true;
}

// Only a change takes an entry away: one the user made with the desktop's own tools
// (GNOME Tweaks copies the menu's entry under this name) stays while the box stays off.
void ConfigController::applyStartWithSession()
{
    const AutostartEntry entry(QString::fromUtf8(Version::DesktopId),
                               QCoreApplication::applicationFilePath());
    if (m_context.settings.StartWithSession)
        entry.write();
    else if (m_startsWithSession)
        entry.remove();
    m_startsWithSession = m_context.settings.StartWithSession;
}

bool ConfigController::Closed()
{
    if (m_context.startup.Failed())
        return true;
    m_context.window.ShowAndActivate();
    return false;
}
