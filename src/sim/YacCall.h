// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Plays a YAC caller-ID server: one connection to Ringscout's YAC port carrying one call
// message, "@CALL<name>~<number>", then the connection is closed.
namespace YacCall {

// The message for a call, or an empty one with `error` set when the name would not survive
// the trip: the listener takes the first "~" as the end of the name.
QByteArray message(const QString &name, const QString &number, QString *error);

// Sends the call and reports on standard output whether Ringscout accepted the connection.
// Returns the exit code: 0 when the call went out.
int send(const QString &host, quint16 port, const QString &name, const QString &number,
         int timeoutMs = 5000);

} // namespace YacCall
