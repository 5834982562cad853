// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/AmiField.h"

#include "base/WireText.h"

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

bool isAscii(QByteArrayView bytes)
{
    unsigned char any = 0;
    for (const char c : bytes)
        any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

} // namespace

namespace AmiField {

bool Reader::next()
{
    while (!m_rest.isEmpty()) {
        // One pass finds where the line ends (CR LF; a lone CR is part of the line) and its
        // first colon.
        const char *data = m_rest.data();
        const qsizetype size = m_rest.size();
        qsizetype end = -1, colon = -1, i = 0;
#ifdef __SSE2__
        for (; end < 0 && i + 16 <= size; i += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
            if (colon < 0) {
                if (const int c = _mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(':'))))
                    colon = i + __builtin_ctz(unsigned(c));
            }
            for (auto cr = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8('\r'))));
                 cr != 0 && end < 0; cr &= cr - 1) {
                const qsizetype at = i + __builtin_ctz(cr);
                if (at + 1 < size && data[at + 1] == '\n')
                    end = at;
            }
        }
#endif
        for (; end < 0 && i < size; ++i) {
            if (data[i] == ':' && colon < 0)
                colon = i;
            else if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n')
                end = i;
        }
        if (end < 0)
            end = size; // the last line, without its CR LF
        // The empty line closes the message.
        if (end == 0) {
            m_rest = {};
            return false;
        }
        const QByteArrayView line = m_rest.first(end);
        m_rest = m_rest.sliced(qMin(end + 2, size));
        if (colon > 0 && colon + 1 < end && line[colon + 1] == ' ') {
            m_name = line.first(colon);
            m_value = line.sliced(colon + 2);
            return true;
        }
    }
    return false;
}

std::optional<QByteArrayView> value(QByteArrayView message, QByteArrayView name)
{
    for (Reader fields(message); fields.next();) {
        if (sameName(fields.name(), name))
            return fields.value();
    }
    return std::nullopt;
}

QString text(QByteArrayView value)
{
    return isAscii(value) ? QString::fromLatin1(value) : WireText::decode(value);
}

bool holdsControl(QStringView value)
{
    return std::any_of(value.begin(), value.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029;
    });
}

} // namespace AmiField
