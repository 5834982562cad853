// SPDX-License-Identifier: GPL-3.0-or-later
// The modem's read step over any bytes: a popped number is text that stood between the number
// key and a CR, a popped name holds no line end, the buffer keeps to its bound, and cutting a
// tick's bytes into several reads changes nothing.
// The first byte picks the keys, how the reads are cut and whether each tick's bytes come 64
// times over (to reach the bound); NUL bytes part the ticks.
#include "FuzzCheck.h"
#include "base/WireText.h"
#include "sources/ModemBuffer.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const QStringList keys[] = {{"NMBR = ", "NAME = "}, {"#", "@@"}, {"", "NAME = "}};
    const QStringList &key = keys[data[0] % 3];
    const int repeat = data[0] & 0x80 ? 64 : 1;
    const qsizetype piece = ((data[0] >> 2 & 7) + 1) * (repeat > 1 ? 97 : 1);
    ModemBuffer whole, cut;
    QByteArray stream;
    for (QByteArrayView rest = fuzzBytes(data, size).sliced(1);;) {
        const qsizetype end = rest.indexOf('\0');
        const QByteArray read = (end < 0 ? rest : rest.first(end)).toByteArray().repeated(repeat);
        stream += read;
        whole.append(read);
        for (qsizetype at = 0; at < read.size(); at += piece)
            cut.append(QByteArrayView(read).sliced(at, qMin(piece, read.size() - at)));
        const auto caller = whole.readStep(key[0], key[1]).caller,
                   same = cut.readStep(key[0], key[1]).caller;
        FUZZ_CHECK(whole.text() == cut.text() && whole.ticks() == cut.ticks());
        FUZZ_CHECK(whole.text().size() <= ModemBuffer::kMaxBuffer && bool(caller) == bool(same));
        if (caller) {
            FUZZ_CHECK(caller->number == same->number && caller->name == same->name);
            FUZZ_CHECK(caller->number.size() > 1 && !caller->number.contains(u'\r'));
            FUZZ_CHECK(WireText::decode(stream).contains(key[0] + caller->number + u'\r'));
            FUZZ_CHECK(!caller->name.contains(u'\r') && !caller->name.contains(u'\n'));
        }
        if (end < 0)
            break;
        rest = rest.sliced(end + 1);
    }
    return 0;
}
