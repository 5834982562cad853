// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ConfigController.h"

#include "Version.h"
#include "base/Failure.h"
#include "platform/IMainWindow.h"
#include "platform/IMessageBox.h"
#include "platform/ISettingsStore.h"
#include "settings/IMonitor.h"
#include "settings/LoadSettings.h"
#include "settings/SettingConversions.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"
#include "settings/StartupStatus.h"

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
    try {
        LoadSettings(m_context.settings, m_context.store, m_context.window);
    } catch (const Failure &) {
        // The record is only half reloaded; what the store holds shows the bad value where
        // the user can correct it.
        return textsFromStore();
    }
    return textsFromRecord();
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
        if (key == QLatin1String("newwin")) {
            // The list can only show its two entries; a text that is no number shows as off.
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
        m_context.monitor.StartMonitor();
        m_context.window.ShowAndActivate();
    } catch (const Failure &failure) {
        m_context.box.Critical(QStringLiteral("Modem configuration error"), failure.Text());
        return false;
    }
    return true;
}

bool ConfigController::Closed()
{
    if (m_context.startup.Failed())
        return true;
    m_context.window.ShowAndActivate();
    return false;
}
