// Timed harness: how fast the real program shows its start-up page, and how long a call takes
// from the YAC message, or the modem's caller-ID text, to the search page being requested
// from the web server. The modem is a pseudo-terminal linked as port 3.
//   xvfb-run -a build/bench/bench_pop_latency [starts] [calls] [modem calls]
#include "e2e/HttpRecorder.h"
#include "e2e/ProgramRunner.h"
#include "fakes/PtyModem.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTextStream>

#include <algorithm>

namespace {

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * double(values.size() - 1) + 0.5);
    return values[index];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int starts = argc > 1 ? std::clamp(atoi(argv[1]), 1, 20) : 5;
    const int calls = argc > 2 ? std::clamp(atoi(argv[2]), 1, 200) : 30;
    const int modemCalls = argc > 3 ? std::clamp(atoi(argv[3]), 1, 50) : 5;
    QTextStream out(stdout);

    HttpRecorder web;
    if (!web.Start())
        return 1;

    // The first start creates the browser profile (a first run); later ones find it, as
    // every start after the first does on a user's machine.
    std::vector<double> startMs;
    {
        ProgramRunner program(QStringLiteral(RINGSCOUT_EXE));
        program.Set("comPort", "");
        program.Set("yacPort", "0");
        for (int run = 0; run <= starts; ++run) {
            const QString page = QStringLiteral("/start%1").arg(run);
            program.Set("startupURL", web.Url(page));
            QElapsedTimer clock;
            clock.start();
            if (!program.Start())
                return 1;
            if (!waitFor([&] { return web.Requests().contains(page); }, 30000)) {
                out << "start " << run << ": no page request within 30 s\n";
                return 1;
            }
            startMs.push_back(double(clock.nsecsElapsed()) / 1e6);
            program.Stop();
        }
    }
    const double firstStartMs = startMs.front();
    startMs.erase(startMs.begin());

    ProgramRunner program(QStringLiteral(RINGSCOUT_EXE));
    const quint16 yacPort = ProgramRunner::FreePort();
    PtyModem modem;
    if (!modem.LinkAs(program.ConfigDir(), 3))
        return 1;
    program.Set("comPort", "3");
    program.Set("yacPort", QString::number(yacPort));
    program.Set("startupURL", web.Url(QStringLiteral("/ready")));
    program.Set("URL", web.Url(QStringLiteral("/search?phone=*&name=+")));
    if (!program.Start() || !waitFor([&] { return web.Requests().contains("/ready"); }, 30000))
        return 1;

    std::vector<double> callMs;
    for (int i = 0; i < calls; ++i) {
        const QString number = QStringLiteral("555%1").arg(1000000 + i);
        const QString expected = QStringLiteral("/search?phone=%1&name=JOHN+SMITH").arg(number);
        QTcpSocket yac;
        // The listener takes one caller at a time; retry until it listens again.
        if (!waitFor(
                [&] {
                    yac.abort();
                    yac.connectToHost(QHostAddress::LocalHost, yacPort);
                    return yac.waitForConnected(1000);
                },
                10000))
            return 1;
        QElapsedTimer clock;
        clock.start();
        yac.write(QStringLiteral("@CALLJOHN SMITH~%1").arg(number).toLatin1());
        yac.flush();
        yac.disconnectFromHost();
        if (!waitFor([&] { return web.Requests().contains(expected); }, 10000)) {
            out << "call " << i << ": no search request within 10 s\n";
            return 1;
        }
        callMs.push_back(double(clock.nsecsElapsed()) / 1e6);
    }

    std::vector<double> modemMs;
    for (int i = 0; i < modemCalls; ++i) {
        const QString number = QStringLiteral("847%1").arg(5550000 + i);
        const QString expected = QStringLiteral("/search?phone=%1&name=U.S.ROBOTICS").arg(number);
        QElapsedTimer clock;
        clock.start();
        modem.Write(QStringLiteral("RING\r\n\r\nDATE = 1015\r\nTIME = 2038\r\nNMBR = %1\r\n"
                                   "NAME = U.S.ROBOTICS\r\n")
                        .arg(number)
                        .toLatin1());
        if (!waitFor([&] { return web.Requests().contains(expected); }, 10000)) {
            out << "modem call " << i << ": no search request within 10 s\n";
            return 1;
        }
        modemMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        // Calls come at random moments of the one-second poll.
        waitFor([] { return false; }, 300 + 137 * i % 700);
    }

    out << "program start to start-up page request: first run (new profile) " << firstStartMs
        << " ms; then median " << percentile(startMs, 0.5) << " ms, min " << percentile(startMs, 0)
        << " ms, max " << percentile(startMs, 1) << " ms over " << starts << " starts\n";
    out << "YAC message to search page request: median " << percentile(callMs, 0.5) << " ms, p90 "
        << percentile(callMs, 0.9) << " ms, max " << percentile(callMs, 1) << " ms over " << calls
        << " calls\n";
    out << "modem caller-ID text to search page request: median " << percentile(modemMs, 0.5)
        << " ms, min " << percentile(modemMs, 0) << " ms, max " << percentile(modemMs, 1)
        << " ms over " << modemCalls << " calls\n";
    return 0;
}
