// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/TelLink.h"

std::optional<QString> TelLink::dialNumber(const QUrl &url)
{
    if (url.scheme().compare(QLatin1String("tel"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    // The number ends where its parameters start.
    QByteArray encoded = url.toEncoded(QUrl::RemoveScheme);
    if (const qsizetype parameters = encoded.indexOf(';'); parameters >= 0)
        encoded.truncate(parameters);
    QString number = QUrl::fromPercentEncoding(encoded);
    // A "%0D" in it would end the dial and start a command of the page's choosing.
    number.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    return number.trimmed();
}
