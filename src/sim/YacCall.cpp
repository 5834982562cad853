// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/YacCall.h"

#include "base/WireText.h"
#include "sim/Console.h"

#include <QTcpSocket>

namespace YacCall {

QByteArray message(const QString &name, const QString &number, QString *error)
{
    if (name.contains(QLatin1Char('~'))) {
        *error = QStringLiteral("the name must not contain \"~\": it separates name and number");
        return {};
    }
    return WireText::encode(QStringLiteral("@CALL") + name + QLatin1Char('~') + number);
}

int send(const QString &host, quint16 port, const QString &name, const QString &number,
         int timeoutMs)
{
    QString error;
    const QByteArray bytes = message(name, number, &error);
    if (bytes.isEmpty()) {
        Console::complain(QStringLiteral("ringscout-sim yac: ") + error);
        return 2;
    }
    const QString where = QStringLiteral("%1:%2").arg(host).arg(port);
    QTcpSocket socket;
    socket.connectToHost(host, port);
    if (!socket.waitForConnected(timeoutMs)) {
        Console::say(QStringLiteral("Not accepted: %1 refused the connection (%2). Is Ringscout "
                                    "running, with yacPort=%3 in its settings?")
                         .arg(where, socket.errorString())
                         .arg(port));
        return 1;
    }
    Console::say(QStringLiteral("Accepted: connected to %1.").arg(where));
    socket.write(bytes);
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState &&
        !socket.waitForDisconnected(timeoutMs)) {
        Console::say(QStringLiteral("Not sent: %1").arg(socket.errorString()));
        return 1;
    }
    Console::say(QStringLiteral("Sent %1 (%2 bytes) and closed the connection.")
                     .arg(QString::fromUtf8(bytes))
                     .arg(bytes.size()));
    return 0;
}

} // namespace YacCall
