#include "e2e/HttpRecorder.h"
#include "e2e/ProgramRunner.h"
#include "fakes/PtyModem.h"
#include "fakes/TestSupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

// The DialBegin of the captured call, whose calling channel is 5551234567 "Front Desk".
QByteArray capturedDialBegin()
{
    const QByteArray capture = TestSupport::Fixture(QStringLiteral("ami/login-ok-call.bin"));
    qsizetype from = 0;
    while ((from = capture.indexOf("Event: DialBegin", from)) >= 0) {
        const qsizetype end = capture.indexOf("\r\n\r\n", from) + 4;
        const QByteArray block = capture.mid(from, end - from);
        if (block.contains("CallerIDName: Front Desk"))
            return block;
        from = end;
    }
    return {};
}

// Waits for the program's window titled exactly `title`, focuses it and types into it:
// xdotool key names ("Tab", "alt+o"), then `text`. False when no such window came up in 30 s.
bool typeInto(const QString &title, const QStringList &keys, const QString &text = {})
{
    QString window;
    QElapsedTimer clock;
    for (clock.start(); window.isEmpty() && clock.elapsed() < 30000; QTest::qWait(100)) {
        QProcess search;
        search.start("xdotool", {"search", "--onlyvisible", "--name",
                                 '^' + QRegularExpression::escape(title) + '$'});
        search.waitForFinished(5000);
        window = QString::fromLatin1(search.readAllStandardOutput()).section('\n', 0, 0);
    }
    return !window.isEmpty() &&
           QProcess::execute("xdotool", {"windowfocus", "--sync", window}) == 0 &&
           (keys.isEmpty() ||
            QProcess::execute("xdotool", QStringList{"key", "--delay", "50"} + keys) == 0) &&
           (text.isEmpty() || QProcess::execute("xdotool", {"type", "--delay", "50", text}) == 0);
}

// What the X server says about its windows (x11-utils).
QString xwininfo(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xwininfo"), arguments);
    process.waitForFinished(5000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

} // namespace

// The real program, end to end: the browser engine under a display, a web server that
// records what the browser asks for, and the call sources fed over loopback TCP.
class tst_Program : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void setUpCheckerPops_data();
    void setUpCheckerPops();
    void asteriskDialBegin();
    void brokenSettingIntoOptionsAndOutToAYacCall();
    void modemCallAndDial();

private:
    HttpRecorder m_web;
};

void tst_Program::initTestCase()
{
    QVERIFY(m_web.Start());
}

void tst_Program::setUpCheckerPops_data()
{
    QTest::addColumn<QStringList>("checker");
    QTest::addColumn<QString>("page");
    QTest::newRow("yac") << QStringList{"yac", "JOHN SMITH", "(555) 123-4567"}
                         << "/yac?phone=5551234567&name=JOHN+SMITH";
    QTest::newRow("pbx") << QStringList{"pbx"} << "/pbx?phone=5551234567&name=Front+Desk";
    QTest::newRow("pbx 1.4") << QStringList{"pbx", "--old"}
                             << "/pbx-old?phone=5551234567&name=Front+Desk";
}

