#include "platform/IniSettingsStore.h"

#include "platform/Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace {

constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

// A value typed by hand without quotes that holds a comma ("115200,N,8,1") comes back from
// QSettings as a list; the raw line of the file still has the text as the user wrote it.
QString rawValue(const QString &filePath, const QString &section, const QString &key)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool inSection = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inSection = line.compare(QLatin1Char('[') + section + QLatin1Char(']'),
                                     Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (inSection && eq > 0 && line.left(eq).trimmed() == key)
            return line.mid(eq + 1).trimmed();
    }
    return {};
}

} // namespace

IniSettingsStore::IniSettingsStore(QString configDir) : m_configDir(std::move(configDir))
{}

QString IniSettingsStore::FilePath(const QString &application) const
{
    const QString dir =
        m_configDir.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            : m_configDir;
    return dir + QLatin1Char('/') + application + QStringLiteral(".ini");
}

QString IniSettingsStore::ReadSetting(const QString &application, const QString &section,
                                      const QString &key, const QString &defaultValue)
{
    const QString path = FilePath(application);
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(section);
    if (!settings.contains(key))
        return defaultValue;
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QStringList)
        return rawValue(path, section, key);
    return value.toString();
}

void IniSettingsStore::WriteSetting(const QString &application, const QString &section,
                                    const QString &key, const QString &text)
{
    WriteSettings(application, section, {{key, text}});
}

void IniSettingsStore::WriteSettings(const QString &application, const QString &section,
                                     const QList<std::pair<QString, QString>> &keysAndTexts)
{
    const QString path = FilePath(application);
    if (!QFileInfo::exists(path)) {
        // Create the file owner-only before the first secret goes into it.
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(kOwnerOnly))
            throw Failure(QStringLiteral("Settings"),
                          QStringLiteral("cannot create %1: %2").arg(path, file.errorString()));
    }
    {
        // One sync of one QSettings object: the file is replaced once, atomically.
        QSettings settings(path, QSettings::IniFormat);
        settings.beginGroup(section);
        for (const auto &[key, text] : keysAndTexts)
            settings.setValue(key, text);
        settings.endGroup();
        settings.sync();
        if (settings.status() != QSettings::NoError)
            throw Failure(QStringLiteral("Settings"),
                          QStringLiteral("cannot write %1: the file or its folder is not "
                                         "writable, or the disk is full")
                              .arg(path));
    }
    QFile::setPermissions(path, kOwnerOnly);
}
