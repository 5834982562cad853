#include "fakes/PtyModem.h"
#include "fakes/RecordingShowCaller.h"
#include "platform/Failure.h"
#include "platform/QtSerialPort.h"
#include "platform/TimerControl.h"
#include "settings/Globals.h"
#include "sources/ModemMonitor.h"

#include <QTemporaryDir>
#include <QtTest>

// The modem monitor on the real serial port adapter, with a pseudo-terminal as the modem,
// linked as port 3 in a temporary settings folder. The poll runs every 20 ms.
class tst_ModemMonitor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void initPopAndDial();
    void deviceGoneAndBack();
    void openFailureStopsThePoll_data();
    void openFailureStopsThePoll();

private:
    QByteArray report(const char *number) const
    {
        return QByteArray("RING\r\n\r\nDATE = 1015\r\nTIME = 2038\r\nNMBR = ") + number +
               "\r\nNAME = U.S.ROBOTICS\r\n";
    }

    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<PtyModem> m_far;
    std::unique_ptr<QtSerialPort> m_port;
    Globals m_g;
    TimerControl m_timer;
    RecordingShowCaller m_pop;
    std::unique_ptr<ModemMonitor> m_modem;
};

void tst_ModemMonitor::init()
{
    m_config = std::make_unique<QTemporaryDir>();
    m_far = std::make_unique<PtyModem>();
    QVERIFY(m_far->LinkAs(m_config->path(), 3));
    m_port = std::make_unique<QtSerialPort>(m_config->path());
    m_g = Globals();
    m_g.comPort = 3;
    m_g.modemSettings = QStringLiteral("115200,N,8,1");
    m_g.initString = QStringLiteral("ATS0=0M0+VCID=1");
    m_g.cidKey = QStringLiteral("NMBR = ");
    m_g.cidnameKey = QStringLiteral("NAME = ");
    m_pop.calls.clear();
    m_modem = std::make_unique<ModemMonitor>(m_g, m_g, *m_port, m_timer, m_pop);
    m_modem->SetPollInterval(20);
}

void tst_ModemMonitor::cleanup()
{
    m_modem.reset();
    m_timer.SetEnabled(false);
    m_port.reset();
    m_far.reset();
}

void tst_ModemMonitor::initPopAndDial()
{
    QSignalSpy dialer(m_modem.get(), &ModemMonitor::dialerEnabled);
    m_modem->OpenModem();
    QVERIFY(m_port->PortOpen());
    QVERIFY(m_timer.Enabled());
    QCOMPARE(m_timer.Interval(), 20);
    QCOMPARE(dialer.last().at(0).toBool(), true);
    QTRY_COMPARE(m_far->Received(), QByteArray("ATS0=0M0+VCID=1\r"));

    m_far->Write(report("8475550001"));
    QTRY_COMPARE(m_pop.calls.size(), 1);
    QCOMPARE(m_pop.calls[0],
             qMakePair(QStringLiteral("8475550001"), QStringLiteral("U.S.ROBOTICS")));

    // The dial commands, byte for byte: the command, then a lone CR five ticks later.
    m_far->ClearReceived();
    m_modem->ConfirmDial(QStringLiteral("555-0100"));
    QTRY_COMPARE(m_far->Received(), QByteArray("ATDT 555-0100\r\r"));
    QCOMPARE(m_g.dialTicks, qint16(0));

    // Settings reloaded without a modem while the poll runs: ticks do nothing, not even the
    // dial step, until monitoring restarts.
    m_g.comPort = 0;
    m_far->ClearReceived();
    m_modem->ConfirmDial(QStringLiteral("5551234"));
    m_far->Write(report("5550002"));
    QTest::qWait(200);
    QVERIFY(m_far->Received().isEmpty());
    QCOMPARE(m_pop.calls.size(), 1);
    m_modem->OpenModem();
    QVERIFY(!m_port->PortOpen());
    QVERIFY(!m_timer.Enabled());
    QCOMPARE(dialer.last().at(0).toBool(), false);

    m_modem->CloseModem();
    m_modem->CloseModem();
    QVERIFY(!m_port->PortOpen());
}

void tst_ModemMonitor::deviceGoneAndBack()
{
    m_modem->SetReopenInterval(100);
    QSignalSpy dialer(m_modem.get(), &ModemMonitor::dialerEnabled);
    QSignalSpy stopped(m_modem.get(), &ModemMonitor::monitoringStopped);
    QSignalSpy resumed(m_modem.get(), &ModemMonitor::monitoringResumed);
    QSignalSpy lost(m_port.get(), &ISerialPort::DeviceLost);
    m_modem->OpenModem();
    QTRY_VERIFY(!m_far->Received().isEmpty());

    // Unplugged: the port is closed at once and the poll stops, without an error storm.
    m_far->Close();
    QTRY_COMPARE(stopped.size(), 1);
    QVERIFY(!m_port->PortOpen());
    QVERIFY(!m_timer.Enabled());
    QCOMPARE(dialer.last().at(0).toBool(), false);
    QTest::qWait(300); // a few tries to reopen find no device
    QCOMPARE(lost.size(), 1);
    QCOMPARE(stopped.size(), 1);
    QVERIFY(resumed.isEmpty());

    // Plugged in again as the same port: initialised, and the poll resumes.
    PtyModem again;
    QVERIFY(again.LinkAs(m_config->path(), 3));
    QTRY_COMPARE(resumed.size(), 1);
    QVERIFY(m_timer.Enabled());
    QCOMPARE(dialer.last().at(0).toBool(), true);
    QTRY_COMPARE(again.Received(), QByteArray("ATS0=0M0+VCID=1\r"));
    again.Write(report("8475550003"));
    QTRY_COMPARE(m_pop.calls.size(), 1);
    QCOMPARE(m_pop.calls[0].first, QStringLiteral("8475550003"));
}

void tst_ModemMonitor::openFailureStopsThePoll_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("failure"); // its start; @ stands for the settings folder
    // Port 4 is linked to a device that is not there.
    QTest::newRow("no device") << 4 << "115200,N,8,1"
                               << "Serial port 4: cannot open @/nothing: ";
    QTest::newRow("bad settings")
        << 3 << "115200,N,8,3"
        << "Serial port 3: the line settings \"115200,N,8,3\" are not valid";
}

// Monitoring on, then the modem's settings changed to a port that cannot be opened: the poll
// stops with the port, so no tick reads a closed port and "&Dial" goes off.
void tst_ModemMonitor::openFailureStopsThePoll()
{
    QFETCH(int, port);
    QFETCH(QString, settings);
    QFETCH(QString, failure);
    QVERIFY(QFile::link(m_config->filePath("nothing"), m_config->filePath("Belvane/com4")));
    failure.replace(QLatin1Char('@'), m_config->path());
    m_modem->OpenModem();
    QVERIFY(m_timer.Enabled());
    QSignalSpy dialer(m_modem.get(), &ModemMonitor::dialerEnabled);
    QSignalSpy stopped(m_modem.get(), &ModemMonitor::monitoringStopped);

    m_g.comPort = qint16(port);
    m_g.modemSettings = settings;
    try {
        m_modem->OpenModem();
        QFAIL("opened");
    } catch (const Failure &f) {
        QVERIFY2(f.Text().startsWith(failure), f.what());
    }
    QVERIFY(!m_port->PortOpen());
    QVERIFY(!m_timer.Enabled());
    QCOMPARE(dialer.last().at(0).toBool(), false);
    QCOMPARE(stopped.size(), 1);
}

QTEST_GUILESS_MAIN(tst_ModemMonitor)
#include "tst_modemmonitor.moc"
