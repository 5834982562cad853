// SPDX-License-Identifier: GPL-3.0-or-later
// The Manager Interface framer, fed the same stream whole and cut at arbitrary points: the
// greeting and the messages it hands on must not depend on the cuts, and it never keeps more
// than its bound.
#include "FuzzCheck.h"
#include "sources/AmiFramer.h"

namespace {

// The messages of one read, each checked to end with its empty line, end to end.
QByteArray joined(const AmiFramer::Frames &frames)
{
    QByteArray all;
    for (const QByteArrayView message : frames.messages) {
        FUZZ_CHECK(message.endsWith("\r\n\r\n"));
        all += message;
    }
    return all;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    // The first byte picks the bound, the second seeds the cuts; the rest is the stream.
    const qsizetype bound = data[0] % 2 ? AmiFramer::DefaultMaxTail : 16 + data[0];
    quint32 seed = data[1] * 2654435761u + 1;
    const QByteArrayView stream = fuzzBytes(data + 2, size - 2);
    AmiFramer whole(bound), cut(bound);
    const AmiFramer::Frames &once = whole.Feed(stream);
    const QByteArray onceGreeting = once.greeting.toByteArray(), onceMessages = joined(once);
    QByteArray greeting, messages;
    for (QByteArrayView rest = stream; !rest.isEmpty();) {
        seed = seed * 1103515245u + 12345u;
        const qsizetype n = qMin<qsizetype>(rest.size(), 1 + (seed >> 16) % 97);
        const AmiFramer::Frames &frames = cut.Feed(rest.first(n));
        rest = rest.sliced(n);
        FUZZ_CHECK(cut.TailSize() <= bound && (greeting.isEmpty() || frames.greeting.isEmpty()));
        greeting += frames.greeting;
        messages += joined(frames);
    }
    FUZZ_CHECK(greeting == onceGreeting && messages == onceMessages);
    FUZZ_CHECK(whole.PeakTailSize() <= bound + 1 && cut.PeakTailSize() <= bound + 1);
    // Below the bound, the plain reading: the first line, then each message up to the first
    // empty line after its start.
    const qsizetype line = stream.indexOf("\r\n");
    if (stream.size() > bound || line < 0)
        return 0;
    qsizetype end = line + 2;
    for (qsizetype at; (at = stream.indexOf("\r\n\r\n", end)) >= 0;)
        end = at + 4;
    FUZZ_CHECK(onceGreeting == stream.first(line + 2) &&
               onceMessages == stream.first(end).sliced(line + 2));
    return 0;
}
