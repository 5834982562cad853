#include "fakes/PtyModem.h"
#include "platform/Failure.h"
#include "platform/QtSerialPort.h"
#include "platform/SerialLine.h"

#include <QTemporaryDir>
#include <QtTest>

using SerialLine::StopBits;

// Serial port numbers, line settings, and the adapter on a real pseudo-terminal.
class tst_SerialPort : public QObject
{
    Q_OBJECT

private slots:
    void devicePath_data();
    void devicePath();
    void parse_data();
    void parse();
    void onPseudoTerminal();
};

void tst_SerialPort::devicePath_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("linkTo"); // relative to the settings folder; empty: no link
    QTest::addColumn<QString>("expected");
    QTest::newRow("no link: ttyS(N-1)") << 3 << ""
                                        << "/dev/ttyS2";
    QTest::newRow("port 1") << 1 << ""
                            << "/dev/ttyS0";
    QTest::newRow("linked device") << 3 << "/dev/ttyACM0"
                                   << "/dev/ttyACM0";
    QTest::newRow("link of another port only") << 4 << ""
                                               << "/dev/ttyS3";
    QTest::newRow("relative link") << 3 << "dev/modem"
                                   << "@/Belvane/dev/modem";
}

void tst_SerialPort::devicePath()
{
    QFETCH(int, port);
    QFETCH(QString, linkTo);
    QFETCH(QString, expected);
    QTemporaryDir config;
    QVERIFY(QDir().mkpath(config.filePath("Belvane")));
    if (!linkTo.isEmpty())
        QVERIFY(QFile::link(linkTo, config.filePath("Belvane/com3")));
    expected.replace(QLatin1Char('@'), config.path());
    QCOMPARE(SerialLine::DevicePath(config.path(), port), expected);
}

void tst_SerialPort::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("speed");
    QTest::addColumn<QString>("parity");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<QString>("why"); // empty: valid

    QTest::newRow("default") << "115200,N,8,1" << 115200 << "N" << 8 << int(StopBits::One) << "";
    QTest::newRow("even 7 bits 2 stops")
        << "9600,E,7,2" << 9600 << "E" << 7 << int(StopBits::Two) << "";
    QTest::newRow("mark, 5 bits, 1.5")
        << "300,M,5,1.5" << 300 << "M" << 5 << int(StopBits::OneAndHalf) << "";
    QTest::newRow("blanks around fields")
        << " 2400 , S ,6, 1" << 2400 << "S" << 6 << int(StopBits::One) << "";
    QTest::newRow("three fields") << "115200,N,8" << 0 << "" << 0 << 0 << "expected speed";
    QTest::newRow("empty") << "" << 0 << "" << 0 << 0 << "expected speed";
    QTest::newRow("speed not a number") << "fast,N,8,1" << 0 << "" << 0 << 0 << "speed";
    QTest::newRow("speed 0") << "0,N,8,1" << 0 << "" << 0 << 0 << "speed";
    QTest::newRow("parity X") << "115200,X,8,1" << 0 << "" << 0 << 0 << "parity";
    QTest::newRow("parity word") << "115200,None,8,1" << 0 << "" << 0 << 0 << "parity";
    QTest::newRow("9 data bits") << "115200,N,9,1" << 0 << "" << 0 << 0 << "data bits";
    QTest::newRow("4 data bits") << "115200,N,4,1" << 0 << "" << 0 << 0 << "data bits";
    QTest::newRow("3 stop bits") << "115200,N,8,3" << 0 << "" << 0 << 0 << "stop bits";
}

void tst_SerialPort::parse()
{
    QFETCH(QString, text);
    QFETCH(QString, why);
    try {
        const SerialLine::Settings settings = SerialLine::Parse(text);
        QVERIFY2(why.isEmpty(), "accepted");
        QTEST(settings.speed, "speed");
        QTEST(QString(QLatin1Char(settings.parity)), "parity");
        QTEST(settings.dataBits, "dataBits");
        QTEST(int(settings.stopBits), "stopBits");
    } catch (const Failure &failure) {
        QVERIFY2(!why.isEmpty(), failure.what());
        QVERIFY2(failure.Description().contains(QLatin1Char('"') + text + QLatin1Char('"')),
                 failure.what());
        QVERIFY2(failure.Description().contains(why), failure.what());
    }

    // The adapter rejects the same texts, naming its port, and keeps its earlier settings.
    QtSerialPort port;
    port.SetCommPort(7);
    try {
        port.SetSettings(text);
        QCOMPARE(port.Settings(), text);
    } catch (const Failure &failure) {
        QCOMPARE(failure.Source(), QStringLiteral("Serial port 7"));
        QVERIFY(port.Settings() != text);
    }
}

void tst_SerialPort::onPseudoTerminal()
{
    QTemporaryDir config;
    PtyModem far;
    QVERIFY(far.LinkAs(config.path(), 3));
    QtSerialPort port(config.path());
    QSignalSpy lost(&port, &ISerialPort::DeviceLost);

    // A port whose device is missing (an unplugged modem): the port, the path and the reason.
    const QString missing = config.filePath("ttyACM9");
    QVERIFY(QFile::link(missing, config.filePath("Belvane/com9")));
    port.SetCommPort(9);
    try {
        port.SetPortOpen(true);
        QFAIL("opened a missing device");
    } catch (const Failure &failure) {
        QCOMPARE(failure.Text(),
                 QStringLiteral("Serial port 9: cannot open %1: No such file or directory")
                     .arg(missing));
    }
    QVERIFY(!port.PortOpen());

    port.SetCommPort(3);
    port.SetSettings(QStringLiteral("115200,N,8,1"));
    port.SetPortOpen(true);
    QVERIFY(port.PortOpen());
    QVERIFY(port.Input().isEmpty());

    // Bytes go out unchanged, CR and all; bytes that come in are read once, as text.
    port.Output(QStringLiteral("ATZ\rATDT 555-0100\r"));
    QTRY_COMPARE(far.Received(), QByteArray("ATZ\rATDT 555-0100\r"));
    far.Write("RING\r\nNAME = Ren\xc3\xa9\r\n");
    QString in;
    QTRY_VERIFY((in += port.Input()).endsWith(QStringLiteral("\r\n")));
    QCOMPARE(in, QStringLiteral("RING\r\nNAME = René\r\n"));
    QVERIFY(port.Input().isEmpty());

    // The far end goes away: the device is reported lost; closing twice is quiet.
    far.Close();
    QTRY_VERIFY(!lost.isEmpty());
    port.SetPortOpen(false);
    port.SetPortOpen(false);
    QVERIFY(!port.PortOpen());
    try {
        port.Output(QStringLiteral("AT\r"));
        QFAIL("wrote to a closed port");
    } catch (const Failure &failure) {
        QCOMPARE(failure.Source(), QStringLiteral("Serial port 3"));
    }
}

QTEST_GUILESS_MAIN(tst_SerialPort)
#include "tst_serialport.moc"
