// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/AmiLogin.h"

#include "settings/Settings.h"
#include "sources/AmiField.h"

namespace {

constexpr QByteArrayView kGreeting("Asterisk Call Manager");
constexpr QByteArrayView kAccepted("Authentication accepted");
constexpr QByteArrayView kRefused("Authentication failed");

} // namespace

namespace AmiLogin {

bool greets(QByteArrayView firstLine)
{
    return firstLine.contains(kGreeting);
}

QString unsendable(const Settings &settings)
{
    if (AmiField::holdsControl(settings.AsteriskManager))
        return QStringLiteral("Asterisk Manager");
    if (AmiField::holdsControl(settings.AsteriskPassword))
        return QStringLiteral("Password");
    return {};
}

QString action(const Settings &settings)
{
    return QStringLiteral("Action: login\r\nUsername: ") + settings.AsteriskManager +
           QStringLiteral("\r\nSecret: ") + settings.AsteriskPassword + QStringLiteral("\r\n\r\n");
}

// The answer, "Response: Error\r\nMessage: Authentication failed\r\n\r\n", is taken only as a
// whole line, its name as Asterisk spells it: a caller may well be named "Authentication
// failed", and events carry caller names, which would otherwise drop the connection.
Answer answerOf(QByteArrayView message)
{
    // Nearly every message is an event without these words: a search spares reading its lines.
    if (!message.contains("Authentication "))
        return Answer::None;
    for (AmiField::Reader fields(message); fields.next();) {
        if (fields.name() == "Message" && fields.value() == kAccepted)
            return Answer::Accepted;
        if (fields.name() == "Message" && fields.value() == kRefused)
            return Answer::Refused;
    }
    return Answer::None;
}

} // namespace AmiLogin
