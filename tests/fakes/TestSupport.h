#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>

class QTcpServer;

namespace TestSupport {

// The bytes of a file under tests/fixtures, e.g. "ami/login-ok-call.bin". Empty when missing.
QByteArray Fixture(const QString &relativePath);

// Port settings are 16-bit signed numbers, so servers the program is pointed at must listen
// below 32768, where the system's ephemeral ports (32768 and up on Linux) do not reach.
bool ListenOnSmallPort(QTcpServer &server, const QHostAddress &address = QHostAddress::LocalHost);
// A port below 32768 that was free on every interface a moment ago.
quint16 FreeSmallPort();

} // namespace TestSupport
