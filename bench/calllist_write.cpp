// SPDX-License-Identifier: GPL-3.0-or-later
// Timed harness: how long recording a call holds the thread that hands it on (the user-interface
// thread), over a burst, through the recorder and its writer thread; and, for comparison, how
// long the same write takes done on the calling thread (WAL, synchronous=NORMAL).
//   build/bench/bench_calllist_write [calls]
#include "calls/CallRecorder.h"
#include "calls/CallSchema.h"
#include "calls/CallStore.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <vector>

namespace {

QString line(const char *what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double p) { return ms[std::size_t(p * double(ms.size() - 1) + 0.5)]; };
    return QStringLiteral("%1: median %2 ms, p99 %3 ms, max %4 ms over %5\n")
        .arg(QLatin1StringView(what))
        .arg(at(0.5), 0, 'f', 3)
        .arg(at(0.99), 0, 'f', 3)
        .arg(at(1), 0, 'f', 3)
        .arg(ms.size());
}

double threadCpuMs()
{
    timespec now = {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

Call callNumber(int i)
{
    Call call = Call::of(QString::number(5550000000LL + i), QStringLiteral("Front Desk"));
    call.recognisedBy(Call::Source::Yac, QStringLiteral("127.0.0.1"));
    return call;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int calls = argc > 1 ? std::clamp(atoi(argv[1]), 1, 100000) : 1000;
    QTemporaryDir folder;
    Settings settings;
    settings.CallList = true;
    settings.CallListMax = 10000;
    settings.CallListDays = 365;

    // Wall time, and the thread's own CPU time: on a loaded machine the wall time also counts
    // the moments the scheduler gave the core to another thread.
    std::vector<double> handOn, handOnCpu, direct;
    {
        CallRecorder recorder(settings, folder.filePath(QStringLiteral("recorder.sqlite")));
        recorder.start();
        recorder.flush();
        for (int i = 0; i < calls; ++i) {
            const Call call = callNumber(i);
            QElapsedTimer clock;
            const double cpu = threadCpuMs();
            clock.start();
            recorder.callRecognised(call);
            handOn.push_back(double(clock.nsecsElapsed()) / 1e6);
            handOnCpu.push_back(threadCpuMs() - cpu);
        }
        recorder.flush();
    }
    CallStore store(folder.filePath(QStringLiteral("direct.sqlite")));
    store.open();
    for (int i = 0; i < calls; ++i) {
        const Call call = callNumber(i);
        QElapsedTimer clock;
        clock.start();
        store.record(call, CallSchema::kRang);
        direct.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    QTextStream out(stdout);
    out << line("UI thread, a call handed to the recorder", handOn);
    out << line("  the same, the thread's CPU time", handOnCpu);
    out << line("the same write done on the calling thread", direct);
    return 0;
}
