// SPDX-License-Identifier: GPL-3.0-or-later
// Timed harness: how fast the real program shows its start-up page, and how long a call takes
// from the source's last byte to the search page being requested from the web server, for a
// YAC server, an Asterisk PBX and a caller-ID modem (a pseudo-terminal linked as port 3). The
// harness waits on events, never in a loop of its own, and spaces the calls so that one
// call's page load does not overlap the next call. With [list calls] > 0 it then measures YAC
// calls with the call list on and off, in alternating blocks of 50 (a fresh start each), until
// each has that many.
//   xvfb-run -a build/bench/bench_pop_latency [starts] [calls] [gap ms] [modem calls]
//       [list calls]
#include "e2e/HttpRecorder.h"
#include "e2e/ProgramRunner.h"
#include "fakes/PtyModem.h"
#include "fakes/ScriptedAmiServer.h"
#include "fakes/TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <variant>

namespace {

// Runs the event loop until `done` holds after one of `sender`'s `signal`s, or until the
// timeout. True when done.
template <typename Sender, typename Signal>
bool waitFor(Sender *sender, Signal signal, const std::function<bool()> &done, int timeoutMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    QObject::connect(sender, signal, &loop, [&] {
        if (done())
            loop.quit();
    });
    loop.exec();
    return done();
}

void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool requested(HttpRecorder &web, const QString &target, int timeoutMs)
{
    return waitFor(
        &web, &HttpRecorder::requested, [&] { return web.requests().contains(target); }, timeoutMs);
}

struct Summary
{
    std::vector<double> ms;

