// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Failure.h"
#include "fakes/PtyModem.h"
#include "fakes/RecordingCallSink.h"
#include "platform/QtSerialPort.h"
#include "platform/TimerControl.h"
#include "settings/Settings.h"
#include "sources/ModemMonitor.h"

#include <QTemporaryDir>
#include <QTest>

// The modem monitor on the real serial port, whose far end is a pseudo-terminal linked as
// port 3; port 4 names a device that does not exist.
class tst_ModemMonitor : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    Settings m_settings;
    QtSerialPort m_serial{m_dir.path()};
    TimerControl m_timer;
    RecordingCallSink m_pop;
    std::unique_ptr<PtyModem> m_far;
    std::unique_ptr<ModemMonitor> m_monitor;
    QStringList m_events; // the monitor's signals and failures, in order

    // All the far end got | the receive buffer | the calls popped | the events | the port.
    QString snapshot() const
    {
        QString calls;
        for (const Call &call : m_pop.calls)
            calls += call.number + '/' + call.name + " from " + call.origin + ';';
        return QString::fromLatin1(m_far->received) + '|' + m_monitor->buffer().text() + '|' +
               calls + '|' + m_events.join(',') + (m_serial.PortOpen() ? "|open" : "|closed") +
               (m_timer.Enabled() ? "|polled" : "|idle");
    }
    // "open", "close", "port N", "dial NUMBER", "unplug" the far end, "plug" in a new one, or
    // "send TEXT" from the modem, which waits until the monitor has read it.
    void act(const QString &step)
    {
        const QString verb = step.section(' ', 0, 0), text = step.section(' ', 1);
        try {
            if (verb == "open")
                m_monitor->OpenModem();
            else if (verb == "close")
                m_monitor->CloseModem();
            else if (verb == "port")
                m_settings.comPort = qint16(text.toInt());
            else if (verb == "dial")
                m_monitor->dial(text);
            else if (verb == "unplug")
                m_far->Close();
            else if (verb == "plug")
                QVERIFY((m_far = std::make_unique<PtyModem>())->linkAs(m_dir.path(), 3));
            else if (verb == "send" && m_far->write(text.toLatin1()))
                QTRY_VERIFY(m_monitor->buffer().text().endsWith(text) || !m_pop.calls.isEmpty());
            else
                QFAIL(qPrintable("cannot " + step));
        } catch (const Failure &failure) {
            m_events << failure.text();
        }
    }

private slots:
    void initTestCase()
    {
        m_settings.modemSettings = "115200,N,8,1";
        m_settings.initString = "ATS0=0M0+VCID=1";
        m_settings.cidKey = "NMBR = ";
        m_settings.cidnameKey = "NAME = ";
        QVERIFY(QDir().mkpath(m_dir.filePath("Belvane")));
        QVERIFY(QFile::link(m_dir.filePath("ttyACM9"), m_dir.filePath("Belvane/com4")));
    }
    void init()
    {
        m_settings.comPort = 3;
        m_monitor = std::make_unique<ModemMonitor>(m_settings, m_serial, m_timer, m_pop);
        m_monitor->setIntervals({.poll = 20, .reopen = 50});
        const auto log = [this](const char *event) { return [this, event] { m_events << event; }; };
        connect(m_monitor.get(), &IDialer::availabilityChanged, this,
                [this](bool can) { m_events << (can ? "+dial" : "-dial"); });
        connect(m_monitor.get(), &ModemMonitor::monitoringStopped, this, log("stopped"));
        connect(m_monitor.get(), &ModemMonitor::monitoringResumed, this, log("resumed"));
        act("plug");
    }
    void cleanup()
    {
        m_monitor->CloseModem();
        m_pop.calls.clear();
        m_events.clear();
    }

    // Each row's steps, then the snapshot they come to; "<dir>" is the settings folder.
    void script_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QString &steps, const QString &snapshot) {
            QTest::newRow(name) << steps.split('|') << snapshot;
        };
        const QString init = "ATS0=0M0+VCID=1\r", half = "send RING\r\nNMBR = 5550001";
        row("report popped", "open|send RING\r\nDATE = 1015\r\nNMBR = 8475550001\r\nNAME = X\r\n",
            init + "||8475550001/X from Serial port 3;|+dial|open|polled");
        row("dial tick", "open|dial  555-0100", init + "ATDT  555-0100\r\r|||+dial|open|polled");
        row("no modem", "port 0|open", "||||closed|idle");
        row("port that fails to open", "port 4|open",
            "|||stopped,Serial port 4: cannot open <dir>/ttyACM9: No such file or directory. No "
            "modem? Set Com Port to 0.|closed|idle");
        row("half report outlives close and open", "open|" + half + "|close|open|send 2\r",
            init + init + "||55500012/ from Serial port 3;|+dial,-dial,+dial|open|polled");
        row("device lost", "open|" + half + "|unplug", init + "|||+dial,-dial,stopped|closed|idle");
        row("device back", "open|" + half + "|unplug|plug",
            init + "|||+dial,-dial,stopped,+dial,resumed|open|polled");
    }
    void script()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, expected);
        for (const QString &step : steps) {
            act(step);
            if (QTest::currentTestFailed())
                return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(snapshot(), expected.replace("<dir>", m_dir.path()), 5000);
    }
};

QTEST_GUILESS_MAIN(tst_ModemMonitor)
#include "tst_modemmonitor.moc"
