// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/DialScan.h"

#include "sources/AmiField.h"

#include <QStringTokenizer>

#include <cstring>
#include <type_traits>

#include <optional>

namespace {

using AmiField::sameName;

const QString kUnknown = QStringLiteral("<unknown>");

QByteArrayView trimBlanks(QByteArrayView value)
{
    while (!value.isEmpty() && value.front() == ' ')
        value = value.sliced(1);
    while (!value.isEmpty() && value.back() == ' ')
        value.chop(1);
    return value;
}

// Whether `name` is `letters` (ASCII letters only) in any letter case. For letters, setting
// the 0x20 bit folds the case and makes no other byte equal, so whole words are compared at
// once: the first and the last four or eight bytes, which may overlap.
template <size_t N> bool isName(QByteArrayView name, const char (&letters)[N])
{
    constexpr size_t n = N - 1;
    static_assert(n >= 4 && n <= 16);
    using Word = std::conditional_t<(n < 8), quint32, quint64>;
    constexpr Word fold = Word(0x2020202020202020ull);
    if (size_t(name.size()) != n)
        return false;
    Word a, b, x, y;
    std::memcpy(&a, name.data(), sizeof a);
    std::memcpy(&b, name.data() + n - sizeof b, sizeof b);
    std::memcpy(&x, letters, sizeof x);
    std::memcpy(&y, letters + n - sizeof y, sizeof y);
    return (a | fold) == (x | fold) && (b | fold) == (y | fold);
}

// The fields of one message that a dial is judged by (first line of a name wins).
struct Fields
{
    std::optional<QByteArrayView> event, subEvent, destination, destChannel, callerId, callerIdNum,
        callerIdName, channel, uniqueid, linkedid, destUniqueid, destLinkedid;

    explicit Fields(QByteArrayView message)
    {
        for (AmiField::Reader fields(message); fields.next();) {
            const bool hadEvent = event.has_value();
            take(fields.name(), fields.value());
            // Asterisk puts the event first: most messages are told apart by one line.
            if (!hadEvent && event && !isDial(*event))
                return;
        }
    }

    static bool isDial(QByteArrayView event)
    {
        return event.size() >= 4 && sameName(event.first(4), "Dial");
    }

private:
    void take(QByteArrayView name, QByteArrayView value)
    {
        // Most lines are none of these: the length alone passes them over.
        std::optional<QByteArrayView> *field = nullptr;
        switch (name.size()) {
        case 5:
            field = isName(name, "Event") ? &event : nullptr;
            break;
        case 7:
            field = isName(name, "Channel") ? &channel : nullptr;
            break;
        case 8:
            field = isName(name, "SubEvent")   ? &subEvent
                    : isName(name, "CallerID") ? &callerId
                    : isName(name, "Uniqueid") ? &uniqueid
                    : isName(name, "Linkedid") ? &linkedid
                                               : nullptr;
            break;
        case 11:
            field = isName(name, "Destination")   ? &destination
                    : isName(name, "DestChannel") ? &destChannel
                    : isName(name, "CallerIDNum") ? &callerIdNum
                                                  : nullptr;
            break;
        case 12:
            field = isName(name, "CallerIDName")   ? &callerIdName
                    : isName(name, "DestUniqueid") ? &destUniqueid
                    : isName(name, "DestLinkedid") ? &destLinkedid
                                                   : nullptr;
            break;
        default:
            break;
        }
        if (!field || *field)
            return;
        // A value ends at its first CR, as it always has for this protocol's readers.
        if (const void *cr = std::memchr(value.data(), '\r', size_t(value.size())))
            value.truncate(static_cast<const char *>(cr) - value.data());
        *field = value;
    }
};

// Asterisk 1.4:
//   "Event: Dial\r\nPrivilege: call,all\r\nSource: SIP/200-0a1b\r\n"
//   "Destination: SIP/101-0a1c\r\nCallerID: 5551234567\r\nCallerIDName: Front Desk\r\n..."
// Asterisk 1.8 to 11:
//   "Event: Dial\r\nSubEvent: Begin\r\nChannel: SIP/200-0a1b\r\nDestination: SIP/101-0a1c\r\n"
//   "CallerIDNum: 5551234567\r\nCallerIDName: Front Desk\r\n..."
// Asterisk 12 and later:
//   "Event: DialBegin\r\nChannel: Local/100@test-00000000;2\r\nCallerIDNum: 5551234567\r\n"
//   "CallerIDName: Front Desk\r\n...DestChannel: Local/101@inner-00000001;1\r\n..."
// The newer forms pop only the start of a dial, never "DialEnd", "DialState" or
// "SubEvent: End"; a dial without a calling channel (an originated call) has no
// "CallerIDNum" of its own and so no caller.
// The calling channel and the channels' IDs, by which the client knows the legs of a call it
// placed itself.
void readIds(const Fields &f, DialScan::Verdict &verdict)
{
    verdict.channel = f.channel.value_or(QByteArrayView());
    verdict.uniqueid = f.uniqueid.value_or(QByteArrayView());
    verdict.linkedid = f.linkedid.value_or(QByteArrayView());
    for (const auto &id : {f.uniqueid, f.linkedid, f.destUniqueid, f.destLinkedid}) {
        if (id && !id->isEmpty())
            verdict.legs.append(*id);
    }
}

// Asterisk 1.4 and 1.8 to 11: the number and name of "CallerID", or why there are none.
const char *readOldDial(const Fields &f, DialScan::Verdict &verdict)
{
    verdict.destination = AmiField::text(*f.destination);
    verdict.number = AmiField::text(trimBlanks(*f.callerId));
    if (f.destination->isEmpty())
        return "no destination";
    if (f.callerId->isEmpty())
        return "no caller number";
    verdict.caller = Call::of(
        verdict.number, f.callerIdName ? AmiField::text(trimBlanks(*f.callerIdName)) : QString());
    return nullptr;
}

// The start of a dial in the newer forms: its caller, or why there is none.
const char *readDialBegin(const Fields &f, QByteArrayView event, DialScan::Verdict &verdict)
{
    const bool begins =
        sameName(event, "DialBegin") ||
        (sameName(event, "Dial") && f.subEvent && sameName(trimBlanks(*f.subEvent), "Begin"));
    if (!begins && sameName(event, "Dial") && !f.subEvent)
        return f.destination ? "no caller number" : "no destination";
    if (!begins)
        return "not the start of a dial";
    verdict.placed = !f.channel;
    const auto destination = f.destChannel ? f.destChannel : f.destination;
    if (!destination || destination->isEmpty())
        return "no destination";
    verdict.destination = DialScan::valueText(*destination);
    if (!f.callerIdNum || f.callerIdNum->isEmpty())
        return "no caller number: the PBX placed the call";
    verdict.number = DialScan::valueText(trimBlanks(*f.callerIdNum));
    verdict.caller =
        Call::of(verdict.number,
                 f.callerIdName ? DialScan::valueText(trimBlanks(*f.callerIdName)) : QString());
    return nullptr;
}

// One verdict, returned from one place, so that it is built where the caller keeps it and
// never moved.
DialScan::Verdict readDial(QByteArrayView message)
{
    DialScan::Verdict verdict;
    const Fields f(message);
    if (f.event && Fields::isDial(*f.event)) {
        verdict.isDial = true;
        const QByteArrayView event = trimBlanks(*f.event);
        // Nearly every dial is a DialBegin: its name needs no text of its own.
        static const QString dialBegin = QStringLiteral("DialBegin");
        verdict.event = event == "DialBegin" ? dialBegin : AmiField::text(event);
        readIds(f, verdict);
        verdict.reason = f.destination && f.callerId ? readOldDial(f, verdict)
                                                     : readDialBegin(f, event, verdict);
    }
    return verdict;
}

} // namespace

