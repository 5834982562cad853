// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The XDG autostart entry that starts the program with the desktop session:
// `$XDG_CONFIG_HOME/autostart/<desktop id>.desktop` (usually ~/.config/autostart/).
class AutostartEntry
{
public:
    // `program`: the executable the entry starts (the running one); `configDir` empty: the
    // user's configuration folder, looked up at each call.
    AutostartEntry(QString desktopId, QString program, QString configDir = {});

    QString filePath() const;
    QByteArray text() const;
    // Replaces the entry in one step, so a session never starts from half a file; a symbolic
    // link in its place is replaced, not followed. Throws Failure.
    void write() const;
    // Takes the entry away (a symbolic link, not its target); none there is no fault. Throws
    // Failure.
    void remove() const;

private:
    QString program() const;

    QString m_desktopId;
    QString m_program;
    QString m_configDir;
};
