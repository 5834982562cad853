// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/LineSettings.h"
#include "fakes/TestSupport.h"

#include <QtTest>

// A line settings text as the port takes it: speed, parity, data bits, stop bits; or the reason
// it is refused.
class tst_LineSettings : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("line");
        const auto row = [](const char *text, const char *line) {
            QTest::newRow(text) << text << line;
        };
        row("115200,N,8,1", "115200 N 8 1");
        row(" 300 , M , 5 , 1.5 ", "300 M 5 1.5");
        row("2400,S,6,2", "2400 S 6 2");
        row("9600,E,7", "expected speed, parity, data bits and stop bits, as in \"115200,N,8,1\"");
        row("0,O,8,1", "the speed must be a positive whole number");
        row("9600,e,8,1", "the parity must be N, E, O, M or S");
        row("9600,N,9,1", "the data bits must be 5, 6, 7 or 8");
        row("9600,N,8,3", "the stop bits must be 1, 1.5 or 2");
    }

    void parse()
    {
        QFETCH(QString, text);
        QString line; // or, where it is refused, why
        const QString failure = TestSupport::failureOf([&] {
            const LineSettings s = LineSettings::parse(text);
            line = QStringLiteral("%1 %2 %3 ").arg(s.speed).arg(s.parity).arg(s.dataBits) +
                   QStringList{"1", "1.5", "2"}[int(s.stopBits)];
        });
        QTEST(line + failure.section(
                         "Serial port: the line settings \"" + text + "\" are not valid: ", 1),
              "line");
    }
};

QTEST_APPLESS_MAIN(tst_LineSettings)
#include "tst_linesettings.moc"
