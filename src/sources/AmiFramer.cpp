// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/AmiFramer.h"

#include "sources/AmiMessageEnd.h"

#include <cstring>

#if defined(__x86_64__) && defined(__SSE2__)
#include <immintrin.h>
#define RINGSCOUT_X86_SIMD 1
#endif

using AmiMessageEnd::kLineEnd;
using AmiMessageEnd::kText;

namespace {

#ifdef RINGSCOUT_X86_SIMD
// An empty line's CR has an LF one place and three places after it, which no other bytes of
// a message have (lines are "Key: Value\r\n"): so the scan looks for that pair of LFs only, a
// block at a time, and checks the two CRs of each place it finds. The scan is most of what
// framing costs, so wider blocks are used where the processor has them. Each moves `from` on
// to where it stopped.
qsizetype checkPairs(const char *data, qsizetype from, unsigned mask)
{
    for (; mask != 0; mask &= mask - 1) {
        const qsizetype at = from + __builtin_ctz(mask);
        if (data[at] == '\r' && data[at + 2] == '\r')
            return at + qsizetype(kText.size());
    }
    return -1;
}

qsizetype scanSse2(const char *data, qsizetype size, qsizetype *from)
{
    const __m128i lf = _mm_set1_epi8('\n');
    for (; *from + 19 <= size; *from += 16) {
        const char *p = data + *from;
        const __m128i one = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 1));
        const __m128i three = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 3));
        const auto mask = unsigned(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(one, lf), _mm_cmpeq_epi8(three, lf))));
        if (const qsizetype end = checkPairs(data, *from, mask); end >= 0)
            return end;
    }
    return -1;
}

// Two blocks a turn, tested as one, since nearly every block holds no end.
__attribute__((target("avx2"))) unsigned pairsAvx2(const char *p)
{
    const __m256i lf = _mm256_set1_epi8('\n');
    const __m256i one = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + 1));
    const __m256i three = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + 3));
    return unsigned(_mm256_movemask_epi8(
        _mm256_and_si256(_mm256_cmpeq_epi8(one, lf), _mm256_cmpeq_epi8(three, lf))));
}

__attribute__((target("avx2"))) qsizetype scanAvx2(const char *data, qsizetype size,
                                                   qsizetype *from)
{
    for (; *from + 67 <= size; *from += 64) {
        const unsigned low = pairsAvx2(data + *from);
        const unsigned high = pairsAvx2(data + *from + 32);
        if ((low | high) == 0)
            continue;
        if (const qsizetype end = checkPairs(data, *from, low); end >= 0)
            return end;
        if (const qsizetype end = checkPairs(data, *from + 32, high); end >= 0)
            return end;
    }
    const __m256i lf = _mm256_set1_epi8('\n');
    for (; *from + 35 <= size; *from += 32) {
        const char *p = data + *from;
        const __m256i one = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + 1));
        const __m256i three = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + 3));
        const auto mask = unsigned(_mm256_movemask_epi8(
            _mm256_and_si256(_mm256_cmpeq_epi8(one, lf), _mm256_cmpeq_epi8(three, lf))));
        if (const qsizetype end = checkPairs(data, *from, mask); end >= 0)
            return end;
    }
    return -1;
}

const bool kHasAvx2 = __builtin_cpu_supports("avx2");
#endif

// Just past the first "\r\n\r\n" at or after `from`, or -1.
qsizetype messageEnd(QByteArrayView bytes, qsizetype from)
{
#ifdef RINGSCOUT_X86_SIMD
    const char *data = bytes.data();
    qsizetype at = kHasAvx2 ? scanAvx2(data, bytes.size(), &from) : -1;
    if (at < 0)
        at = scanSse2(data, bytes.size(), &from);
    if (at >= 0)
        return at;
#endif
    return AmiMessageEnd::after(bytes, from);
}

} // namespace

AmiFramer::AmiFramer(qsizetype maxTail) : m_maxTail(maxTail)
{}

