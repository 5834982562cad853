// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/LineSettings.h"

#include "base/Failure.h"

#include <QStringList>

LineSettings LineSettings::parse(const QString &text)
{
    const auto fail = [&text](const QString &why) {
        return Failure(QStringLiteral("Serial port"),
                       QStringLiteral("the line settings \"%1\" are not valid: %2").arg(text, why));
    };
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        throw fail(QStringLiteral("expected speed, parity, data bits and stop bits, as in "
                                  "\"115200,N,8,1\""));
    LineSettings line;
    bool ok = false;
    line.speed = fields[0].trimmed().toInt(&ok);
    if (!ok || line.speed <= 0)
        throw fail(QStringLiteral("the speed must be a positive whole number"));

    const QString parity = fields[1].trimmed();
    if (parity.size() != 1 || !QStringLiteral("NEOMS").contains(parity[0]))
        throw fail(QStringLiteral("the parity must be N, E, O, M or S"));
    line.parity = parity[0].toLatin1();

    line.dataBits = fields[2].trimmed().toInt(&ok);
    if (!ok || line.dataBits < 5 || line.dataBits > 8)
        throw fail(QStringLiteral("the data bits must be 5, 6, 7 or 8"));

    const QString stop = fields[3].trimmed();
    if (stop == QLatin1String("1"))
        line.stopBits = StopBits::One;
    else if (stop == QLatin1String("1.5"))
        line.stopBits = StopBits::OneAndHalf;
    else if (stop == QLatin1String("2"))
        line.stopBits = StopBits::Two;
    else
        throw fail(QStringLiteral("the stop bits must be 1, 1.5 or 2"));
    return line;
}
