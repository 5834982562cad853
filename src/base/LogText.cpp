// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/LogText.h"

#include <algorithm>

namespace {

// What a terminal or a log viewer may take as other than a visible character of this line.
bool hidden(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

} // namespace

LogText::LogText(QStringView text)
{
    qsizetype end = std::min(text.size(), kMaxChars);
    // A character outside the first plane is not cut in two.
    if (end < text.size() && end > 0 && text[end - 1].isHighSurrogate())
        --end;
    m_quoted.reserve(end + 2);
    m_quoted += u'"';
    for (qsizetype i = 0; i < end; ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < end && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (c == u'"' || c == u'\\')
            m_quoted += u'\\';
        if (c == u'\n')
            m_quoted += QLatin1String("\\n");
        else if (c == u'\r')
            m_quoted += QLatin1String("\\r");
        else if (c == u'\t')
            m_quoted += QLatin1String("\\t");
        else if (hidden(c))
            m_quoted +=
                (c > 0xFFFF ? QLatin1String("\\U") : QLatin1String("\\u")) +
                QString::number(uint(c), 16).toUpper().rightJustified(c > 0xFFFF ? 8 : 4, u'0');
        else
            m_quoted += QString::fromUcs4(&c, 1);
    }
    m_quoted += u'"';
    if (end < text.size())
        m_quoted += QStringLiteral("... (%1 characters)").arg(text.size());
}

LogText::LogText(QByteArrayView bytes) : LogText(QString::fromUtf8(bytes))
{}

QDebug operator<<(QDebug debug, const LogText &text)
{
    // Escaped already: quoting it again would double every backslash.
    const QDebugStateSaver saver(debug);
    debug.noquote() << text.quoted();
    return debug;
}
