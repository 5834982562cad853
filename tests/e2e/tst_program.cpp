// SPDX-License-Identifier: GPL-3.0-or-later
#include "e2e/HttpRecorder.h"
#include "e2e/ProgramRunner.h"
#include "fakes/TestSupport.h"

#include <QtTest>

namespace {

const QString kMainWindow = QStringLiteral("Ringscout v1.2.17 - Belvane");

// Runs xdotool and gives its output and a space, or null when it fails (no window matched; a
// crash too, as no signal is 0) or does not end in 10 s (then the QProcess ends it).
QString xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    return process.waitForFinished(10000) && process.exitCode() == 0
               ? QString::fromLatin1(process.readAllStandardOutput() + ' ')
               : QString();
}

// xdotool's arguments to find the program's visible window titled exactly `title`.
QStringList find(const QString &title)
{
    return {"search", "--onlyvisible", "--name", '^' + title + '$'};
}

// Waits for the program's window titled exactly `title`, focuses it and types into it:
// xdotool key names ("Tab", "alt+o", "1"). A window that has just come up may not take the
// focus yet, so finding and focusing are tried again. False when that did not succeed in 60 s.
bool typeInto(const QString &title, const QStringList &keys)
{
    for (int wait = 0; wait < 600; ++wait, QTest::qWait(100)) {
        const QString window = xdotool(find(title)).section('\n', 0, 0);
        if (!window.isEmpty() && !xdotool({"windowfocus", "--sync", window}).isNull())
            return !xdotool(QStringList{"key", "--delay", "50"} + keys).isNull();
    }
    return false;
}

} // namespace

// The real program, end to end: the browser engine under a display, a web server that
// records what the browser asks for, and each call source driven by ringscout-sim.
class tst_Program : public QObject
{
    Q_OBJECT

private slots:
    void pops_data();
    void pops();
    void commandLine();
};

void tst_Program::pops_data()
{
    QTest::addColumn<QStringList>("checker");
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("handOver");    // the tel: address comes from a second start
    QTest::addColumn<QStringList>("drop"); // a call sent first, which pops nothing
    QTest::addColumn<QStringList>("says"); // what --verbose says of it, and of the call that pops
    QTest::newRow("yac, after mending a setting in Options")
        << QStringList{"yac", "JOHN SMITH", "(555) 123-4567"}
        << "/yac?phone=5551234567&name=JOHN+SMITH" << false << QStringList{"NOBODY", "unknown"}
        << QStringList{"ringscout.pop: nothing shown: the number \"unknown\" holds no digit",
                       "ringscout.yac: call: name \"JOHN SMITH\" number \"(555) 123-4567\""};
    QTest::newRow("pbx, tel: before the login")
        << QStringList{"pbx"} << "/pbx?phone=5551234567&name=Front+Desk" << false
        << QStringList{"5551234567 Front Desk 103"}
        << QStringList{"passed over (destination not among the extensions)",
                       "\"DialBegin\" pops: number \"5551234567\""};
    // The engine sends the name's "%2E" as ".".
    const QString page = "/modem?phone=8475550001&name=U.S.ROBOTICS";
    for (const bool handOver : {false, true})
        QTest::newRow(handOver ? "modem, restarted after a crash, tel: from a second start"
                               : "modem")
            << QStringList{"modem", "--port", "3"} << page << handOver << QStringList{"5 X"}
            << QStringList{"text dropped (number shorter than two characters)",
                           "report taken: number \"8475550001\""};
}

