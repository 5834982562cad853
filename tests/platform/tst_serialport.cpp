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
    void devicePath_data();
    void devicePath();
    void parse_data();
    void parse();
};

void tst_SerialPort::devicePath_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("expected"); // com3 links to /dev/ttyACM0, com4 to dev/modem
    QTest::newRow("linked") << 3 << "/dev/ttyACM0";
    QTest::newRow("linked relative to the folder") << 4 << "@/Belvane/dev/modem";
    QTest::newRow("not linked: ttyS(N-1)") << 2 << "/dev/ttyS1";
}

void tst_SerialPort::devicePath()
{
    QFETCH(int, port);
    QFETCH(QString, expected);
    QTemporaryDir config;
    QVERIFY(QDir().mkpath(config.filePath("Belvane")));
    QVERIFY(QFile::link("/dev/ttyACM0", config.filePath("Belvane/com3")));
    QVERIFY(QFile::link("dev/modem", config.filePath("Belvane/com4")));
    QCOMPARE(SerialLine::DevicePath(config.path(), port), expected.replace('@', config.path()));
}

void tst_SerialPort::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // "speed parity data stop", or the reason
    QTest::newRow("default") << "115200,N,8,1"
                             << "115200 N 8 1";
    QTest::newRow("mark, 5 bits, 1.5, blanks") << " 300 , M ,5, 1.5"
                                               << "300 M 5 1.5";
    QTest::newRow("three fields") << "115200,N,8"
                                  << "expected speed, parity";
    QTest::newRow("parity X") << "115200,X,8,1"
                              << "the parity must be";
    QTest::newRow("9 data bits") << "115200,N,9,1"
                                 << "the data bits must be";
    QTest::newRow("3 stop bits") << "115200,N,8,3"
                                 << "the stop bits must be";
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
