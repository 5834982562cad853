// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/DialScan.h"

#include "base/AmiMessageEnd.h"
#include "base/WireText.h"

#include <QStringTokenizer>

#include <optional>

namespace {

const QString kUnknown = QStringLiteral("<unknown>");

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

QByteArrayView trimBlanks(QByteArrayView value)
{
    while (!value.isEmpty() && value.front() == ' ')
        value = value.sliced(1);
    while (!value.isEmpty() && value.back() == ' ')
        value.chop(1);
    return value;
}

// The fields of one message that a dial is judged by, each from a whole line
// "Name: value\r\n" (name in any letter case, first line of a name wins). Text inside a value
// is never taken as a field: a caller named "Destination: 101 CallerID: 5550009999" stays
// a name.
struct Fields
{
    std::optional<QByteArrayView> event, subEvent, destination, destChannel, callerId, callerIdNum,
        callerIdName, channel, uniqueid, linkedid, destUniqueid, destLinkedid;

    explicit Fields(QByteArrayView message)
    {
        while (!message.isEmpty()) {
            qsizetype end = AmiMessageEnd::find(message, AmiMessageEnd::kLineEnd);
            if (end < 0)
                end = message.size();
            // The empty line closes the message.
            if (end == 0)
                return;
            take(message.first(end));
            // Asterisk puts the event first: most messages are told apart by one line.
            if (event && !isDial(*event))
                return;
            message = message.sliced(qMin(end + 2, message.size()));
        }
    }

    static bool isDial(QByteArrayView event)
    {
        return event.size() >= 4 && sameName(event.first(4), "Dial");
    }

private:
    void take(QByteArrayView line)
    {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || colon + 1 >= line.size() || line[colon + 1] != ' ')
            return;
        const QByteArrayView name = line.first(colon);
        // A value ends at its first CR, as it always has for this protocol's readers.
        QByteArrayView value = line.sliced(colon + 2);
        if (const qsizetype cr = value.indexOf('\r'); cr >= 0)
            value.truncate(cr);
        const struct
        {
            QByteArrayView name;
            std::optional<QByteArrayView> *field;
        } known[] = {
            {"Event", &event},
            {"SubEvent", &subEvent},
            {"Destination", &destination},
            {"DestChannel", &destChannel},
            {"CallerID", &callerId},
            {"CallerIDNum", &callerIdNum},
            {"CallerIDName", &callerIdName},
            {"Channel", &channel},
            {"Uniqueid", &uniqueid},
            {"Linkedid", &linkedid},
            {"DestUniqueid", &destUniqueid},
            {"DestLinkedid", &destLinkedid},
        };
        for (const auto &k : known) {
            if (sameName(name, k.name)) {
                if (!*k.field)
                    *k.field = value;
                return;
            }
        }
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
DialScan::Verdict readDial(QByteArrayView message)
{
    DialScan::Verdict verdict;
    const Fields f(message);
    if (!f.event || !Fields::isDial(*f.event))
        return verdict;
    verdict.isDial = true;
    const QByteArrayView event = trimBlanks(*f.event);
    verdict.event = WireText::decode(event);
    // The channels' IDs, by which the client knows the legs of a call it placed itself.
    for (const auto &id : {f.uniqueid, f.linkedid, f.destUniqueid, f.destLinkedid}) {
        if (id && !id->isEmpty())
            verdict.legs.append(WireText::decode(*id));
    }
    const auto passOver = [&verdict](const char *reason) {
        verdict.reason = reason;
        return verdict;
    };

    if (f.destination && f.callerId) {
        verdict.destination = WireText::decode(*f.destination);
        verdict.number = WireText::decode(trimBlanks(*f.callerId));
        if (f.destination->isEmpty())
            return passOver("no destination");
        if (f.callerId->isEmpty())
            return passOver("no caller number");
        verdict.caller = {verdict.number, f.callerIdName
                                              ? WireText::decode(trimBlanks(*f.callerIdName))
                                              : QString()};
        return verdict;
    }

    const bool begins =
        sameName(event, "DialBegin") ||
        (sameName(event, "Dial") && f.subEvent && sameName(trimBlanks(*f.subEvent), "Begin"));
    if (!begins && sameName(event, "Dial") && !f.subEvent)
        return passOver(f.destination ? "no caller number" : "no destination");
    if (!begins)
        return passOver("not the start of a dial");
    verdict.placed = !f.channel;
    const auto destination = f.destChannel ? f.destChannel : f.destination;
    if (!destination || destination->isEmpty())
        return passOver("no destination");
    verdict.destination = DialScan::unescape(WireText::decode(*destination));
    if (!f.callerIdNum || f.callerIdNum->isEmpty())
        return passOver("no caller number: the PBX placed the call");
    verdict.number = DialScan::unescape(WireText::decode(trimBlanks(*f.callerIdNum)));
    verdict.caller = {verdict.number,
                      f.callerIdName
                          ? DialScan::unescape(WireText::decode(trimBlanks(*f.callerIdName)))
                          : QString()};
    return verdict;
}

} // namespace

namespace DialScan {

std::optional<Caller> callerOf(QByteArrayView message, const QString &extensions)
{
    return judge(message, extensions).caller;
}

Verdict judge(QByteArrayView message, const QString &extensions)
{
    Verdict verdict = readDial(message);
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
