#pragma once

#include "fakes/TestSupport.h"

#include <QProcess>
#include <QTemporaryDir>

// Runs the real Ringscout executable with its own temporary settings, data and cache
// folders, so nothing of the user's is read or written.
class ProgramRunner
{
public:
    explicit ProgramRunner(QString executable) : m_executable(std::move(executable)) {}
    ~ProgramRunner() { Stop(); }

    QString ConfigDir() const { return m_home.path() + QStringLiteral("/config"); }
    // Writes a setting the way the program itself stores it.
    void Set(const QString &key, const QString &value);

    bool Start();
    // Ends the program this runner started, and waits for it.
    void Stop();
    QProcess &Process() { return m_process; }

    // A TCP port below 32768 that was free a moment ago.
    static quint16 FreePort() { return TestSupport::FreeSmallPort(); }

private:
    QString m_executable;
    QTemporaryDir m_home;
    QProcess m_process;
};
