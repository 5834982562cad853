// SPDX-License-Identifier: GPL-3.0-or-later
// A YAC server's bytes become text without losing one: the text gives back exactly the bytes,
// as UTF-8 or, where they were not UTF-8, as Windows-1252. A call in it is then exactly
// "@CALL", the name, "~", the number, with no "~" in the name; only the first message of a
// connection counts.
#include "FuzzCheck.h"
#include "platform/WireText.h"
#include "sources/YacMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes = fuzzBytes(data, size);
    const QString text = WireText::Decode(bytes);
    if (text.toUtf8() != bytes) {
        FUZZ_CHECK(text.size() == bytes.size());
        for (qsizetype i = 0; i < text.size(); ++i)
            FUZZ_CHECK(WireText::Windows1252Byte(text[i].unicode()) == uchar(bytes[i]));
    }
    const QString first = YacMessage::FirstMessage(text);
    FUZZ_CHECK(text.startsWith(first) && first.indexOf(QStringLiteral("@CALL"), 1) < 0);
    if (const auto call = YacMessage::Parse(first))
        FUZZ_CHECK(QStringLiteral("@CALL") + call->name + u'~' + call->number == first &&
                   !call->name.contains(u'~'));
    else
        FUZZ_CHECK(!first.startsWith(QStringLiteral("@CALL")) || first.indexOf(u'~', 5) < 0);
    return 0;
}
