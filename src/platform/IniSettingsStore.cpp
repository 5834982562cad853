// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/IniSettingsStore.h"

#include "base/ConfigFolder.h"
#include "base/Failure.h"
#include "base/IniText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>

Q_LOGGING_CATEGORY(lcSettings, "ringscout.settings", QtWarningMsg)

namespace {

constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;
constexpr QFile::Permissions kOthers = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                       QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

[[noreturn]] void fail(const QString &what, const QString &path, const QString &reason)
{
    throw Failure(QStringLiteral("Settings"),
                  QStringLiteral("cannot %1 %2: %3").arg(what, path, reason));
}

// A write that the system cuts short (a full disk, a file size limit) returns the part
// written without an error; QSaveFile would then commit the shortened file. Writing the rest
// brings out the error.
bool writeAll(QSaveFile &file, QByteArrayView text)
{
    while (!text.isEmpty()) {
        const qint64 written = file.write(text.data(), text.size());
        if (written <= 0)
            return false;
        text = text.sliced(written);
    }
    return true;
}

} // namespace

IniSettingsStore::IniSettingsStore(QString application, QString section, QString configDir)
    : m_application(std::move(application)), m_section(std::move(section)),
      m_configDir(std::move(configDir))
{}

QString IniSettingsStore::filePath() const
{
    return ConfigFolder::path(m_configDir) + QLatin1Char('/') + m_application +
           QStringLiteral(".ini");
}

QByteArray IniSettingsStore::readFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    if (info.permissions() & kOthers) {
        // An editor makes files readable by everyone; this one holds the Asterisk secret.
        if (QFile::setPermissions(path, kOwnerOnly))
            qCWarning(lcSettings) << "made" << path << "readable by its owner only";
        else
            qCWarning(lcSettings) << "cannot make" << path << "readable by its owner only";
    }
    // Defaults in place of settings that exist but cannot be read (a folder in the file's
    // place) would open the wrong ports and hide why.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("read"), path, file.errorString());
    return file.readAll();
}

QHash<QString, QString> IniSettingsStore::readSettings()
{
    return IniText::values(readFile(filePath()), m_section);
}

void IniSettingsStore::writeSettings(const KeyValues &values)
{
    const QString path = filePath();
    const IniText::Update update = IniText::withValues(readFile(path), m_section, values);
    if (update.refusedLine > 0)
        fail(QStringLiteral("update"), path,
             QStringLiteral("line %1 would not read back as it was (is a quote left open?)")
                 .arg(update.refusedLine));
    const QByteArray &text = update.text;
    QDir().mkpath(QFileInfo(path).absolutePath());
    // A new file, written beside the old one and renamed over it: a crash or a full disk
    // leaves the old file as it was. Owner-only before the first byte goes in.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !file.setPermissions(kOwnerOnly) || !writeAll(file, text) || !file.commit())
        fail(QStringLiteral("write"), path, file.errorString());
}
