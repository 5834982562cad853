// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/PbxDialer.h"

#include "base/Failure.h"
#include "base/WireText.h"
#include "settings/Settings.h"
#include "sources/AmiField.h"
#include "sources/AsteriskClient.h"

#include <QLoggingCategory>

#include <algorithm>
#include <climits>
#include <utility>

Q_LOGGING_CATEGORY(lcDial, "ringscout.dial", QtWarningMsg)

namespace {

// Calls whose outcome is still to come; a PBX that filters the event out never sends it.
constexpr qsizetype kMaxCalls = 16;
// Outside text in a --verbose line is cut here.
constexpr qsizetype kLogCut = 120;

using AmiField::same;

// The PBX's own free text, for a box that says whose words they are: without control,
// format or separator characters, which could reorder or break the box's lines, and cut.
QString pbxWords(QByteArrayView said)
{
    QString text = WireText::decode(said.first(qMin(said.size(), qsizetype(200))));
    text.removeIf([](QChar c) {
        const QChar::Category kind = c.category();
        return kind == QChar::Other_Control || kind == QChar::Other_Format ||
               kind == QChar::Separator_Line || kind == QChar::Separator_Paragraph;
    });
    return said.size() > 200 ? text + QStringLiteral("…") : text;
}

QString originateRefused(const QString &manager)
{
    return QStringLiteral("the PBX does not let the manager user \"%1\" place calls (the PBX's "
                          "own words: \"Permission denied\"). In the PBX's manager.conf, the "
                          "user needs originate in its write = line, e.g. write = originate")
        .arg(manager);
}

// What the PBX said of a call, for the user, with the setting most likely at fault. An
// Originate that fails at once answers
//   "Response: Error\r\nActionID: ringscout-…\r\nMessage: Extension does not exist.\r\n\r\n";
// one that was queued ends with
//   "Event: OriginateResponse\r\n…ActionID: ringscout-…\r\nResponse: Failure\r\n…Reason: 5\r\n"
// where Reason is how the desk phone's line ended: 1 hung up, 3 rang unanswered, 5 busy,
// 8 congested, 0 not reached at all. Empty for Reason 0: whether Desk Phone is at fault
// depends on what follows (see answered).
QString reasonOf(QByteArrayView message, const QString &number, const QString &channel,
                 const QString &context, const QString &manager)
{
    if (!same(AmiField::value(message, "Event"), "OriginateResponse")) {
        const QByteArrayView said = AmiField::value(message, "Message").value_or("");
        if (same(said, "Permission denied"))
            return originateRefused(manager);
        // Both the dialplan and the context itself may lack the extension: name both.
        if (same(said, "Extension does not exist."))
            return QStringLiteral("the PBX finds no way to dial %1 in the Dial Context \"%2\" "
                                  "(the PBX's own words: \"Extension does not exist.\"). Check "
                                  "that Dial Context in the Options dialog names the context "
                                  "your phone's calls go out in, and that it dials this number")
                .arg(number, context);
        // Asterisk says so of a Channel without "technology/": "101" for "PJSIP/101".
        if (same(said, "Invalid channel"))
            return QStringLiteral("the PBX does not take the Desk Phone \"%1\" as a channel (the "
                                  "PBX's own words: \"Invalid channel\"). Desk Phone in the "
                                  "Options dialog must name your phone with its technology, e.g. "
                                  "\"%2\"")
                .arg(channel, channel.contains(u'/') ? QStringLiteral("PJSIP/101")
                                                     : QStringLiteral("PJSIP/") + channel);
        return said.isEmpty() ? QStringLiteral("the PBX refused it without a reason")
                              : QStringLiteral("the PBX refused it, in its own words: \"%1\"")
                                    .arg(pbxWords(said));
    }
    const QByteArrayView reason = AmiField::value(message, "Reason").value_or("");
    if (reason == "1")
        return QStringLiteral("the desk phone %1 turned the call down").arg(channel);
    if (reason == "3")
        return QStringLiteral("the desk phone %1 was not picked up within %2 seconds")
            .arg(channel, QString::number(PbxDialer::kRingTimeoutMs / 1000));
    if (reason == "5")
        return QStringLiteral("the desk phone %1 is busy").arg(channel);
    if (reason == "8")
        return QStringLiteral("the PBX has no free line (congestion)");
    return {};
}

QString notPlaced(const QString &number, const QString &why)
{
    return QStringLiteral("The call to %1 could not be placed: %2.").arg(number, why);
}

// Throws Failure, naming the setting, when Desk Phone or Dial Context cannot be sent.
void checkDialSettings(const QString &channel, const QString &context)
{
    if (channel.isEmpty())
        throw Failure(QStringLiteral("Asterisk"),
                      QStringLiteral("no Desk Phone is set in the Options dialog"));
    for (const auto &[label, value] : {std::pair{"Desk Phone (AsteriskChannel)", channel},
                                       {"Dial Context (AsteriskContext)", context}})
        if (AmiField::holdsControl(value))
            throw Failure(QStringLiteral("Asterisk"),
                          QStringLiteral("%1 in the Options dialog holds a line break or "
                                         "another control character, which the PBX would "
                                         "read as the end of its line; type it again "
                                         "without one")
                              .arg(QLatin1String(label)));
}

QString refusedBefore(const QString &number, const QString &manager)
{
    return QStringLiteral("The call to %1 was not sent: the PBX refused the manager user "
                          "\"%2\" calls earlier on this connection (the PBX's own words: "
                          "\"Permission denied\"). In the PBX's manager.conf, the user "
                          "needs originate in its write = line, e.g. write = originate; "
                          "Ringscout asks again after its next login.")
        .arg(number, manager);
}

} // namespace

