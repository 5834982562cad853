// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ConfigController.h"

#include "Version.h"
#include "base/Failure.h"
#include "platform/AutostartEntry.h"
#include "platform/IBrowser.h"
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

#include <optional>
#include <utility>

ConfigController::ConfigController(const ConfigContext &context) : m_context(context)
{}

QString ConfigController::caption()
{
    return QStringLiteral("Options - %1 v%2")
        .arg(QLatin1String(Version::Title), QLatin1String(Version::Text));
}

ConfigController::Texts ConfigController::load()
{
    m_cancelEnabled = !m_context.startup.failed();
    m_owesStartupPage = m_context.startup.failed();
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
        texts.insert(key, SettingsTable::find(key)->text(m_context.settings));
    }
    return texts;
}

ConfigController::Texts ConfigController::textsFromStore() const
{
    QHash<QString, QString> stored;
    try {
        stored = m_context.store.readSettings();
    } catch (const Failure &) {
        // A store that cannot be read at all (a folder in the file's place) shows the
        // defaults; OK then reports why it cannot write them.
    }
    Texts texts;
    for (const char *name : SettingsTable::kOptionsKeys) {
        const QString key = QString::fromLatin1(name);
        QString text =
            stored.value(key, QString::fromLatin1(SettingsTable::find(key)->defaultText));
        if (key == QLatin1String("newwin") || key == QLatin1String("StartWithSession") ||
            key == QLatin1String("CallList") || key == QLatin1String("Notifications")) {
            // The list and the check box show on or off; a text that is no number shows off.
            bool on = false;
            try {
                on = SettingConversions::toBoolean(key, text);
            } catch (const Failure &) {
            }
            text = on ? QStringLiteral("1") : QStringLiteral("0");
        }
        texts.insert(key, text);
    }
    return texts;
}

bool ConfigController::ok(const Texts &texts)
{
    ISettingsStore::KeyValues keysAndTexts;
    for (const char *name : SettingsTable::kOptionsKeys) {
        const QString key = QString::fromLatin1(name);
        keysAndTexts.append({key, texts.value(key)});
    }
    try {
        m_context.store.writeSettings(keysAndTexts);
        LoadSettings(m_context.settings, m_context.store, m_context.window);
    } catch (const Failure &failure) {
        m_context.box.critical(QStringLiteral("Modem configuration error"), failure.text());
        return false;
    }
    // The session's entry has nothing to do with the call sources: neither failure may keep
    // the other's settings from taking effect.
    std::optional<Failure> autostartFailure;
    try {
        applyStartWithSession();
    } catch (const Failure &failure) {
        autostartFailure = failure;
    }
    bool started = true;
    try {
        m_context.monitor.StartMonitor();
        m_context.window.showAndActivate();
    } catch (const Failure &failure) {
        m_context.box.critical(QStringLiteral("Modem configuration error"), failure.text());
        started = false;
    }
    if (autostartFailure)
        m_context.box.critical(QStringLiteral("Start with the session"), autostartFailure->text());
    return started;
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

bool ConfigController::closed()
{
    if (m_context.startup.failed())
        return true;
    // A start-up that failed ends here as it would have, with its page.
    if (std::exchange(m_owesStartupPage, false) && !m_context.settings.startupURL.isEmpty())
        m_context.browser.navigate(m_context.settings.startupURL);
    m_context.window.showAndActivate();
    return false;
}
