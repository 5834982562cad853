// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/WireText.h"

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five unassigned bytes there
// map to the C1 control of the same value, as Windows itself does.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QChar windows1252(uchar b)
{
    return QChar(b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : char16_t(b));
}

// A UTF-8 lead byte: the length of its sequence and the range of the byte after it, which
// rules out overlong forms, surrogates and code points past U+10FFFF. Length 0: no lead byte.
struct Lead
{
    int length;
    uchar low;
    uchar high;
};

Lead leadOf(uchar b)
{
    if (b >= 0xC2 && b <= 0xDF)
        return {2, 0x80, 0xBF};
    if (b == 0xE0)
        return {3, 0xA0, 0xBF};
    if (b == 0xED)
        return {3, 0x80, 0x9F};
    if (b >= 0xE1 && b <= 0xEF)
        return {3, 0x80, 0xBF};
    if (b == 0xF0)
        return {4, 0x90, 0xBF};
    if (b >= 0xF1 && b <= 0xF3)
        return {4, 0x80, 0xBF};
    if (b == 0xF4)
        return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

} // namespace

namespace WireText {

QString decodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (char c : bytes)
        *out++ = windows1252(uchar(c));
    return text;
}

qsizetype decodeInto(QString &text, QByteArrayView bytes)
{
    text.reserve(text.size() + bytes.size());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        const auto b = uchar(bytes[i]);
        const Lead lead = leadOf(b);
        char32_t code = b & (0x7F >> lead.length);
        int valid = 1;
        for (; valid < lead.length && i + valid < size; ++valid) {
            const auto next = uchar(bytes[i + valid]);
            if (next < (valid == 1 ? lead.low : 0x80) || next > (valid == 1 ? lead.high : 0xBF))
                break;
            code = (code << 6) | (next & 0x3F);
        }
        if (b < 0x80 || valid == lead.length) {
            // A leading byte-order mark is a byte of the caller's text too: kept as U+FEFF.
            if (code > 0xFFFF) {
                text += QChar(QChar::highSurrogate(code));
                text += QChar(QChar::lowSurrogate(code));
            } else {
                text += QChar(char16_t(code));
            }
            i += lead.length > 0 ? lead.length : 1;
        } else if (lead.length > 0 && i + valid == size) {
            return size - i;
        } else {
            text += windows1252(b);
            ++i;
        }
    }
    return 0;
}

QString decode(QByteArrayView bytes)
{
    QString text;
    const qsizetype cut = decodeInto(text, bytes);
    return text + decodeWindows1252(bytes.last(cut));
}

int windows1252Byte(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return ch;
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == ch)
            return 0x80 + i;
    }
    return -1;
}

QByteArray encode(const QString &text)
{
    return text.toUtf8();
}

} // namespace WireText
