#include "e2e/ProgramRunner.h"

#include "fakes/TestSupport.h"
#include "platform/IniSettingsStore.h"

#include <QTcpServer>

ProgramRunner::ProgramRunner(QString executable) : m_executable(std::move(executable))
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

ProgramRunner::~ProgramRunner()
{
    Stop();
}

void ProgramRunner::Set(const QString &key, const QString &value)
{
    IniSettingsStore(ConfigDir())
        .WriteSetting(QStringLiteral("Belvane"), QStringLiteral("settings"), key, value);
}

bool ProgramRunner::Start()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), ConfigDir());
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path() + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), m_home.path() + QStringLiteral("/cache"));
    env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    if (!env.contains(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS")))
        env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("--disable-gpu"));
    m_process.setProcessEnvironment(env);
    m_process.start(m_executable, {});
    return m_process.waitForStarted(10000);
}

void ProgramRunner::Stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

quint16 ProgramRunner::FreePort()
{
    return TestSupport::FreeSmallPort();
}
