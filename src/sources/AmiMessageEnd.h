// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>

#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// Where Manager Interface messages end. Every message is "Key: Value" lines, each closed by
// CR LF, and then an empty line: "Action: Ping\r\n\r\n". A message ends at the first empty
// line after its start, so in "a\r\n\r\n\r\n" the message is "a\r\n\r\n" and the last CR LF
// begins the next one.
namespace AmiMessageEnd {

// The CR LF of a message's last line and the empty line after it.
inline constexpr std::string_view kText("\r\n\r\n");
inline constexpr std::string_view kLineEnd("\r\n");

// Where `what` first starts in `bytes` at or after `from`, or -1. std::string_view's find
// runs on memchr, several times quicker here than QByteArrayView::indexOf with a needle
// longer than one byte.
inline qsizetype find(QByteArrayView bytes, std::string_view what, qsizetype from = 0)
{
    const size_t at = std::string_view(bytes.data(), size_t(bytes.size())).find(what, size_t(from));
    return at == std::string_view::npos ? -1 : qsizetype(at);
}

// Just past the end of the message that starts at `from` in `bytes`, or -1 while its empty
// line has not arrived.
inline qsizetype after(QByteArrayView bytes, qsizetype from = 0)
{
#ifdef __SSE2__
    // Sixteen places at a time: a memchr for CR stops at every line, and lines are short.
    const char *data = bytes.data();
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    const auto load = [data](qsizetype i) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
    };
    for (; from + 19 <= bytes.size(); from += 16) {
        const __m128i ends = _mm_and_si128(
            _mm_and_si128(_mm_cmpeq_epi8(load(from), cr), _mm_cmpeq_epi8(load(from + 1), lf)),
            _mm_and_si128(_mm_cmpeq_epi8(load(from + 2), cr), _mm_cmpeq_epi8(load(from + 3), lf)));
        if (const int mask = _mm_movemask_epi8(ends))
            return from + __builtin_ctz(unsigned(mask)) + qsizetype(kText.size());
    }
#endif
    const qsizetype at = find(bytes, kText, from);
    return at < 0 ? -1 : at + qsizetype(kText.size());
}

} // namespace AmiMessageEnd