namespace DialScan {

bool mayBeDial(QByteArrayView message)
{
    return message.size() < 11 || !isName(message.first(5), "Event") || message[5] != ':' ||
           message[6] != ' ' || isName(message.sliced(7, 4), "Dial");
}

std::optional<Call> callerOf(QByteArrayView message, const QString &extensions)
{
    if (!mayBeDial(message))
        return std::nullopt;
    return judge(message, extensions).caller;
}

Verdict judge(QByteArrayView message, const QString &extensions)
{
    Verdict verdict = mayBeDial(message) ? readDial(message) : Verdict();
    if (!verdict.caller)
        return verdict;
    if (verdict.caller->name == kUnknown)
        verdict.caller->name.clear();
    // "<unknown>" and internal extensions such as "201" are no caller to look up.
    if (verdict.number == kUnknown)
        verdict.reason = "number unknown";
    else if (verdict.number.size() <= 5)
        verdict.reason = "number too short for an outside caller";
    else if (!matchesExtension(verdict.destination, extensions))
        verdict.reason = "destination not among the extensions";
    if (verdict.reason)
        verdict.caller.reset();
    return verdict;
}

bool matchesExtension(const QString &destination, const QString &extensions)
{
    if (extensions.isEmpty())
        return true;
    // Elements keep their blanks: "101, 102" holds " 102", which needs the blank too.
    for (const QStringView extension : qTokenize(extensions, u',')) {
        if (!extension.isEmpty() && destination.contains(extension, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString valueText(QByteArrayView value)
{
    // Most values hold no backslash, and the bytes say so before any text is made.
    const QString text = AmiField::text(value);
    return value.contains('\\') ? unescape(text) : text;
}

QString unescape(const QString &value)
{
    if (!value.contains(u'\\'))
        return value;
    QString plain;
    plain.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\' && i + 1 < value.size()) {
            const QChar next = value[i + 1];
            if (next == u'\\' || next == u'\'' || next == u'"' || next == u'?') {
                plain.append(next);
                ++i;
                continue;
            }
        }
        plain.append(c);
    }
    return plain;
}

} // namespace DialScan
