// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Call.h"

#include <QByteArrayView>
#include <QString>
#include <QVarLengthArray>

#include <optional>

// Finds the caller to pop in a Manager Interface message: a Dial event with a usable caller
// number whose destination matches the extension filter.
namespace DialScan {

// `message` is one whole message as received (see AmiFramer), with or without its empty line;
// `extensions` is the AsteriskExtension setting: "" for any destination, else a list such as
// "101,102" matched as substrings of the destination channel, letter case ignored.
std::optional<Call> callerOf(QByteArrayView message, const QString &extensions);

// False for a message that opens with an event that is no dial, as nearly every message does:
// its first eleven bytes tell, and nothing more need be read of it.
bool mayBeDial(QByteArrayView message);

// What one message comes to, for the log as well: no dial at all, a caller to pop, or a dial
// passed over and why.
struct Verdict
{
    bool isDial = false;
    // Number and name only; the fields below say the rest.
    std::optional<Call> caller;
    // Why a dial pops nothing ("destination not among the extensions"); null otherwise.
    const char *reason = nullptr;
    // As the event gives them, as far as it was read: "DialBegin", "PJSIP/101-00000001".
    QString event;
    QString destination;
    QString number;
    // The calling channel and its IDs: "PJSIP/trunk-00000002", "1796701183.37",
    // "1796701183.36"; empty where the event has none. Like `legs`, these are the message's
    // own bytes, good while it lives: most dials pop nothing, and only a caller needs them as
    // text (valueText).
    QByteArrayView channel;
    QByteArrayView uniqueid;
    QByteArrayView linkedid;
    // The start of a dial without a calling channel: the PBX itself rings the destination, as it
    // rings the desk phone for an Originate.
    bool placed = false;
    // The Uniqueid and Linkedid values of the dial's channels: "1796701183.36". At most four,
    // so they are kept without an allocation of their own.
    QVarLengthArray<QByteArrayView, 4> legs;
};
Verdict judge(QByteArrayView message, const QString &extensions);

// Whether a destination channel such as "SIP/101-0000002a" passes the extension filter.
bool matchesExtension(const QString &destination, const QString &extensions);

// A value of a dial as text, its escapes undone (see unescape).
QString valueText(QByteArrayView value);

// Undoes the backslash escapes that Asterisk 13.5 and later put in values:
// "Mary O\'Brien" becomes "Mary O'Brien".
QString unescape(const QString &value);

} // namespace DialScan
