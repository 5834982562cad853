// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AutostartEntry.h"

#include "base/ConfigFolder.h"
#include "base/Failure.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

const QString kCommand = QStringLiteral("ringscout");

[[noreturn]] void fail(const QString &what, const QString &path, const QString &reason)
{
    throw Failure(QStringLiteral("Autostart"),
                  QStringLiteral("cannot %1 %2: %3").arg(what, path, reason));
}

// An argument of an Exec line: "%" doubled, and where a reserved character occurs the whole
// in double quotes with ", `, $ and \ escaped; then a string value's own escaping of "\".
QString execArgument(QString argument)
{
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    const QString reserved = QStringLiteral(" \t\"'\\><~|&;$*?#()`");
    if (std::any_of(argument.begin(), argument.end(),
                    [&](QChar c) { return reserved.contains(c); })) {
        for (const char *c : {"\\", "\"", "`", "$"})
            argument.replace(QLatin1String(c), QLatin1String("\\") + QLatin1String(c));
        argument = QLatin1Char('"') + argument + QLatin1Char('"');
    }
    return argument.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
}

} // namespace

AutostartEntry::AutostartEntry(QString desktopId, QString program, QString configDir)
    : m_desktopId(std::move(desktopId)), m_program(std::move(program)),
      m_configDir(std::move(configDir))
{}

QString AutostartEntry::filePath() const
{
    return ConfigFolder::path(m_configDir) + QStringLiteral("/autostart/") + m_desktopId +
           QStringLiteral(".desktop");
}

// The running program by its path, so that a build started from its folder starts again; by
// its name where that is the one on PATH (the installed program), which survives a move.
QString AutostartEntry::execLine() const
{
    const QString onPath = QStandardPaths::findExecutable(kCommand);
    const QString program = QFileInfo(m_program).canonicalFilePath();
    const bool printable = std::none_of(m_program.begin(), m_program.end(), [](QChar c) {
        return c.category() == QChar::Other_Control;
    });
    if (program.isEmpty() || !printable ||
        (!onPath.isEmpty() && QFileInfo(onPath).canonicalFilePath() == program))
        return kCommand;
    return execArgument(m_program);
}

QByteArray AutostartEntry::text() const
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Ringscout\n"
                          "Comment=Show your search page for the caller while the telephone "
                          "rings\n"
                          "Exec=%1\n"
                          "Icon=%2\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execLine(), m_desktopId)
        .toUtf8();
}

void AutostartEntry::write() const
{
    const QString path = filePath();
    const QByteArray bytes = text();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        fail(QStringLiteral("write"), path, file.errorString());
}

void AutostartEntry::remove() const
{
    QFile file(filePath());
    if (!file.remove() && file.exists())
        fail(QStringLiteral("remove"), file.fileName(), file.errorString());
}
