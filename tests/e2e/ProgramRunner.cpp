#include "e2e/ProgramRunner.h"

#include "platform/IniSettingsStore.h"

void ProgramRunner::Set(const QString &key, const QString &value)
{
    IniSettingsStore(ConfigDir())
        .WriteSetting(QStringLiteral("Belvane"), QStringLiteral("settings"), key, value);
}

bool ProgramRunner::Start()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString folder : {"config", "data", "cache"})
        env.insert("XDG_" + folder.toUpper() + "_HOME", m_home.path() + '/' + folder);
    env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    if (!env.contains(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS")))
        env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("--disable-gpu"));
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
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
