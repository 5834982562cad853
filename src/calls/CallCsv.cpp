// SPDX-License-Identifier: GPL-3.0-or-later
#include "calls/CallCsv.h"

QByteArray CallCsv::field(const QString &text)
{
    QString cell = text;
    static const QString kFormulaStart = QStringLiteral("=+-@\t\r");
    if (!cell.isEmpty() && kFormulaStart.contains(cell.front()))
        cell.prepend(QLatin1Char('\''));
    if (cell.contains(QLatin1Char('"')) || cell.contains(QLatin1Char(',')) ||
        cell.contains(QLatin1Char('\r')) || cell.contains(QLatin1Char('\n'))) {
        cell.replace(QLatin1String("\""), QLatin1String("\"\""));
        cell = QLatin1Char('"') + cell + QLatin1Char('"');
    }
    return cell.toUtf8();
}

QByteArray CallCsv::record(const QStringList &fields)
{
    QByteArrayList cells;
    for (const QString &text : fields)
        cells.append(field(text));
    return cells.join(',') + "\r\n";
}
