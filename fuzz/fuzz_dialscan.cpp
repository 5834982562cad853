// The Dial scan on arbitrary text, and on real-shaped events whose values carry arbitrary
// text: whatever a value holds, no field is ever taken from inside it.
#include "FuzzCheck.h"
#include "sources/DialScan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input = fuzzBytes(data, size);
    const qsizetype split = input.indexOf('\0');
    const QString extensions = split < 0 ? QString()
                                         : QString::fromLatin1(input.sliced(split + 1).first(
                                               qMin<qsizetype>(8, input.size() - split - 1)));
    (void)DialScan::FirstCaller(input, extensions);

    // One line's worth: no CR or LF, so the value cannot end its line.
    QByteArray value = input.toByteArray();
    value.replace('\r', ' ').replace('\n', ' ');
    const QByteArray events[] = {
        "Event: DialBegin\r\nChannel: " + value + "\r\nCallerIDNum: 5551234567\r\nCallerIDName: " +
            value + "\r\nDestChannel: SIP/101-1\r\nDestCallerIDNum: " + value + "\r\n\r\n",
        "Event: Dial\r\nSubEvent: Begin\r\nDestination: SIP/101-1\r\nCallerIDNum: 5551234567\r\n"
        "CallerIDName: " +
            value + "\r\n\r\n",
        "Event: Dial\r\nSource: " + value +
            "\r\nDestination: SIP/101-1\r\nCallerID: 5551234567\r\n"
            "CallerIDName: " +
            value + "\r\n\r\n",
    };
    for (const QByteArray &event : events) {
        const auto caller = DialScan::FirstCaller(event, QStringLiteral("101"));
        FUZZ_CHECK(caller && caller->number == QStringLiteral("5551234567"));
    }
    // A value holding a whole Dial event of its own is still just a value.
    const QByteArray quiet = "Event: Newstate\r\nCallerIDName: " + value + "\r\n\r\n";
    FUZZ_CHECK(!DialScan::FirstCaller(quiet, QString()));
    return 0;
}
