// SPDX-License-Identifier: GPL-3.0-or-later
#include "pop/SearchUrl.h"

#include "base/WireText.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

bool isAsciiAlnum(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

void appendByte(QString &out, unsigned char byte)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    if (isAsciiAlnum(byte)) {
        out.append(QLatin1Char(char(byte)));
    } else if (byte == ' ') {
        out.append(QLatin1Char('+'));
    } else {
        out.append(QLatin1Char('%'));
        out.append(QLatin1Char(kHex[byte >> 4]));
        out.append(QLatin1Char(kHex[byte & 0xF]));
    }
}

} // namespace

CodePage systemCodePage()
{
#ifdef Q_OS_WIN
    return GetACP() == 1252 ? CodePage::Windows1252 : CodePage::Utf8;
#else
    return CodePage::Utf8;
#endif
}

QString DigitsOnly(const QString &text)
{
    QString digits;
    digits.reserve(text.size());
    for (QChar c : text) {
        if (c >= u'0' && c <= u'9')
            digits.append(c);
    }
    return digits;
}

QString UrlEncode(const QString &text, CodePage codePage)
{
    QString out;
    out.reserve(text.size() * 3);
    if (codePage == CodePage::Utf8) {
        for (char byte : text.toUtf8())
            appendByte(out, static_cast<unsigned char>(byte));
        return out;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i; // one character outside the code page, however many code units it takes
        const int byte = c.isSurrogate() ? -1 : WireText::windows1252Byte(c.unicode());
        appendByte(out, static_cast<unsigned char>(byte < 0 ? '?' : byte));
    }
    return out;
}

QString trimSpaces(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}

QString fillTemplate(const QString &urlTemplate, const QString &number, const QString &name,
                     CodePage codePage)
{
    // One pass over the template alone: a "+" that the encoded number brings (from a blank)
    // must not be taken for the name's placeholder.
    const QString encodedNumber = UrlEncode(number, codePage);
    const QString encodedName = UrlEncode(name, codePage);
    QString url;
    url.reserve(urlTemplate.size() + encodedNumber.size() + encodedName.size());
    for (const QChar c : urlTemplate) {
        if (c == u'*')
            url.append(encodedNumber);
        else if (c == u'+')
            url.append(encodedName);
        else
            url.append(c);
    }
    return url;
}
