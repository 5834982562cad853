// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Failure.h"

#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>

namespace TestSupport {

// The bytes of a file under tests/fixtures, e.g. "ami/login-ok-call.bin". Empty when missing.
inline QByteArray fixture(const QString &relativePath)
{
    QFile file(QStringLiteral(RINGSCOUT_FIXTURES_DIR "/") + relativePath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Port settings are 16-bit signed numbers, so servers the program is pointed at must listen
// below 32768, where the system's ephemeral ports (32768 and up on Linux) do not reach.
inline bool listenOnSmallPort(QTcpServer &server,
                              const QHostAddress &address = QHostAddress::LocalHost)
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (server.listen(address, quint16(QRandomGenerator::global()->bounded(20000, 32700))))
            return true;
    }
    return false;
}

// A port below 32768 that was free on every interface a moment ago.
inline quint16 freeSmallPort()
{
    QTcpServer probe;
    return listenOnSmallPort(probe, QHostAddress::Any) ? probe.serverPort() : 0;
}

// What `action` throws, as the user reads it ("source: description"); empty when it succeeds.
template <typename Action> QString failureOf(Action &&action)
{
    try {
        action();
    } catch (const Failure &failure) {
        return failure.text();
    }
    return {};
}

// The lines logged while it lives, as standard error shows them ("category: message"), of the
// categories `rules` turns on; `after` is the rules it leaves behind.
struct LogLines : QStringList
{
    static inline LogLines *current = nullptr;
    const QtMessageHandler previous;
    const QString after;
    explicit LogLines(const QString &rules = QStringLiteral("ringscout.*=true"),
                      const QString &after = {})
        : previous(qInstallMessageHandler(
              [](QtMsgType, const QMessageLogContext &context, const QString &text) {
                  *current << QString::fromLatin1(context.category) + QStringLiteral(": ") + text;
              })),
          after(after)
    {
        current = this;
        QLoggingCategory::setFilterRules(rules);
    }
    ~LogLines()
    {
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(after);
    }
};

// Runs openssl in `dir`; its output, or "" when it failed.
inline QString openssl(const QString &dir, const QString &arguments)
{
    QProcess run;
    run.setWorkingDirectory(dir);
    run.start(QStringLiteral("openssl"), arguments.split(u' '));
    return run.waitForFinished(30000) && run.exitCode() == 0 ? run.readAll() + ' ' : QString();
}

} // namespace TestSupport
