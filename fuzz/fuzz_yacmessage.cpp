// SPDX-License-Identifier: GPL-3.0-or-later
// A YAC server's bytes become text without losing one: each character is a valid UTF-8
// sequence of the bytes or, for a byte outside one, that byte as Windows-1252. A call in it is
// then exactly "@CALL", the name, "~", the number, with no "~" in the name; only the first
// message of a connection counts.
#include "FuzzCheck.h"
#include "base/WireText.h"
#include "sources/YacMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes = fuzzBytes(data, size);
    const QString text = WireText::decode(bytes);
    qsizetype at = 0;
    for (qsizetype i = 0, n; i < text.size(); i += n) {
        n = text[i].isHighSurrogate() ? 2 : 1;
        const QByteArray utf8 = text.sliced(i, n).toUtf8();
        const bool same = bytes.sliced(at).startsWith(utf8);
        FUZZ_CHECK(same || (at < bytes.size() &&
                            WireText::windows1252Byte(text[i].unicode()) == uchar(bytes[at])));
        at += same ? utf8.size() : 1;
    }
    FUZZ_CHECK(at == bytes.size());
    const QString first = YacMessage::firstMessage(text);
    FUZZ_CHECK(text.startsWith(first) && first.indexOf(QStringLiteral("@CALL"), 1) < 0);
    if (const auto call = YacMessage::parse(first))
        FUZZ_CHECK(QStringLiteral("@CALL") + call->name + u'~' + call->number == first &&
                   !call->name.contains(u'~'));
    else
        FUZZ_CHECK(!first.startsWith(QStringLiteral("@CALL")) || first.indexOf(u'~', 5) < 0);
    return 0;
}
