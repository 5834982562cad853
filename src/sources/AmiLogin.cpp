// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/AmiLogin.h"

#include "base/WireText.h"
#include "settings/Settings.h"
#include "sources/AmiField.h"

#include <QCryptographicHash>

#include <algorithm>

namespace {

constexpr QByteArrayView kGreeting("Asterisk Call Manager");
constexpr QByteArrayView kAccepted("Authentication accepted");
constexpr QByteArrayView kRefused("Authentication failed");
// Asterisk's challenge is a random number of up to 10 digits.
constexpr qsizetype kMaxChallenge = 20;

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

QString challengeAction()
{
    return QStringLiteral("Action: Challenge\r\nAuthType: MD5\r\n\r\n");
}

QByteArray challengeOf(QByteArrayView answer, QString &why)
{
    const auto response = AmiField::value(answer, "Response");
    const auto challenge = AmiField::value(answer, "Challenge");
    if (!AmiField::same(response, "Success") || !challenge) {
        const auto message = AmiField::value(answer, "Message");
        why = QStringLiteral("the PBX refused the MD5 challenge (its words: \"%1\")")
                  .arg(message ? AmiField::text(message->first(qMin(message->size(), 200)))
                               : QString());
        return {};
    }
    const bool digits = std::all_of(challenge->begin(), challenge->end(),
                                    [](char c) { return c >= '0' && c <= '9'; });
    if (challenge->isEmpty() || challenge->size() > kMaxChallenge || !digits) {
        why = QStringLiteral("the PBX's MD5 challenge is not a number of at most %1 digits "
                             "(%2 bytes)")
                  .arg(kMaxChallenge)
                  .arg(challenge->size());
        return {};
    }
    return challenge->toByteArray();
}

QString md5Action(const Settings &settings, QByteArrayView challenge)
{
    const QByteArray key = QCryptographicHash::hash(challenge.toByteArray() +
                                                        WireText::encode(settings.AsteriskPassword),
                                                    QCryptographicHash::Md5);
    return QStringLiteral("Action: Login\r\nAuthType: MD5\r\nUsername: ") +
           settings.AsteriskManager + QStringLiteral("\r\nKey: ") +
           QString::fromLatin1(key.toHex()) + QStringLiteral("\r\n\r\n");
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
