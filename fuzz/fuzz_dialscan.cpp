// SPDX-License-Identifier: GPL-3.0-or-later
// The Dial scan on arbitrary text, and on real-shaped events whose values carry arbitrary
// text: whatever a value holds, no field is ever taken from inside it.
#include "FuzzCheck.h"
#include "sources/DialScan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input = fuzzBytes(data, size);
    (void)DialScan::callerOf(input, QString::fromLatin1(input.first(qMin<qsizetype>(size, 4))));
    // One line's worth: no CR or LF, so the value cannot end its line.
    const QByteArray v = input.toByteArray().replace('\r', ' ').replace('\n', ' ');
    const QByteArray events[] = {
        "Event: DialBegin\r\nChannel: " + v + "\r\nCallerIDNum: 5551234567\r\nCallerIDName: " + v +
            "\r\nDestChannel: SIP/101-1\r\nDestCallerIDNum: " + v + "\r\n\r\n",
        "Event: Dial\r\nSubEvent: Begin\r\nDestination: SIP/101-1\r\nCallerIDNum: 5551234567\r\n"
        "CallerIDName: " +
            v + "\r\n\r\n",
        "Event: Dial\r\nSource: " + v +
            "\r\nDestination: SIP/101-1\r\nCallerID: 5551234567\r\n"
            "CallerIDName: " +
            v + "\r\n\r\n",
    };
    for (const QByteArray &event : events) {
        const auto caller = DialScan::callerOf(event, QStringLiteral("101"));
        FUZZ_CHECK(caller && caller->number == QStringLiteral("5551234567"));
    }
    // A value holding a whole Dial event of its own is still just a value.
    FUZZ_CHECK(!DialScan::callerOf("Event: Newstate\r\nCallerIDName: " + v + "\r\n\r\n", {}));
    return 0;
}