// ringscout-sim makes the real program pop: first the start-up page shows, then the call's.
// With YAC the start fails on a stored setting instead: the user mends it in the Options
// dialog, and the main window comes back, sized to the screen. A click on the page's number opens
// the Phone Dialer with it where a modem is open or a desk phone set, and Enter there dials it;
// without either the program says why not. A tel: address the program starts with before the
// PBX lets it log in waits for the login.
void tst_Program::pops()
{
    QFETCH(QStringList, checker);
    QFETCH(QString, page);
    QFETCH(bool, handOver);
    QFETCH(QStringList, drop);
    QFETCH(QStringList, says);
    const bool yac = checker[0] == "yac", modem = checker[0] == "modem";
    const QString port = QString::number(TestSupport::freeSmallPort());
    HttpRecorder web;
    QVERIFY(web.start());
    QByteArray log; // what the program says with --verbose; it outlives the program's last words
    ProgramRunner program;
    program.set("comPort", modem ? "3" : "");
    program.set("yacPort", yac ? "" : "0"); // not a number: start-up fails
    program.set("startupURL", web.url('/' + checker[0]));
    // Typed as in an address bar, without the scheme.
    program.set("URL", web.url(page.section('?', 0, 0) + "?phone=*&name=+").mid(7));
    qputenv("XDG_CONFIG_HOME", program.configDir().toLocal8Bit()); // where sim links the modem
    QProcess sim;
    QByteArray out;
    const auto said = [&](const char *text) {
        return (out += sim.readAllStandardOutput()).contains(text);
    };
    QObject::connect(&program.process, &QProcess::readyReadStandardError,
                     [&] { log += program.process.readAllStandardError(); });
    const auto logged = [&](const QString &text) { return log.contains(text.toUtf8()); };
    if (yac) {
        // A stored size of 143 million pixels: the window must fit the screen instead.
        program.set("startw", "2147483647");
        program.set("starth", "2147483647");
        QVERIFY(program.start());
        QVERIFY2(typeInto("Modem Initialization Failure", {"Return"}), log.constData());
        // The focus starts on the API port; the YAC port is five fields on. Then OK.
        QVERIFY2(typeInto("Options - Ringscout v1.2.17",
                          QStringList{"Tab", "Tab", "Tab", "Tab", "Tab"} +
                              port.split(QString(), Qt::SkipEmptyParts) + QStringList{"alt+o"}),
                 log.constData());
        const QString screen = xdotool({"getdisplaygeometry"}).trimmed().replace(' ', 'x');
        QTRY_VERIFY(xdotool(find(kMainWindow) + QStringList{"getwindowgeometry"})
                        .contains("Geometry: " + screen + '\n'));
        for (const QStringList &call : {drop, checker.mid(1)}) {
            sim.start(RINGSCOUT_SIM_EXE, QStringList{"yac", "--port", port} + call);
            QVERIFY(sim.waitForFinished(10000) && sim.exitCode() == 0); // accepted
        }
    } else if (modem) {
        sim.start(RINGSCOUT_SIM_EXE, checker);
        QTRY_VERIFY_WITH_TIMEOUT(said("Type NUMBER NAME"), 5000);
        QVERIFY(program.start());
        if (handOver) { // killed: its lock and socket stay behind, and must not block a start
            QTRY_VERIFY_WITH_TIMEOUT(said("< AT"), 30000);
            program.process.kill();
            QVERIFY(program.process.waitForFinished(10000));
            out.clear();
            QVERIFY(program.start());
        }
        QTRY_VERIFY_WITH_TIMEOUT(said("< AT"), 30000); // the modem is open
    } else {
        for (const QString &row :
             QStringList{"Server=127.0.0.1", "Port=" + port, "Manager=ringscout",
                         "Password=test123", "Extension=101", "Channel=PJSIP/101"})
            program.set("Asterisk" + row.section('=', 0, 0), row.section('=', 1));
        QVERIFY(program.start(program.process, {"tel:+1-555-0100"}));
        // The PBX is not up yet: the program says why it cannot connect, and tries again; the
        // tel: address waits in the dialer for the login.
        QTRY_VERIFY_WITH_TIMEOUT(logged("connection error: \"Connection refused\""), 30000);
        QTRY_VERIFY2_WITH_TIMEOUT(logged("(connecting to the PBX) to dial \"+1-555-0100\""),
                                  log.constData(), 10000);
        sim.start(RINGSCOUT_SIM_EXE,
                  checker + QStringList{"--listen", "127.0.0.1:" + port, "--user", "ringscout",
                                        "--secret", "test123"});
        QTRY_VERIFY_WITH_TIMEOUT(said("logged in as ringscout"), 30000);
        QVERIFY2(typeInto("Phone Dialer", {"Return"}), log.constData());
        QTRY_VERIFY_WITH_TIMEOUT(said("dialling +15550100"), 10000);
        out.clear();
    }
    if (!yac) { // the start-up page first, then the call
        QTRY_VERIFY_WITH_TIMEOUT(web.requests().contains('/' + checker[0]), 30000);
        sim.write(drop[0].toLatin1() + '\n');
        QTRY_VERIFY_WITH_TIMEOUT(logged(says[0]), 30000);
        sim.write(modem ? "8475550001 U.S.ROBOTICS\n" : "5551234567 Front Desk 101\n");
    }
    QTRY_VERIFY_WITH_TIMEOUT(web.requests().contains(page), 30000);
    // One line for each call, and the page that popped.
    QVERIFY2(logged(says[0]) && logged(says[1]) &&
                 logged("shown in the main window: \"" + web.url(page.section('&', 0, 0)).mid(7)),
             log.constData());
    const QString answer = yac ? "Ringscout" : "Phone Dialer";
    if (handOver) {
        QProcess second;
        QVERIFY(program.start(second, {"tel:+1-555-0100"}));
        QVERIFY(second.waitForFinished(10000) && second.exitCode() == 0); // handed over
    }
    // The engine takes clicks once it has drawn the page: click until the answer shows.
    for (int click = 0; !handOver && click < 40 && xdotool(find(answer)).isNull();
         ++click, QTest::qWait(500))
        xdotool(find(kMainWindow) +
                QStringList{"mousemove", "--window", "%1", "300", "300", "click", "1"});
    QVERIFY2(typeInto(answer, {"Return"}), log.constData());
    if (!yac)
        QTRY_VERIFY_WITH_TIMEOUT(said(modem ? "< ATDT +1-555-0100<CR>\n" : "dialling +15550100"),
                                 5000);
    QCOMPARE(program.process.state(), QProcess::Running);
    sim.closeWriteChannel(); // ends the simulator where it still runs
    sim.waitForFinished(5000);
}

// What the program says to its command line without a display (no DISPLAY, WAYLAND_DISPLAY or
// QT_QPA_PLATFORM), as with one: --help-all with Qt's options, and a usage error.
void tst_Program::commandLine()
{
    for (const auto &[argument, exitCode, says] :
         std::initializer_list<std::tuple<QString, int, QString>>{
             {"--help-all", 0, "--platform"},
             {"--bogus", 2, "ringscout: Unknown option 'bogus'.\nTry ringscout --help.\n"}}) {
        QProcess program;
        program.start("env", {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM",
                              RINGSCOUT_EXE, argument});
        QVERIFY(program.waitForFinished(10000));
        const QString said = program.readAllStandardOutput() + program.readAllStandardError();
        QVERIFY2(program.exitCode() == exitCode && said.contains(says), qPrintable(said));
    }
}

QTEST_GUILESS_MAIN(tst_Program)
#include "tst_program.moc"
