// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AutostartEntry.h"

#include "base/ConfigFolder.h"
#include "base/Failure.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

Q_LOGGING_CATEGORY(lcAutostart, "ringscout.settings", QtWarningMsg)

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

// A string value: "\" escaped (no line breaks reach it).
QString stringValue(QString text)
{
    return text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
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
// its name where that is the one on PATH (the installed program), which survives a move, and
// where the desktop cannot start it by its path: GLib looks for an Exec line's program before
// it reads "%%" as "%", and a line break ends the line.
QString AutostartEntry::program() const
{
    const QString onPath = QStandardPaths::findExecutable(kCommand);
    const QString canonical = QFileInfo(m_program).canonicalFilePath();
    if (canonical.isEmpty() ||
        (!onPath.isEmpty() && QFileInfo(onPath).canonicalFilePath() == canonical))
        return kCommand;
    if (std::any_of(m_program.begin(), m_program.end(), [](QChar c) {
            return c == QLatin1Char('%') || c.category() == QChar::Other_Control;
        })) {
        qCWarning(lcAutostart).nospace()
            << "the autostart entry starts ringscout from PATH"
            << (onPath.isEmpty() ? ", where there is none now," : "")
            << " as the desktop cannot start " << m_program << " by its path";
        return kCommand;
    }
    return m_program;
}

// TryExec: a session skips the entry once its program is gone (a purged package).
QByteArray AutostartEntry::text() const
{
    const QString command = program();
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Ringscout\n"
                          "Comment=Show your search page for the caller while the telephone "
                          "rings\n"
                          "Exec=%1\n"
                          "TryExec=%2\n"
                          "Icon=%3\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(command == kCommand ? kCommand : execArgument(command), stringValue(command),
             m_desktopId)
        .toUtf8();
}

// A new file beside the entry, renamed over it: a symbolic link in its place is replaced, never
// written through (QSaveFile would write to the link's target).
void AutostartEntry::write() const
{
    const QString path = filePath();
    const QByteArray bytes = text();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        fail(QStringLiteral("write"), path, file.errorString());
    if (::fsync(file.handle()) != 0 || std::rename(QFile::encodeName(file.fileName()).constData(),
                                                   QFile::encodeName(path).constData()) != 0)
        fail(QStringLiteral("write"), path, QString::fromLocal8Bit(std::strerror(errno)));
    file.setAutoRemove(false);
}

// Unlinks the entry: a symbolic link goes, its target stays.
void AutostartEntry::remove() const
{
    QFile file(filePath());
    if (!file.remove() && file.exists())
        fail(QStringLiteral("remove"), file.fileName(), file.errorString());
}