// ringscout-sim makes the real program pop: first the start-up page shows, then the call's.
void tst_Program::setUpCheckerPops()
{
    QFETCH(QStringList, checker);
    QFETCH(QString, page);
    const bool yac = checker.first() == "yac";
    const QString port = QString::number(ProgramRunner::FreePort());
    ProgramRunner program(QStringLiteral(RINGSCOUT_EXE));
    QVERIFY(program.IsValid());
    program.Set("comPort", "");
    program.Set("yacPort", yac ? port : "0");
    program.Set("startupURL", m_web.Url("/start"));
    program.Set("URL", m_web.Url(page.section('?', 0, 0) + "?phone=*&name=+"));
    const qsizetype starts = m_web.PageRequests().count("/start");

    QProcess sim;
    QByteArray out;
    QObject::connect(&sim, &QProcess::readyReadStandardOutput,
                     [&] { out += sim.readAllStandardOutput(); });
    if (yac) {
        // A stored size of 143 million pixels: the window must fit the screen instead.
        program.Set("startw", "2147483647");
        program.Set("starth", "2147483647");
        QVERIFY(program.Start());
        QTRY_VERIFY_WITH_TIMEOUT(m_web.PageRequests().count("/start") > starts, 20000);
        const QString screen = xwininfo({"-root"});
        const QSize screenSize(
            QRegularExpression("Width: (\\d+)").match(screen).captured(1).toInt(),
            QRegularExpression("Height: (\\d+)").match(screen).captured(1).toInt());
        QVERIFY2(!screenSize.isEmpty(), qPrintable(screen));
        const QRegularExpression mainWindow("\"Ringscout v[^\"]*\": \\([^)]*\\)\\s+(\\d+)x(\\d+)");
        QRegularExpressionMatch window;
        QTRY_VERIFY((window = mainWindow.match(xwininfo({"-root", "-tree"}))).hasMatch());
        QCOMPARE(QSize(window.captured(1).toInt(), window.captured(2).toInt()), screenSize);

        sim.start(RINGSCOUT_SIM_EXE, QStringList{"yac", "--port", port} + checker.mid(1));
        QVERIFY(sim.waitForFinished(10000));
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY2(out.startsWith("Accepted"), out.constData());
    } else {
        program.Set("AsteriskServer", "127.0.0.1");
        program.Set("AsteriskPort", port);
        program.Set("AsteriskManager", "ringscout");
        program.Set("AsteriskPassword", "test123");
        program.Set("AsteriskExtension", "101");
        sim.start(RINGSCOUT_SIM_EXE,
                  checker + QStringList{"--listen", "127.0.0.1:" + port, "--user", "ringscout",
                                        "--secret", "test123"});
        QTRY_VERIFY_WITH_TIMEOUT(out.contains("Listening"), 5000);
        QVERIFY(program.Start());
        QTRY_VERIFY_WITH_TIMEOUT(out.contains("logged in as ringscout"), 30000);
        sim.write("5551234567 Front Desk 101\n");
    }
    QTRY_VERIFY_WITH_TIMEOUT(m_web.PageRequests().contains(page), 30000);
    QCOMPARE(program.Process().state(), QProcess::Running);
    if (!yac) {
        sim.closeWriteChannel();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QVERIFY(out.contains("< Secret: ********\n"));
        QVERIFY(!out.contains("test123"));
    }
}

void tst_Program::asteriskDialBegin()
{
    const QByteArray dialBegin = capturedDialBegin();
    QVERIFY(!dialBegin.isEmpty());

    // A scripted Manager Interface: greeting, accept the login, then the call.
    QTcpServer ami;
    QVERIFY(TestSupport::ListenOnSmallPort(ami));
    QByteArray received;
    QObject::connect(&ami, &QTcpServer::newConnection, &ami, [&] {
        QTcpSocket *peer = ami.nextPendingConnection();
        peer->write("Asterisk Call Manager/11.0.0\r\n");
        QObject::connect(peer, &QTcpSocket::readyRead, peer, [&, peer] {
            const QByteArray data = peer->readAll();
            received += data;
            if (data.contains("Action: login"))
                peer->write("Response: Success\r\nMessage: Authentication accepted\r\n\r\n");
            if (data.contains("Action: events"))
                peer->write("Response: Success\r\nEvents: On\r\n\r\n" + dialBegin);
        });
    });

    ProgramRunner program(QStringLiteral(RINGSCOUT_EXE));
    program.Set("comPort", "");
    program.Set("yacPort", "0");
    program.Set("startupURL", "");
    program.Set("URL", m_web.Url("/ami?phone=*&name=+"));
    program.Set("AsteriskServer", "127.0.0.1");
    program.Set("AsteriskPort", QString::number(ami.serverPort()));
    program.Set("AsteriskManager", "ringscout");
    program.Set("AsteriskPassword", "test123");
    program.Set("AsteriskExtension", "101");
    QVERIFY(program.Start());

    QTRY_VERIFY_WITH_TIMEOUT(m_web.PageRequests().contains("/ami?phone=5551234567&name=Front+Desk"),
                             30000);
    QVERIFY(received.startsWith("Action: login\r\nUsername: ringscout\r\nSecret: test123\r\n\r\n"));
    QVERIFY(received.contains("Action: events\r\nEventMask: call\r\n\r\n"));
}

