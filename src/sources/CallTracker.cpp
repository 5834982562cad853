// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/CallTracker.h"

#include "sources/AmiField.h"

#include <QDateTime>

#include <algorithm>

namespace {

using AmiField::same;
using AmiField::sameName;

// Calls ring for a minute at most, but a PBX that filters out their ends would fill the table.
constexpr qsizetype kMaxTracked = 256;

// The fields an end is told by, first of each name; a value ends at its first CR.
struct EndFields
{
    std::optional<QByteArrayView> event, subEvent, uniqueid, destUniqueid, dialStatus, cause;

    explicit EndFields(QByteArrayView message)
    {
        for (AmiField::Reader fields(message); fields.next();) {
            QByteArrayView value = fields.value();
            if (const qsizetype cr = value.indexOf('\r'); cr >= 0)
                value.truncate(cr);
            for (auto [known, into] : {std::pair{"Event", &event},
                                       {"SubEvent", &subEvent},
                                       {"Uniqueid", &uniqueid},
                                       {"DestUniqueid", &destUniqueid},
                                       {"DialStatus", &dialStatus},
                                       {"Cause", &cause}}) {
                if (!*into && sameName(fields.name(), known))
                    *into = value;
            }
            // Asterisk puts the event first: most messages are told apart by one line.
            if (event && !same(event, "DialEnd") && !same(event, "Dial") && !same(event, "Hangup"))
                return;
        }
    }
};

QString text(std::optional<QByteArrayView> value)
{
    return value ? AmiField::text(*value) : QString();
}

} // namespace

void CallTracker::popped(QByteArrayView dial)
{
    const QString id = text(AmiField::value(dial, "Uniqueid"));
    // One report a call: a ring group's second desk is the same call.
    if (id.isEmpty() || std::any_of(m_calls.begin(), m_calls.end(),
                                    [&](const Tracked &call) { return call.id == id; }))
        return;
    track({id, text(AmiField::value(dial, "DestUniqueid")), {}, false, {}});
}

void CallTracker::placing(const QByteArray &actionId)
{
    track({{}, {}, actionId, false, actionId});
}

void CallTracker::track(Tracked call)
{
    if (m_calls.size() == kMaxTracked)
        m_calls.removeFirst();
    m_calls.append(std::move(call));
}

void CallTracker::deskRang(QByteArrayView actionId, const QString &deskLeg)
{
    for (Tracked &call : m_calls) {
        if (call.actionId == actionId && call.id.isEmpty())
            call.id = deskLeg;
    }
}

std::optional<CallEnd> CallTracker::answered(QByteArrayView actionId, QByteArrayView message)
{
    const auto call = std::find_if(m_calls.begin(), m_calls.end(),
                                   [&](const Tracked &c) { return c.actionId == actionId; });
    if (call == m_calls.end())
        return std::nullopt;
    const qsizetype index = call - m_calls.begin();
    const auto response = AmiField::value(message, "Response");
    if (!same(AmiField::value(message, "Event"), "OriginateResponse")) {
        // "Originate successfully queued": the OriginateResponse tells the rest.
        if (!same(response, "Success"))
            m_calls.removeAt(index);
        return std::nullopt;
    }
    // "Uniqueid: 1796701183.36", the desk phone's leg; "<unknown>" when there is none.
    const QString leg = text(AmiField::value(message, "Uniqueid"));
    if (call->id.isEmpty())
        call->id = leg.isEmpty() || leg.startsWith(u'<') ? QString::fromLatin1(actionId) : leg;
    call->actionId.clear();
    if (!same(response, "Success"))
        return end(index, CallOutcome::Failed,
                   QStringLiteral("Reason: ") + text(AmiField::value(message, "Reason")));
    return std::nullopt;
}

std::optional<CallEnd> CallTracker::event(QByteArrayView message)
{
    const EndFields f(message);
    if (same(f.event, "DialEnd") || (same(f.event, "Dial") && same(f.subEvent, "End")))
        return dialEnded(text(f.uniqueid), text(f.destUniqueid), f.dialStatus.value_or(""));
    if (same(f.event, "Hangup"))
        return hungUp(text(f.uniqueid), f.cause.value_or(""));
    return std::nullopt;
}

// The end of the dial that rang the desk (for a call we placed: of the desk phone's dial to the
// far end). Asterisk 1.8 to 11 name no destination in "SubEvent: End".
std::optional<CallEnd> CallTracker::dialEnded(const QString &id, const QString &deskLeg,
                                              QByteArrayView status)
{
    const auto call = std::find_if(m_calls.begin(), m_calls.end(), [&](const Tracked &c) {
        return !id.isEmpty() && c.id == id && !c.cancelled &&
               (c.deskLeg.isEmpty() || deskLeg.isEmpty() || c.deskLeg == deskLeg);
    });
    if (call == m_calls.end())
        return std::nullopt;
    const QString detail = AmiField::text(status);
    const qsizetype index = call - m_calls.begin();
    if (same(status, "CANCEL")) {
        call->cancelled = true;
        return std::nullopt;
    }
    if (same(status, "ANSWER"))
        return end(index, CallOutcome::AnsweredHere, detail);
    if (same(status, "BUSY") || same(status, "CONGESTION") || same(status, "CHANUNAVAIL"))
        return end(index, CallOutcome::Busy, detail);
    // NOANSWER, and the rarer ABORT, CONTINUE and GOTO: the desk did not take the call.
    return end(index, CallOutcome::NotAnswered, detail);
}

// After a CANCEL the desk phone's channel hangs up with cause 26 when another phone answered,
// else (16) because the caller hung up.
std::optional<CallEnd> CallTracker::hungUp(const QString &leg, QByteArrayView cause)
{
    const auto call = std::find_if(m_calls.begin(), m_calls.end(), [&](const Tracked &c) {
        return c.cancelled && !leg.isEmpty() && (c.deskLeg.isEmpty() ? c.id : c.deskLeg) == leg;
    });
    if (call == m_calls.end())
        return std::nullopt;
    const bool elsewhere = cause == "26";
    return end(call - m_calls.begin(),
               elsewhere ? CallOutcome::AnsweredElsewhere : CallOutcome::CallerGaveUp,
               QStringLiteral("CANCEL, Cause: ") + AmiField::text(cause));
}

CallEnd CallTracker::end(qsizetype index, CallOutcome outcome, const QString &detail)
{
    const Tracked &call = m_calls[index];
    CallEnd ended{call.placedAs.isEmpty() ? call.id : QString::fromLatin1(call.placedAs), outcome,
                  QDateTime::currentDateTime(), detail};
    m_calls.removeAt(index);
    return ended;
}
