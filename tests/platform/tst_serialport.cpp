#include "platform/Failure.h"
#include "platform/SerialLine.h"

#include <QTemporaryDir>
#include <QtTest>

// Serial port numbers and line settings. The adapter itself is tested on pseudo-terminals
// through the modem monitor.
class tst_SerialPort : public QObject
{
    Q_OBJECT

private slots:
    void devicePath();
    void parse_data();
    void parse();
};

void tst_SerialPort::devicePath()
{
    QTemporaryDir config;
    QVERIFY(QDir().mkpath(config.filePath("Belvane")));
    QVERIFY(QFile::link("dev/modem", config.filePath("Belvane/com4")));
    QCOMPARE(SerialLine::DevicePath(config.path(), 4), config.filePath("Belvane/dev/modem"));
    QCOMPARE(SerialLine::DevicePath(config.path(), 2), QStringLiteral("/dev/ttyS1"));
}

void tst_SerialPort::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // "speed parity data stop", or the reason
    const char *rows[][2] = {
        {"115200,N,8,1", "115200 N 8 1"},
        {" 300 , M ,5, 1.5", "300 M 5 1.5"},
        {"9600,E,7,2", "9600 E 7 2"},
        {"115200,N,8", "expected speed, parity"},
        {"0,N,8,1", "the speed must be"},
        {"115200,X,8,1", "the parity must be"},
        {"115200,N,4,1", "the data bits must be"},
        {"115200,N,9,1", "the data bits must be"},
        {"115200,N,8,3", "the stop bits must be"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << row[0] << row[1];
}

void tst_SerialPort::parse()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QString result;
    try {
        const SerialLine::Settings line = SerialLine::Parse(text);
        const char *stop[] = {"1", "1.5", "2"};
        result = QStringLiteral("%1 %2 %3 %4").arg(line.speed).arg(QLatin1Char(line.parity));
        result = result.arg(line.dataBits).arg(QLatin1String(stop[int(line.stopBits)]));
    } catch (const Failure &failure) {
        result = failure.Description();
        QVERIFY(
            result.startsWith(QStringLiteral("the line settings \"%1\" are not valid").arg(text)));
    }
    QVERIFY2(result.contains(expected), qPrintable(result));
}

QTEST_APPLESS_MAIN(tst_SerialPort)
#include "tst_serialport.moc"