PbxDialer::PbxDialer(const Settings &settings, AsteriskClient &client, QObject *parent)
    : IDialer(parent), m_settings(settings), m_client(client)
{
    m_due.setSingleShot(true);
    connect(&m_due, &QTimer::timeout, this, &PbxDialer::overdue);
    connect(&m_client, &AsteriskClient::linkDown, this, &PbxDialer::refresh);
    connect(&m_client, &AsteriskClient::actionAnswered, this, &PbxDialer::answered);
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

bool PbxDialer::canDial() const
{
    return !m_settings.AsteriskChannel.isEmpty() && m_client.loggedIn();
}

QString PbxDialer::settling() const
{
    return !canDial() && m_connecting && !m_settings.AsteriskChannel.isEmpty()
               ? QStringLiteral("connecting to the PBX")
               : QString();
}

void PbxDialer::refresh()
{
    if (!m_client.loggedIn()) {
        // Their answers went with the connection: a call the PBX had queued may ring the desk
        // phone yet, or not; a failure held back was most likely the PBX going away.
        for (const Call &call : std::exchange(m_calls, {})) {
            if (!call.heldBack.isEmpty())
                fail(call.actionId, call.number,
                     notPlaced(call.number,
                               QStringLiteral("the PBX ended the call to the desk phone %1, and "
                                              "the link to the PBX was lost right after: most "
                                              "likely the PBX was stopped or restarted, and "
                                              "Desk Phone is not at fault. Dial again once the "
                                              "PBX is back")
                                   .arg(call.channel)));
            else
                emit callFailed(QStringLiteral("The call to %1 may or may not have been placed: "
                                               "the link to the PBX was lost before the PBX said "
                                               "whether it rang the desk phone %2. Look at the "
                                               "desk phone before you dial again.")
                                    .arg(call.number, call.channel));
        }
        m_due.stop();
    } else if (!m_loggedIn) {
        m_originateRefused = false; // a new login may have been given the right
    }
    m_loggedIn = m_client.loggedIn();
    if (canDial() == m_canDial)
        return;
    m_canDial = !m_canDial;
    emit availabilityChanged(m_canDial);
}
std::optional<QString> PbxDialer::dialable(const QString &typed)
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

void PbxDialer::dial(const QString &confirmedNumber)
{
    const std::optional<QString> number = dialable(confirmedNumber);
    // The text itself stays out of the box: it may be a page's, worded to mislead.
    if (!number) {
        emit callFailed(
            QStringLiteral("The number cannot be dialled through the PBX: a number to dial holds "
                           "only digits, * and #, with + in front for an international number "
                           "(blanks, dashes, dots and brackets do not count)."));
        return;
    }
    if (number->isEmpty())
        return; // as with the modem: an empty field dials nothing
    const QString channel = m_settings.AsteriskChannel, context = m_settings.AsteriskContext;
    try {
        checkDialSettings(channel, context);
        // Asking again would only be refused again, and the box would come late.
        if (m_originateRefused) {
            qCDebug(lcDial) << "Originate not sent: refused before on this connection";
            fail({}, *number, refusedBefore(*number, m_settings.AsteriskManager));
            return;
        }
        // No CallerID: Originate's CallerID is the caller ID of the desk phone's line, which
        // the PBX then presents to the far end as well (a plain Dial() outbound route shows
        // the far end its own number), and Asterisk has no Originate field for the desk
        // phone's display alone. Without it the PBX presents the desk's own, as for a call
        // dialled on the phone.
        const QByteArray id = m_client.sendAction({{"Action", QStringLiteral("Originate")},
                                                   {"Channel", channel},
                                                   {"Context", context},
                                                   {"Exten", *number},
                                                   {"Priority", QStringLiteral("1")},
                                                   {"Timeout", QString::number(kRingTimeoutMs)},
                                                   {"Async", QStringLiteral("true")}});
        emit callPlaced(placedCall(QString::fromLatin1(id), *number));
        qCDebug(lcDial) << "Originate sent:" << id << "desk phone" << channel.left(kLogCut)
                        << "context" << context.left(kLogCut) << "number" << number->left(kLogCut);
        if (m_calls.size() == kMaxCalls)
            m_calls.removeFirst();
        m_calls.append({id,
                        *number,
                        channel,
                        context,
                        QDeadlineTimer(m_client.intervals().originateAnswer),
                        {}});
        rearm();
    } catch (const Failure &failure) {
        fail({}, *number, notPlaced(*number, failure.description()));
    }
}

// "Response: Success" only says the call is queued; the OriginateResponse event ends it.
// Success shows nothing: the desk phone ringing is the answer.
void PbxDialer::answered(const QByteArray &actionId, const QByteArray &message)
{
    const auto call = std::find_if(m_calls.begin(), m_calls.end(),
                                   [&](const Call &c) { return c.actionId == actionId; });
    if (call == m_calls.end() || !call->heldBack.isEmpty())
        return;
    const bool queued = same(AmiField::value(message, "Response"), "Success");
    const bool isEvent = AmiField::value(message, "Event").has_value();
    qCDebug(lcDial)
        << "answer to" << actionId << (isEvent ? "(its outcome):" : ":") << "Response"
        << WireText::decode(AmiField::value(message, "Response").value_or("")).left(kLogCut)
        << (isEvent ? "Reason" : "Message")
        << WireText::decode(AmiField::value(message, isEvent ? "Reason" : "Message").value_or(""))
               .left(kLogCut);
    if (queued && !isEvent)
        return;
    m_client.forgetAction(actionId);
    if (same(AmiField::value(message, "Message"), "Permission denied"))
        m_originateRefused = true;
    const QString why = queued ? QString()
                               : reasonOf(message, call->number, call->channel, call->context,
                                          m_settings.AsteriskManager);
    if (!queued && why.isEmpty()) {
        // The desk phone was not reached. An orderly stop of the PBX ends the desk phone's
        // line the same way just before the link goes: told only if the link stays.
        call->heldBack = QStringLiteral("the PBX could not ring the desk phone %1; check that "
                                        "Desk Phone in the Options dialog names a phone that is "
                                        "connected to the PBX")
                             .arg(call->channel);
        call->due = QDeadlineTimer(m_client.intervals().linkLostGrace);
        qCDebug(lcDial) << "outcome of" << actionId << ": not placed, the desk phone not reached";
        rearm();
        return;
    }
    const Call ended = *call;
    m_calls.erase(call);
    rearm();
    qCDebug(lcDial) << "outcome of" << actionId
                    << (queued ? ": placed, the desk phone answered" : ": not placed");
    if (!queued)
        fail(ended.actionId, ended.number, notPlaced(ended.number, why));
}

// A call whose answer is overdue may be ringing the desk phone yet: the PBX was silent, not
// refusing.
void PbxDialer::overdue()
{
    const QList<Call> calls = m_calls;
    for (const Call &call : calls) {
        if (!call.due.hasExpired())
            continue;
        m_calls.removeIf([&](const Call &c) { return c.actionId == call.actionId; });
        m_client.forgetAction(call.actionId);
        if (!call.heldBack.isEmpty()) {
            fail(call.actionId, call.number, notPlaced(call.number, call.heldBack));
            continue;
        }
        qCDebug(lcDial) << "outcome of" << call.actionId << ": no answer in time";
        emit callFailed(
            QStringLiteral("The call to %1 may or may not have been placed: the PBX did not say "
                           "within %2 seconds whether it rang the desk phone %3. Look at the "
                           "desk phone before you dial again.")
                .arg(call.number,
                     QString::number((m_client.intervals().originateAnswer + 999) / 1000),
                     call.channel));
    }
    rearm();
}

// The call as the list keeps it: the number as dialled, through the desk phone, told by the
// Originate's ActionID as the PBX's report of its end will be.
::Call PbxDialer::placedCall(const QString &id, const QString &number) const
{
    ::Call call = ::Call::of(number, {});
    call.id = id;
    call.direction = ::Call::Direction::Out;
    call.pops = false;
    call.channel = m_settings.AsteriskChannel;
    call.recognisedBy(::Call::Source::Asterisk,
                      m_settings.AsteriskServer + u':' + QString::number(m_settings.AsteriskPort));
    return call;
}

// The box, and the call's end for the list first: the box waits for the user. A call refused
// before it was sent is listed too, as the user dialled it.
void PbxDialer::fail(const QByteArray &actionId, const QString &number, const QString &box)
{
    ::Call call = placedCall(QString::fromLatin1(actionId), number);
    if (actionId.isEmpty())
        emit callPlaced(call);
    emit placedCallEnded({call.id, CallOutcome::Failed, QDateTime::currentDateTime(), box});
    emit callFailed(box);
}

void PbxDialer::rearm()
{
    if (m_calls.isEmpty()) {
        m_due.stop();
        return;
    }
    const auto next =
        std::min_element(m_calls.begin(), m_calls.end(), [](const Call &a, const Call &b) {
            return a.due.deadline() < b.due.deadline();
        });
    m_due.start(int(qBound(qint64(0), next->due.remainingTime(), qint64(INT_MAX))));
}
