// SPDX-License-Identifier: GPL-3.0-or-later
// The Manager Interface framer, fed the same stream whole and cut at arbitrary points: the
// greeting and the messages it hands on must not depend on the cuts, and it never keeps more
// than its bound.
#include "FuzzCheck.h"
#include "sources/AmiFramer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    // The first byte picks the bound, the second seeds the cuts; the rest is the stream.
    const qsizetype bound = data[0] % 2 ? AmiFramer::DefaultMaxTail : 16 + data[0];
    quint32 seed = data[1] * 2654435761u + 1;
    const QByteArrayView stream = fuzzBytes(data + 2, size - 2);
    // What a framer hands on, end to end: one greeting at most, then whole messages.
    const auto feed = [bound](AmiFramer &framer, QByteArrayView read, QByteArray &out) {
        const AmiFramer::Frames &frames = framer.feed(read);
        FUZZ_CHECK(framer.tailSize() <= bound && (out.isEmpty() || frames.greeting.isEmpty()));
        out += frames.greeting;
        for (const QByteArrayView message : frames.messages) {
            FUZZ_CHECK(message.endsWith("\r\n\r\n"));
            out += message;
        }
    };
    AmiFramer whole(bound), cut(bound);
    QByteArray once, pieces;
    feed(whole, stream, once);
    for (QByteArrayView rest = stream; !rest.isEmpty();) {
        seed = seed * 1103515245u + 12345u;
        const qsizetype n = qMin<qsizetype>(rest.size(), 1 + (seed >> 16) % 97);
        feed(cut, rest.first(n), pieces);
        rest = rest.sliced(n);
    }
    FUZZ_CHECK(pieces == once);
    FUZZ_CHECK(whole.peakTailSize() <= bound + 1 && cut.peakTailSize() <= bound + 1);
    // Below the bound, the plain reading: the first line, then each message up to the first
    // empty line after its start.
    const qsizetype line = stream.indexOf("\r\n");
    if (stream.size() > bound || line < 0)
        return 0;
    qsizetype end = line + 2;
    for (qsizetype at; (at = stream.indexOf("\r\n\r\n", end)) >= 0;)
        end = at + 4;
    FUZZ_CHECK(once == stream.first(end));
    return 0;
}
