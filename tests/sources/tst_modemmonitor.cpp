#include "fakes/PtyModem.h"
#include "fakes/RecordingShowCaller.h"
#include "platform/Failure.h"
#include "platform/QtSerialPort.h"
#include "platform/TimerControl.h"
#include "settings/Globals.h"
#include "sources/ModemMonitor.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray report(const char *number)
{
    return QByteArray("RING\r\n\r\nDATE = 1015\r\nTIME = 2038\r\nNMBR = ") + number +
           "\r\nNAME = U.S.ROBOTICS\r\n";
}

// The monitor on the real adapter, with a pseudo-terminal linked as port 3 in a temporary
// settings folder as the modem; the poll runs every 20 ms.
struct Rig
{
    Rig()
    {
        far.LinkAs(config.path(), 3);
        g.comPort = 3;
        g.modemSettings = QStringLiteral("115200,N,8,1");
        g.initString = QStringLiteral("ATS0=0M0+VCID=1");
        g.cidKey = QStringLiteral("NMBR = ");
        g.cidnameKey = QStringLiteral("NAME = ");
        modem.SetPollInterval(20);
    }
    bool dialerOn() const { return !dialer.isEmpty() && dialer.last().at(0).toBool(); }

    QTemporaryDir config;
    PtyModem far;
    QtSerialPort port{config.path()};
    Globals g;
    TimerControl timer;
    RecordingShowCaller pop;
    ModemMonitor modem{g, g, port, timer, pop};
    QSignalSpy dialer{&modem, &ModemMonitor::dialerEnabled};
    QSignalSpy stopped{&modem, &ModemMonitor::monitoringStopped};
};

} // namespace

class tst_ModemMonitor : public QObject
{
    Q_OBJECT

private slots:
    void deviceGoneAndBack();
    void openFailureStopsThePoll();
};

void tst_ModemMonitor::deviceGoneAndBack()
{
    Rig rig;
    rig.modem.SetReopenInterval(100);
    QSignalSpy resumed(&rig.modem, &ModemMonitor::monitoringResumed);
    QSignalSpy lost(&rig.port, &ISerialPort::DeviceLost);
    rig.modem.OpenModem();

    // Unplugged: the port is closed at once and the poll stops, without an error storm.
    rig.far.Close();
    QTRY_COMPARE(rig.stopped.size(), 1);
    QVERIFY(!rig.port.PortOpen() && !rig.timer.Enabled() && !rig.dialerOn());
    QTest::qWait(300); // a few tries to reopen find no device
    QCOMPARE(lost.size(), 1);
    QCOMPARE(rig.stopped.size(), 1);
    QVERIFY(resumed.isEmpty());

    // Back as the same port: initialised, and the poll resumes.
    PtyModem again;
    QVERIFY(again.LinkAs(rig.config.path(), 3));
    QTRY_COMPARE(resumed.size(), 1);
    QVERIFY(rig.timer.Enabled() && rig.dialerOn());
    QTRY_COMPARE(again.received, QByteArray("ATS0=0M0+VCID=1\r"));
    again.Write(report("8475550003"));
    QTRY_COMPARE(rig.pop.calls.size(), 1);
    QCOMPARE(rig.pop.calls[0],
             qMakePair(QStringLiteral("8475550003"), QStringLiteral("U.S.ROBOTICS")));

    rig.modem.CloseModem();
    rig.modem.CloseModem();
    QVERIFY(!rig.port.PortOpen() && !rig.timer.Enabled() && !rig.dialerOn());
}

// Monitoring on, then settings with a port that cannot be opened: the poll stops with the
// port, so no tick reads a closed port, and "&Dial" goes off.
void tst_ModemMonitor::openFailureStopsThePoll()
{
    Rig rig;
    const QString missing = rig.config.filePath("ttyACM9");
    QVERIFY(QFile::link(missing, rig.config.filePath("Belvane/com4")));
    const QList<std::tuple<int, QString, QString>> cases{
        {4, "115200,N,8,1",
         "Serial port 4: cannot open " + missing + ": No such file or directory"},
        {3, "115200,N,8,3",
         "Serial port 3: the line settings \"115200,N,8,3\" are not valid: "
         "the stop bits must be 1, 1.5 or 2"}};
    for (const auto &[port, settings, text] : cases) {
        rig.g.comPort = 3;
        rig.g.modemSettings = QStringLiteral("115200,N,8,1");
        rig.modem.OpenModem();
        QVERIFY(rig.timer.Enabled());
        rig.g.comPort = qint16(port);
        rig.g.modemSettings = settings;
        try {
            rig.modem.OpenModem();
            QFAIL("opened");
        } catch (const Failure &failure) {
            QCOMPARE(failure.Text(), text);
        }
        QVERIFY(!rig.port.PortOpen() && !rig.timer.Enabled() && !rig.dialerOn());
    }
    QCOMPARE(rig.stopped.size(), 2);
}

QTEST_GUILESS_MAIN(tst_ModemMonitor)
#include "tst_modemmonitor.moc"