void AmiFramer::reset()
{
    m_tail.resize(0);
    m_frames = {};
    m_start = 0;
    m_searchFrom = 0;
    m_mode = Mode::Greeting;
}

const AmiFramer::Frames &AmiFramer::feed(QByteArrayView read)
{
    m_frames.greeting = {};
    m_frames.messages.clear();
    for (qsizetype end; (end = findEnd(read, m_searchFrom)) >= 0;) {
        if (m_mode == Mode::Resync) {
            m_mode = Mode::Messages;
        } else if (end - m_start > m_maxTail + 1) {
            // Over-long even though complete: dropped as if it had come a byte at a time.
            m_mode = Mode::Resync;
            m_searchFrom = m_start + m_maxTail + 1 - qsizetype(kText.size() - 1);
            continue;
        } else {
            take(read, m_start, end);
        }
        m_start = m_searchFrom = end;
    }
    const qsizetype size = read.size();
    const auto lastStart = [this, size] {
        const std::string_view end = m_mode == Mode::Greeting ? kLineEnd : kText;
        return size - qsizetype(end.size() - 1);
    };
    if (m_mode != Mode::Resync && size - m_start > m_maxTail) {
        // Over-long: drop it, keeping the last bytes in case an end straddles into the next read.
        m_mode = Mode::Resync;
        m_searchFrom = lastStart();
    }
    m_searchFrom = qMax(m_searchFrom, lastStart());
    // While resyncing only the bytes that may begin an end are kept.
    if (m_mode == Mode::Resync)
        m_start = m_searchFrom;
    keep(read, m_start);
    m_start -= size;
    m_searchFrom -= size;
    return m_frames;
}

// Just past the first end at or after `from`, counted from the start of `read`, or -1.
qsizetype AmiFramer::findEnd(QByteArrayView read, qsizetype from) const
{
    const std::string_view end = m_mode == Mode::Greeting ? kLineEnd : kText;
    const qsizetype size = qsizetype(end.size());
    if (from < 0) {
        // An end may straddle the kept bytes and the read; the kept bytes before the last
        // few were searched already.
        const qsizetype kept = qMin(-from, size - 1);
        const qsizetype fresh = qMin(read.size(), size - 1);
        char joint[2 * kText.size()];
        std::memcpy(joint, m_tail.constData() + m_tail.size() - kept, size_t(kept));
        std::memcpy(joint + kept, read.data(), size_t(fresh));
        const qsizetype at = AmiMessageEnd::find(QByteArrayView(joint, kept + fresh), end);
        if (at >= 0)
            return at - kept + size;
        from = 0;
    }
    if (m_mode != Mode::Greeting)
        return messageEnd(read, from);
    const qsizetype at = AmiMessageEnd::find(read, end, from);
    return at < 0 ? -1 : at + size;
}

// Hands on the greeting or message [start, end); one that began in an earlier read is
// completed in the tail's buffer, which no later message of this read needs.
void AmiFramer::take(QByteArrayView read, qsizetype start, qsizetype end)
{
    QByteArrayView frame;
    if (start >= 0) {
        frame = read.sliced(start, end - start);
    } else {
        m_tail.append(read.first(end));
        m_peakTail = qMax(m_peakTail, m_tail.size());
        frame = QByteArrayView(m_tail).last(end - start);
    }
    if (m_mode == Mode::Greeting) {
        m_frames.greeting = frame;
        m_mode = Mode::Messages;
    } else {
        m_frames.messages.push_back(frame);
    }
}

// Keeps the bytes from `from` on for the next read. The buffer that may hold a message handed
// on by this read is left alone: the bytes go to the other one, and the two swap.
void AmiFramer::keep(QByteArrayView read, qsizetype from)
{
    if (from >= 0) {
        m_spare.resize(0);
        m_spare.append(read.sliced(from));
        m_tail.swap(m_spare);
    } else {
        m_tail.remove(0, m_tail.size() + from);
        m_tail.append(read);
    }
    m_peakTail = qMax(m_peakTail, m_tail.size());
}
