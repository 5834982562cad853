// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/PbxDialler.h"

#include "base/Failure.h"
#include "base/WireText.h"
#include "settings/Settings.h"
#include "sources/AmiField.h"
#include "sources/AsteriskClient.h"

#include <algorithm>

namespace {

// Calls whose outcome is still to come; a PBX that filters the event out never sends it.
constexpr qsizetype kMaxCalls = 16;

bool same(std::optional<QByteArrayView> value, QByteArrayView expected)
{
    return value && value->compare(expected, Qt::CaseInsensitive) == 0;
}

// What the PBX said of a call, for the user. An Originate that fails at once answers
//   "Response: Error\r\nActionID: ringscout-…-1\r\nMessage: Permission denied\r\n\r\n";
// one that was queued ends with
//   "Event: OriginateResponse\r\n…ActionID: ringscout-…-1\r\nResponse: Failure\r\n…Reason: 5\r\n"
// where Reason is how the desk phone's line ended: 1 hung up, 3 rang unanswered, 5 busy,
// 8 congested, 0 not reached at all.
QString reasonOf(QByteArrayView message, const QString &channel)
{
    if (!same(AmiField::value(message, "Event"), "OriginateResponse")) {
        const QString said = WireText::decode(AmiField::value(message, "Message").value_or(""));
        if (said.compare(QLatin1String("Permission denied"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("the PBX does not let the manager user place calls "
                                  "(Permission denied). In the PBX's manager.conf, the user "
                                  "needs originate in its write = line, e.g. write = originate");
        return said.isEmpty() ? QStringLiteral("the PBX refused it")
                              : QStringLiteral("the PBX answered \"%1\"").arg(said);
    }
    const QByteArrayView reason = AmiField::value(message, "Reason").value_or("");
    if (reason == "1")
        return QStringLiteral("the desk phone %1 turned the call down").arg(channel);
    if (reason == "3")
        return QStringLiteral("the desk phone %1 was not picked up within %2 seconds")
            .arg(channel)
            .arg(PbxDialler::kRingTimeoutMs / 1000);
    if (reason == "5")
        return QStringLiteral("the desk phone %1 is busy").arg(channel);
    if (reason == "8")
        return QStringLiteral("the PBX has no free line (congestion)");
    return QStringLiteral("the PBX could not ring the desk phone %1; check that Desk Phone "
                          "names a phone that is connected to the PBX")
        .arg(channel);
}

} // namespace

PbxDialler::PbxDialler(const Settings &settings, AsteriskClient &client, QObject *parent)
    : IDialler(parent), m_settings(settings), m_client(client)
{
    connect(&m_client, &AsteriskClient::linkDown, this, &PbxDialler::refresh);
    connect(&m_client, &AsteriskClient::actionAnswered, this, &PbxDialler::answered);
    connect(&m_client, &AsteriskClient::linkDown, this, [this](bool down) {
        m_connecting = down;
        emit settlingChanged();
    });
    // A refused login is an answer too: the same secret is refused again.
    connect(&m_client, &AsteriskClient::loginRefused, this, [this] {
        m_connecting = false;
        emit settlingChanged();
    });
}

bool PbxDialler::canDial() const
{
    return !m_settings.AsteriskChannel.isEmpty() && m_client.loggedIn();
}

QString PbxDialler::settling() const
{
    return !canDial() && m_connecting && !m_settings.AsteriskChannel.isEmpty()
               ? QStringLiteral("connecting to the PBX")
               : QString();
}

void PbxDialler::refresh()
{
    if (!m_client.loggedIn())
        m_calls.clear(); // their answers went with the connection
    if (canDial() == m_canDial)
        return;
    m_canDial = !m_canDial;
    emit availabilityChanged(m_canDial);
}

std::optional<QString> PbxDialler::dialable(const QString &typed)
{
    QString number = typed;
    number.removeIf(
        [](QChar c) { return c == u' ' || c == u'-' || c == u'.' || c == u'(' || c == u')'; });
    for (qsizetype i = 0; i < number.size(); ++i) {
        const QChar c = number[i];
        const bool digit = c >= u'0' && c <= u'9';
        if (!digit && c != u'*' && c != u'#' && !(c == u'+' && i == 0))
            return std::nullopt;
    }
    if (number == u"+")
        return std::nullopt;
    return number;
}

void PbxDialler::dial(const QString &confirmedNumber)
{
    const std::optional<QString> number = dialable(confirmedNumber);
    // The text itself stays out of the box: it may be a page's, worded to mislead.
    if (!number) {
        emit callFailed(QStringLiteral("The number cannot be dialled through the PBX: a number "
                                       "to dial holds only digits, * and #, with + in front for "
                                       "an international number (blanks, dashes, dots and "
                                       "brackets do not count)."));
        return;
    }
    if (number->isEmpty())
        return; // as with the modem: an empty field dials nothing
    const QString channel = m_settings.AsteriskChannel;
    try {
        if (channel.isEmpty())
            throw Failure(QStringLiteral("Asterisk"),
                          QStringLiteral("no Desk Phone is set in the Options dialog"));
        // CallerID: the desk phone shows the number it is about to dial.
        const QByteArray id = m_client.sendAction({{"Action", QStringLiteral("Originate")},
                                                   {"Channel", channel},
                                                   {"Context", m_settings.AsteriskContext},
                                                   {"Exten", *number},
                                                   {"Priority", QStringLiteral("1")},
                                                   {"CallerID", *number},
                                                   {"Timeout", QString::number(kRingTimeoutMs)},
                                                   {"Async", QStringLiteral("true")}});
        if (m_calls.size() == kMaxCalls)
            m_calls.removeFirst();
        m_calls.append({id, *number, channel});
    } catch (const Failure &failure) {
        emit callFailed(QStringLiteral("The call to %1 could not be placed: %2.")
                            .arg(*number, failure.description()));
    }
}

// "Response: Success" only says the call is queued; the OriginateResponse event ends it.
// Success shows nothing: the desk phone ringing is the answer.
void PbxDialler::answered(const QByteArray &actionId, const QByteArray &message)
{
    const auto call = std::find_if(m_calls.begin(), m_calls.end(),
                                   [&](const Call &c) { return c.actionId == actionId; });
    if (call == m_calls.end())
        return;
    const bool queued = same(AmiField::value(message, "Response"), "Success");
    const bool isEvent = AmiField::value(message, "Event").has_value();
    if (queued && !isEvent)
        return;
    const Call ended = *call;
    m_calls.erase(call);
    m_client.forgetAction(actionId);
    if (!queued)
        emit callFailed(QStringLiteral("The call to %1 could not be placed: %2.")
                            .arg(ended.number, reasonOf(message, ended.channel)));
}
