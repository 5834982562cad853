// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/TelLink.h"

std::optional<QString> TelLink::dialNumber(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    // "callto://" names a user of a calling program, whose name a URL takes for a host:
    // "callto://5550100" reads as the address 0.84.176.20.
    if (scheme != QLatin1String("tel") &&
        (scheme != QLatin1String("callto") || !url.authority().isEmpty() || !url.isValid()))
        return std::nullopt;
    const QByteArray encoded = url.toEncoded(QUrl::RemoveScheme);
    // Decoded before it is cut: "%3B" would otherwise take what follows it to the modem.
    QString number = QUrl::fromPercentEncoding(encoded);
    // The number ends where its parameters start.
    if (const qsizetype parameters = number.indexOf(u';'); parameters >= 0)
        number.truncate(parameters);
    // A "%0D" in it would end the dial and start a command of the page's choosing.
    return visibleText(number).trimmed();
}

bool TelLink::isAddress(const QString &text)
{
    const QString scheme = text.section(QLatin1Char(':'), 0, 0).toLower();
    return text.contains(QLatin1Char(':')) &&
           (scheme == QLatin1String("tel") || scheme == QLatin1String("callto"));
}

QString TelLink::addressNumber(const QString &address)
{
    QUrl url(address);
    if (url.scheme().compare(QLatin1String("callto"), Qt::CaseInsensitive) == 0) {
        const QString rest = address.section(QLatin1Char(':'), 1);
        url = QUrl(QStringLiteral("tel:") +
                   (rest.startsWith(QLatin1String("//")) ? rest.mid(2) : rest));
    }
    return dialNumber(url).value_or(QString());
}

QString TelLink::visibleText(const QString &text)
{
    // By code point: the tag characters of the other planes are format characters too.
    QList<uint> points = text.toUcs4();
    points.removeIf([](uint c) {
        switch (QChar::category(char32_t(c))) {
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return true;
        default:
            return false;
        }
    });
    return points.size() == text.size()
               ? text
               : QString::fromUcs4(reinterpret_cast<const char32_t *>(points.constData()),
                                   points.size());
}
