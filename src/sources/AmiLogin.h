// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

struct Settings;

// The plain Manager Interface login: the greeting that asks for it, the action that sends it,
// and the answer that accepts or refuses it.
namespace AmiLogin {

// Whether the connection's first line is a Manager Interface's greeting.
bool greets(QByteArrayView firstLine);

// The setting ("Asterisk Manager", "Password") that holds a control character and so cannot
// go into the login; empty when both can.
QString unsendable(const Settings &settings);

// The login action for the manager name and secret of the settings.
QString action(const Settings &settings);

enum class Answer { None, Accepted, Refused };
// What one message says of the login.
Answer answerOf(QByteArrayView message);

} // namespace AmiLogin
