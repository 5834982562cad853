// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/IniSettingsStore.h"

#include <QProcess>
#include <QTemporaryDir>

// Runs the real Ringscout executable, which the build names in RINGSCOUT_EXE, with its own
// temporary settings, data and cache folders, so nothing of the user's is read or written.
class ProgramRunner
{
public:
    // Ends the program this runner started, by its PID, and waits for it.
    ~ProgramRunner()
    {
        process.terminate();
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    QString configDir() const { return m_home.path() + QStringLiteral("/config"); }
    // Writes a setting the way the program itself stores it.
    void set(const QString &key, const QString &value)
    {
        IniSettingsStore(QStringLiteral("Belvane"), QStringLiteral("settings"), configDir())
            .WriteSetting(key, value);
    }

    // Starts `program` (the first instance, or a second start with `arguments`) with --verbose.
    bool start(QProcess &program, const QStringList &arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString folder : {"config", "data", "cache"})
            env.insert("XDG_" + folder.toUpper() + "_HOME", m_home.path() + '/' + folder);
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
        const QString flags = QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS");
        env.insert(flags, env.value(flags, QStringLiteral("--disable-gpu")));
        program.setProcessEnvironment(env);
        // What --verbose logs is for the test to read.
        program.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        program.start(QStringLiteral(RINGSCOUT_EXE), QStringList{"--verbose"} + arguments);
        return program.waitForStarted(10000);
    }
    bool start() { return start(process); }

    QProcess process;

private:
    QTemporaryDir m_home;
};