void tst_Program::brokenSettingIntoOptionsAndOutToAYacCall()
{
    ProgramRunner program(QStringLiteral(RINGSCOUT_EXE));
    const quint16 yacPort = ProgramRunner::FreePort();
    program.Set("comPort", "");
    program.Set("yacPort", ""); // not a number: start-up fails
    program.Set("startupURL", "");
    program.Set("URL", m_web.Url("/search?phone=*&name=+"));
    QVERIFY(program.Start());

    QVERIFY(typeInto("Modem Initialization Failure", {"Return"}));
    // The focus starts on the API port; the YAC port is five fields on. Then OK.
    QVERIFY(typeInto("Options - Ringscout v1.2.17", {"Tab", "Tab", "Tab", "Tab", "Tab"},
                     QString::number(yacPort)));
    QVERIFY(typeInto("Options - Ringscout v1.2.17", {"alt+o"}));
    QVERIFY(typeInto("Ringscout v1.2.17 - Belvane", {})); // the main window is back

    // A YAC server: one connection, the message, no terminator, close.
    QTcpSocket yac;
    yac.connectToHost(QHostAddress::LocalHost, yacPort);
    QVERIFY(yac.waitForConnected(5000));
    yac.write("@CALLJOHN SMITH~(555) 123-4567");
    QVERIFY(yac.waitForBytesWritten(5000));
    yac.disconnectFromHost();
    QTRY_VERIFY_WITH_TIMEOUT(
        m_web.PageRequests().contains("/search?phone=5551234567&name=JOHN+SMITH"), 30000);
    QCOMPARE(program.Process().state(), QProcess::Running);
}

// A pseudo-terminal as the modem: its caller-ID report pops the search page, and a number
// typed into the Phone Dialer goes out to it, keys pressed as a user presses them.
void tst_Program::modemCallAndDial()
{
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    QVERIFY2(!xdotool.isEmpty(), "xdotool presses the keys (tools/setup.sh installs it)");
    const auto xdo = [&xdotool](const QStringList &arguments) {
        QProcess run;
        run.setStandardOutputFile(QProcess::nullDevice());
        run.start(xdotool, arguments);
        return run.waitForFinished(10000) && run.exitCode() == 0;
    };
    ProgramRunner program(QStringLiteral(RINGSCOUT_EXE));
    PtyModem modem;
    QVERIFY(modem.LinkAs(program.ConfigDir(), 3));
    program.Set("comPort", "3");
    program.Set("yacPort", "0");
    program.Set("startupURL", "");
    program.Set("URL", m_web.Url("/modem?phone=*&name=+"));
    QVERIFY(program.Start());
    QTRY_COMPARE_WITH_TIMEOUT(modem.received, QByteArray("ATS0=0M0+VCID=1\r"), 30000);

    modem.Write("RING\r\n\r\nDATE = 1015\r\nTIME = 2038\r\nNMBR = 8475550001\r\n"
                "NAME = U.S.ROBOTICS\r\n");
    // The engine sends the name's "%2E" as ".".
    QTRY_VERIFY_WITH_TIMEOUT(
        m_web.PageRequests().contains("/modem?phone=8475550001&name=U.S.ROBOTICS"), 10000);

    // The pop brought the main window up: Alt+D opens the dialer, Enter confirms.
    modem.received.clear();
    QVERIFY(xdo({"key", "alt+d"}));
    QVERIFY(xdo({"search", "--sync", "--onlyvisible", "--name", "^Phone Dialer$"}));
    QVERIFY(xdo({"type", "--delay", "20", "555 0100"}));
    QVERIFY(xdo({"key", "Return"}));
    QTRY_COMPARE_WITH_TIMEOUT(modem.received, QByteArray("ATDT 555 0100\r"), 5000);
}

QTEST_GUILESS_MAIN(tst_Program)
#include "tst_program.moc"
