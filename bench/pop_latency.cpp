// Timed harness: how fast the real program shows its start-up page, and how long a YAC call
// takes from the message being sent to the search page being requested from the web server.
//   xvfb-run -a build/bench/bench_pop_latency [starts] [calls]
#include "e2e/HttpRecorder.h"
#include "e2e/ProgramRunner.h"

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
    program.Set("comPort", "");
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
        if (!waitFor([&] {
                yac.abort();
                yac.connectToHost(QHostAddress::LocalHost, yacPort);
                return yac.waitForConnected(1000);
            }, 10000))
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

    out << "program start to start-up page request: first run (new profile) " << firstStartMs
        << " ms; then median " << percentile(startMs, 0.5) << " ms, min "
        << percentile(startMs, 0) << " ms, max " << percentile(startMs, 1) << " ms over "
        << starts << " starts\n";
    out << "YAC message to search page request: median " << percentile(callMs, 0.5)
        << " ms, p90 " << percentile(callMs, 0.9) << " ms, max " << percentile(callMs, 1)
        << " ms over " << calls << " calls\n";
    return 0;
}
