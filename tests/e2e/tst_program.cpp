#include "e2e/HttpRecorder.h"
#include "e2e/ProgramRunner.h"
#include "fakes/TestSupport.h"

#include <QProcess>
#include <QRegularExpression>
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

// Clicks the page in the program's main window until the window titled `title` shows: the
// engine takes clicks once it has drawn the page.
bool clickThePageFor(const QString &title)
{
    for (int attempt = 0; attempt < 40; ++attempt, QTest::qWait(500)) {
        QProcess::execute("xdotool",
                          {"search", "--onlyvisible", "--name", "^Ringscout v1\\.2\\.17 - Belvane$",
                           "mousemove", "--window", "%1", "300", "300", "click", "1"});
        if (QProcess::execute("xdotool",
                              {"search", "--onlyvisible", "--name", '^' + title + '$'}) == 0)
            return true;
    }
    return false;
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

private:
    HttpRecorder m_web;
};

void tst_Program::initTestCase()
{
    QVERIFY(m_web.Start());
    // Every page is a number to call, as a CRM shows it.
    m_web.extraBody = "<a href='tel:+1-555-0100' style='position:fixed;inset:0'>call</a>";
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
    // The engine sends the name's "%2E" as ".".
    QTest::newRow("modem") << QStringList{"modem", "--port", "3"}
                           << "/modem?phone=8475550001&name=U.S.ROBOTICS";
}

// ringscout-sim makes the real program pop: first the start-up page shows, then the call's.
// A click on the page's number opens the Phone Dialer with it where a modem is open, and what
// the user types there goes out to the modem; without a modem the program says why not.
void tst_Program::setUpCheckerPops()
{
    QFETCH(QStringList, checker);
    QFETCH(QString, page);
    const bool yac = checker.first() == "yac", modem = checker.first() == "modem";
    const QString port = QString::number(ProgramRunner::FreePort());
    ProgramRunner program(QStringLiteral(RINGSCOUT_EXE));
    QVERIFY(program.IsValid());
    program.Set("comPort", modem ? "3" : "");
    program.Set("yacPort", yac ? port : "0");
    program.Set("startupURL", m_web.Url("/start"));
    program.Set("URL", m_web.Url(page.section('?', 0, 0) + "?phone=*&name=+"));
    const qsizetype starts = m_web.PageRequests().count("/start");

    QProcess sim;
    QByteArray out;
    QObject::connect(&sim, &QProcess::readyReadStandardOutput,
                     [&] { out += sim.readAllStandardOutput(); });
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", program.ConfigDir()); // where the modem is linked
    sim.setProcessEnvironment(environment);
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
    } else if (modem) {
        sim.start(RINGSCOUT_SIM_EXE, checker);
        QTRY_VERIFY_WITH_TIMEOUT(out.contains("Type NUMBER NAME"), 5000);
        QVERIFY(program.Start());
        QTRY_VERIFY_WITH_TIMEOUT(out.contains("< ATS0=0M0+VCID=1<CR>\n"), 30000);
        sim.write("8475550001 U.S.ROBOTICS\n");
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
    const QString answer = modem ? "Phone Dialer" : "Ringscout";
    QVERIFY(clickThePageFor(answer));
    if (modem) // "+1-555-0100" with its last two digits typed again
        QVERIFY(typeInto(answer, {"BackSpace", "BackSpace"}, "99"));
    QVERIFY(typeInto(answer, {"Return"}));
    if (modem)
        QTRY_VERIFY_WITH_TIMEOUT(out.contains("< ATDT +1-555-0199<CR>\n"), 5000);
    QCOMPARE(program.Process().state(), QProcess::Running);
    if (!yac) {
        sim.closeWriteChannel();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(out.contains("< Secret: ********\n"), !modem);
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

QTEST_GUILESS_MAIN(tst_Program)
#include "tst_program.moc"