    double at(double p) const
    {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted[static_cast<std::size_t>(p * double(sorted.size() - 1) + 0.5)];
    }
    QString line(const QString &what) const
    {
        return QStringLiteral("%1: median %2 ms, p90 %3 ms, max %4 ms over %5\n")
            .arg(what)
            .arg(at(0.5), 0, 'f', 1)
            .arg(at(0.9), 0, 'f', 1)
            .arg(at(1), 0, 'f', 1)
            .arg(ms.size());
    }
};

double elapsedMs(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

// The DialBegin of the captured call (5551234567 "Front Desk" to extension 101), with
// `number` as the caller.
QByteArray dialBeginFrom(const QString &number)
{
    const QByteArray capture = TestSupport::fixture(QStringLiteral("ami/login-ok-call.bin"));
    for (qsizetype from = 0; (from = capture.indexOf("Event: DialBegin", from)) >= 0;) {
        const qsizetype end = capture.indexOf("\r\n\r\n", from) + 4;
        QByteArray block = capture.mid(from, end - from);
        if (block.contains("CallerIDName: Front Desk"))
            return block.replace("CallerIDNum: 5551234567", "CallerIDNum: " + number.toLatin1());
        from = end;
    }
    return {};
}

// One YAC call to the program's listener: the milliseconds from the message's last byte to the
// search page's request, or a reason it failed.
std::variant<double, QString> yacCall(HttpRecorder &web, quint16 yacPort, const QString &number)
{
    QTcpSocket yac;
    yac.connectToHost(QHostAddress::LocalHost, yacPort);
    if (!yac.waitForConnected(5000))
        return QStringLiteral("the YAC listener did not accept");
    QElapsedTimer clock;
    clock.start();
    yac.write(QStringLiteral("@CALLJOHN SMITH~%1").arg(number).toLatin1());
    yac.flush();
    yac.disconnectFromHost();
    if (!requested(web, QStringLiteral("/search?phone=%1&name=JOHN+SMITH").arg(number), 10000))
        return QStringLiteral("no search request within 10 s");
    return elapsedMs(clock);
}

// YAC calls to a program started afresh for each block of 50, the call list on and off in
// turn, so that both series see the same machine and the same moments.
int listOnAndOff(HttpRecorder &web, int calls, int gapMs, QTextStream &out)
{
    Summary series[2]; // off, on
    for (int block = 0; series[1].ms.size() < std::size_t(calls); ++block) {
        const bool on = block % 2 == 1;
        ProgramRunner program;
        const quint16 yacPort = TestSupport::freeSmallPort();
        program.set("comPort", "");
        program.set("CallList", on ? "1" : "0");
        program.set("yacPort", QString::number(yacPort));
        program.set("startupURL", web.url(QStringLiteral("/ready%1").arg(block)));
        program.set("URL", web.url(QStringLiteral("/search?phone=*&name=+")));
        if (!program.start() || !requested(web, QStringLiteral("/ready%1").arg(block), 30000))
            return 1;
        for (int i = 0; i < 50; ++i) {
            pause(gapMs);
            const QString number =
                QStringLiteral("66%1%2").arg(block, 3, 10, QChar(u'0')).arg(i, 2, 10, QChar(u'0'));
            const auto ms = yacCall(web, yacPort, number);
            if (!std::holds_alternative<double>(ms)) {
                out << "YAC call " << number << ": " << std::get<QString>(ms) << '\n';
                return 1;
            }
            series[on].ms.push_back(std::get<double>(ms));
        }
    }
    out << series[0].line(QStringLiteral("YAC message to search page request, call list off"))
        << series[1].line(QStringLiteral("YAC message to search page request, call list on"));
    for (int on : {0, 1})
        out << "  p99 " << (on ? "on" : "off") << ": "
            << QString::number(series[on].at(0.99), 'f', 1) << " ms\n";
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int starts = argc > 1 ? std::clamp(atoi(argv[1]), 1, 20) : 5;
    const int calls = argc > 2 ? std::clamp(atoi(argv[2]), 1, 200) : 30;
    const int gapMs = argc > 3 ? std::clamp(atoi(argv[3]), 0, 5000) : 300;
    const int modemCalls = argc > 4 ? std::clamp(atoi(argv[4]), 1, 50) : 5;
    const int listCalls = argc > 5 ? std::clamp(atoi(argv[5]), 0, 2000) : 0;
    QTextStream out(stdout);

    HttpRecorder web;
    if (!web.start())
        return 1;

    // The first start creates the browser profile (a first run); later ones find it, as
    // every start after the first does on a user's machine.
    Summary warmStarts;
    double firstStartMs = 0;
    {
        ProgramRunner program;
        program.set("comPort", "");
        program.set("yacPort", "0");
        for (int run = 0; run <= starts; ++run) {
            const QString page = QStringLiteral("/start%1").arg(run);
            program.set("startupURL", web.url(page));
            QElapsedTimer clock;
            clock.start();
            if (!program.start() || !requested(web, page, 30000)) {
                out << "start " << run << ": no page request within 30 s\n";
                return 1;
            }
            (run == 0 ? firstStartMs : warmStarts.ms.emplace_back()) = elapsedMs(clock);
            program.stop();
            pause(gapMs);
        }
    }

    ScriptedAmiServer ami;
    ami.greeting = "Asterisk Call Manager/7.0.3\r\n";
    ami.onMessage = [](QTcpSocket &client, const QByteArray &message) {
        if (message.startsWith("Action: Challenge"))
            client.write("Response: Success\r\nChallenge: 1\r\n\r\n");
        else if (message.startsWith("Action: Login"))
            client.write("Response: Success\r\nMessage: Authentication accepted\r\n\r\n");
        else if (message.startsWith("Action: events"))
            client.write("Response: Success\r\nEvents: On\r\n\r\n");
    };
    if (!ami.Listen())
        return 1;

    ProgramRunner program;
    const quint16 yacPort = TestSupport::freeSmallPort();
    PtyModem modem;
    if (!modem.linkAs(program.configDir(), 3))
        return 1;
    program.set("comPort", "3");
    program.set("yacPort", QString::number(yacPort));
    program.set("startupURL", web.url(QStringLiteral("/ready")));
    program.set("URL", web.url(QStringLiteral("/search?phone=*&name=+")));
    program.set("AsteriskServer", "127.0.0.1");
    program.set("AsteriskPort", QString::number(ami.port()));
    program.set("AsteriskManager", "bench");
    program.set("AsteriskPassword", "bench");
    program.set("AsteriskExtension", "101");
    if (!program.start() || !requested(web, QStringLiteral("/ready"), 30000))
        return 1;

    Summary yacCalls;
    for (int i = 0; i < calls; ++i) {
        pause(gapMs);
        const QString number = QStringLiteral("555%1").arg(1000000 + i);
        const auto ms = yacCall(web, yacPort, number);
        if (!std::holds_alternative<double>(ms)) {
            out << "YAC call " << i << ": " << std::get<QString>(ms) << '\n';
            return 1;
        }
        yacCalls.ms.push_back(std::get<double>(ms));
    }

    Summary amiCalls;
    for (int i = 0; i < calls; ++i) {
        pause(gapMs);
        const QString number = QStringLiteral("444%1").arg(1000000 + i);
        if (!ami.client()) {
            out << "Asterisk call " << i << ": the program is not connected\n";
            return 1;
        }
        QElapsedTimer clock;
        clock.start();
        ami.client()->write(dialBeginFrom(number));
        ami.client()->flush();
        if (!requested(web, QStringLiteral("/search?phone=%1&name=Front+Desk").arg(number),
                       10000)) {
            out << "Asterisk call " << i << ": no search request within 10 s\n";
            return 1;
        }
        amiCalls.ms.push_back(elapsedMs(clock));
    }

    // The modem is read once a second and a caller is taken on the third read after the
    // report began, so these take 2 to 3 s by design. Calls come at varied moments of the poll.
    Summary modemCalls_;
    for (int i = 0; i < modemCalls; ++i) {
        pause(gapMs + 137 * i % 700);
        const QString number = QStringLiteral("847%1").arg(5550000 + i);
        QElapsedTimer clock;
        clock.start();
        modem.write(QStringLiteral("RING\r\n\r\nDATE = 1015\r\nTIME = 2038\r\nNMBR = %1\r\n"
                                   "NAME = U.S.ROBOTICS\r\n")
                        .arg(number)
                        .toLatin1());
        if (!requested(web, QStringLiteral("/search?phone=%1&name=U.S.ROBOTICS").arg(number),
                       10000)) {
            out << "modem call " << i << ": no search request within 10 s\n";
            return 1;
        }
        modemCalls_.ms.push_back(elapsedMs(clock));
    }

    out << "program start to start-up page request: first run (new profile) "
        << QString::number(firstStartMs, 'f', 1) << " ms\n";
    out << warmStarts.line(QStringLiteral("warm starts"));
    out << yacCalls.line(QStringLiteral("YAC message to search page request"));
    out << amiCalls.line(QStringLiteral("Asterisk DialBegin to search page request"));
    out << modemCalls_.line(QStringLiteral("modem caller-ID text to search page request"));
    out << "calls spaced " << gapMs << " ms apart\n";
    program.stop();
    return listOnAndOff(web, listCalls, gapMs, out);
}
