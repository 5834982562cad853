// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

struct Settings;

// The Manager Interface login: the greeting that asks for it, the MD5 challenge and the
// actions that send it, and the answer that accepts or refuses it.
namespace AmiLogin {

// Whether the connection's first line is a Manager Interface's greeting.
bool greets(QByteArrayView firstLine);

// The setting ("Asterisk Manager", "Password") that holds a control character and so cannot
// go into the login; empty when both can.
QString unsendable(const Settings &settings);

// The plain login action, with the secret in it, for the manager name and secret of the
// settings.
QString action(const Settings &settings);

// Asks for the challenge of the MD5 login, which sends only md5(challenge + secret).
QString challengeAction();
// The challenge of the PBX's answer to challengeAction(): "Response: Success\r\nChallenge:
// 445174750"; empty, with `why` set, when the PBX refused it or sent something we do not
// take (not a number, or one far longer than Asterisk's).
QByteArray challengeOf(QByteArrayView answer, QString &why);
// The MD5 login action: "Key" is the lower-case hex MD5 of the challenge and the secret.
QString md5Action(const Settings &settings, QByteArrayView challenge);

enum class Answer { None, Accepted, Refused };
// What one message says of the login.
Answer answerOf(QByteArrayView message);

} // namespace AmiLogin
