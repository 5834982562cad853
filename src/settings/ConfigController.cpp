// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ConfigController.h"

#include "Version.h"
#include "base/Failure.h"
#include "platform/AutostartEntry.h"
#include "platform/IBrowser.h"
#include "platform/IMainWindow.h"
#include "platform/IMessageBox.h"
#include "platform/ISettingsStore.h"
#include "platform/ISocketControl.h"
#include "settings/IMonitor.h"
#include "settings/LoadSettings.h"
#include "settings/SettingConversions.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"
#include "settings/StartupStatus.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

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
    if (const QString trusted = trustedCertificate(texts); !trusted.isEmpty())
        keysAndTexts.append({QStringLiteral("AsteriskCertSha256"), trusted});
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

// Over TLS, a PBX certificate that does not verify is trusted only when the user, shown its
// fingerprint, says so; a replaced certificate is asked about afresh. Empty: nothing to store.
QString ConfigController::trustedCertificate(const Texts &texts)
{
    if (texts.value(QStringLiteral("AsteriskTLS")) != QLatin1String("1") || !m_context.probe)
        return {};
    const QString fingerprint = untrustedFingerprint(texts);
    if (fingerprint.isEmpty())
        return {};
    const QString text =
        QStringLiteral("The PBX at %1 port %2 offers a TLS certificate that does not verify. "
                       "Its SHA-256 fingerprint is:\n\n%3\n\nTrust it only if this is the "
                       "fingerprint of the PBX's own certificate (on the PBX: openssl x509 "
                       "-noout -fingerprint -sha256 -in the file of tlscertfile). Trust this "
                       "certificate?")
            .arg(texts.value(QStringLiteral("AsteriskServer")),
                 texts.value(QStringLiteral("AsteriskPort")), fingerprint);
    return m_context.box.question(caption(), text) ? fingerprint : QString();
}

// Connects once, for at most 5 s, as the link would; the fingerprint of a certificate
// refused, or empty when it verified or the PBX did not answer.
QString ConfigController::untrustedFingerprint(const Texts &texts)
{
    ISocketControl &probe = *m_context.probe;
    probe.Close();
    probe.SetRemoteHost(texts.value(QStringLiteral("AsteriskServer")));
    probe.SetRemotePort(texts.value(QStringLiteral("AsteriskPort")).toInt());
    probe.setTls(true, m_context.settings.AsteriskCertSha256);
    QEventLoop loop;
    QString refused;
    QObject::connect(&probe, &ISocketControl::DataArrival, &loop, &QEventLoop::quit);
    QObject::connect(&probe, &ISocketControl::Error, &loop, [&](int number, const QString &why) {
        // "… its SHA-256 fingerprint is AB:CD:…": the last word.
        if (number == ISocketControl::kUntrustedCertificate)
            refused = why.section(u' ', -1);
        loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    probe.Connect();
    loop.exec();
    probe.Close();
    return refused;
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
