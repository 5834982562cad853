// Throughput of the Asterisk Manager Interface path on a busy PBX's event stream: framing and
// the Dial scan in memory, and the whole client over a loopback socket.
//
//   bench_ami [STREAM.bin [CHUNKS.txt]] [--benchmark_...]
//
// The stream comes from gen-ami-stream.js (target ami_stream); RINGSCOUT_AMI_STREAM and
// RINGSCOUT_AMI_CHUNKS override the default paths.

#include "fakes/RecordingShowCaller.h"
#include "platform/TcpSocketControl.h"
#include "platform/TimerControl.h"
#include "settings/Globals.h"
#include "sources/AmiFramer.h"
#include "sources/AsteriskClient.h"
#include "sources/DialScan.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <string_view>
#include <thread>

namespace {

// The default stream of gen-ami-stream.js (200,000 events), as its README gives it.
constexpr const char *kDefaultSha256 =
    "b6926ec27df2f6a233de101a76629b92a4b962bdbe0e9a1965c141a8ec5e4f61";

struct Stream
{
    QByteArray bytes;
    qsizetype greetingSize = 0;
    qsizetype loginSize = 0;
    QList<qsizetype> writes; // the server's write sizes for the events
    // What the client reads: the greeting, the login reply, then the events as written.
    QList<QByteArrayView> reads;
    int events = 0;
    int dialBegins = 0;
    int expectedPops = 0;
    QByteArray expectedDigest;
};

Stream g_stream;

using Clock = std::chrono::steady_clock;

QByteArray popDigest(const QList<DialScan::Caller> &pops)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const auto &pop : pops)
        hash.addData((pop.number + QChar(0x1f) + pop.name + QChar(0x1e)).toUtf8());
    return hash.result().toHex();
}

// Independent of the code under test: split at each empty line, read every DialBegin's
// header lines into a table and apply the pop rules with AsteriskExtension empty.
void referenceCount(Stream &s)
{
    const std::string_view all(s.bytes.constData(), size_t(s.bytes.size()));
    QList<DialScan::Caller> pops;
    for (size_t at = size_t(s.greetingSize + s.loginSize); at < all.size();) {
        const size_t end = all.find("\r\n\r\n", at);
        if (end == std::string_view::npos)
            break;
        const std::string_view message = all.substr(at, end + 2 - at);
        at = end + 4;
        ++s.events;
        if (!message.starts_with("Event: DialBegin\r\n"))
            continue;
        ++s.dialBegins;
        QString number, name, destination;
        for (size_t line = 0; line < message.size();) {
            const size_t eol = message.find("\r\n", line);
            const std::string_view text = message.substr(line, eol - line);
            line = eol + 2;
            const size_t colon = text.find(": ");
            const std::string_view key = text.substr(0, colon);
            const QString value = QString::fromUtf8(text.substr(colon + 2));
            if (key == "CallerIDNum")
                number = value.trimmed();
            else if (key == "CallerIDName")
                name = value.trimmed();
            else if (key == "DestChannel")
                destination = value;
        }
        if (name == QLatin1String("<unknown>"))
            name.clear();
        if (number == QLatin1String("<unknown>") || number.size() < 6 || destination.isEmpty())
            continue;
        pops.append({number, name});
    }
    s.expectedPops = int(pops.size());
    s.expectedDigest = popDigest(pops);
}

bool load(const QString &streamPath, const QString &chunksPath, QString *error)
{
    QFile file(streamPath);
    QFile chunks(chunksPath);
    if (!file.open(QIODevice::ReadOnly) || !chunks.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot read %1 or %2").arg(streamPath, chunksPath);
        return false;
    }
    Stream &s = g_stream;
    s.bytes = file.readAll();
    s.greetingSize = s.bytes.indexOf("\r\n") + 2;
    s.loginSize = s.bytes.indexOf("\r\n\r\n", s.greetingSize) + 4 - s.greetingSize;
    while (!chunks.atEnd()) {
        const QByteArray line = chunks.readLine().trimmed();
        if (!line.isEmpty())
            s.writes.append(line.toLongLong());
    }
    const QByteArrayView all(s.bytes);
    s.reads = {all.first(s.greetingSize), all.sliced(s.greetingSize, s.loginSize)};
    qsizetype at = s.greetingSize + s.loginSize;
    for (const qsizetype size : s.writes) {
        if (at + size > all.size())
            break;
        s.reads.append(all.sliced(at, size));
        at += size;
    }
    if (at != all.size()) {
        *error =
            QStringLiteral("the write sizes in %1 do not add up to the stream").arg(chunksPath);
        return false;
    }
    referenceCount(s);
    return true;
}

void setRates(benchmark::State &state)
{
    state.counters["events/s"] =
        benchmark::Counter(g_stream.events, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MB/s"] = benchmark::Counter(double(g_stream.bytes.size()) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

// What AsteriskClient does with each read: frame, look for the three texts, scan once.
void BM_ClientReads(benchmark::State &state)
{
    int pops = 0;
    qsizetype peakTail = 0;
    qsizetype largestOutput = 0;
    for (auto _ : state) {
        AmiFramer framer;
        pops = 0;
        for (const QByteArrayView read : g_stream.reads) {
            const QByteArray text = framer.Feed(read).messages;
            if (text.isEmpty())
                continue;
            largestOutput = qMax(largestOutput, text.size());
            benchmark::DoNotOptimize(text.contains("Asterisk Call Manager"));
            benchmark::DoNotOptimize(text.contains("Authentication accepted"));
            benchmark::DoNotOptimize(text.contains("Authentication failed"));
            if (DialScan::FirstCaller(text, QString()))
                ++pops;
        }
        peakTail = framer.PeakTailSize();
    }
    setRates(state);
    state.counters["pops"] = pops;
    state.counters["peak_tail_B"] = double(peakTail);
    state.counters["largest_read_B"] = double(largestOutput);
}

// The same framing, then every message scanned on its own, so that every DialBegin is
// judged; the pops must match the reference exactly.
void BM_EveryMessage(benchmark::State &state)
{
    QList<DialScan::Caller> pops;
    qsizetype peakTail = 0;
    for (auto _ : state) {
        AmiFramer framer;
        pops.clear();
        for (const QByteArrayView read : g_stream.reads) {
            const QByteArray text = framer.Feed(read).messages;
            const QByteArrayView all(text);
            for (qsizetype at = 0; at < all.size();) {
                qsizetype end = all.indexOf("\r\n\r\n", at);
                end = end < 0 ? all.size() : end + 4;
                if (auto caller = DialScan::FirstCaller(all.sliced(at, end - at), QString()))
                    pops.append(std::move(*caller));
                at = end;
            }
        }
        peakTail = framer.PeakTailSize();
    }
    if (pops.size() != g_stream.expectedPops || popDigest(pops) != g_stream.expectedDigest)
        state.SkipWithError("the pops differ from the reference");
    setRates(state);
    state.counters["pops"] = double(pops.size());
    state.counters["peak_tail_B"] = double(peakTail);
}

bool sendAll(int fd, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const ssize_t sent = ::send(fd, bytes.data(), size_t(bytes.size()), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        bytes = bytes.sliced(sent);
    }
    return true;
}

bool readMessage(int fd)
{
    QByteArray got;
    char buffer[512];
    while (!got.contains("\r\n\r\n")) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        got.append(buffer, n);
    }
    return true;
}

// A replaying PBX on its own thread: greeting, login reply, then the events in the
// generator's write sizes as fast as the socket takes them, then it hangs up.
void servePbx(std::promise<int> portReady, std::atomic<Clock::rep> *firstEventAt)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int port = 0;
    // AsteriskPort is 16-bit signed.
    for (int candidate = 23500; candidate < 32000 && port == 0; candidate += 7) {
        address.sin_port = htons(uint16_t(candidate));
        if (::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
            port = candidate;
    }
    if (port == 0 || ::listen(listener, 1) != 0) {
        ::close(listener);
        portReady.set_value(0);
        return;
    }
    portReady.set_value(port);
    const int client = ::accept(listener, nullptr, nullptr);
    ::close(listener);
    const auto &reads = g_stream.reads;
    if (client >= 0 && sendAll(client, reads[0]) && readMessage(client) &&
        sendAll(client, reads[1]) && readMessage(client)) {
        firstEventAt->store(Clock::now().time_since_epoch().count());
        for (qsizetype i = 2; i < reads.size() && sendAll(client, reads[i]); ++i) {
        }
    }
    if (client >= 0)
        ::close(client);
}

// The whole client, as the program runs it: TcpSocketControl, AsteriskClient, event loop.
// Timed from the first event byte written to the client having read the last.
void BM_LoopbackClient(benchmark::State &state)
{
    int pops = 0;
    qint64 largestRead = 0;
    for (auto _ : state) {
        std::promise<int> portReady;
        std::future<int> portFuture = portReady.get_future();
        std::atomic<Clock::rep> firstEventAt{0};
        std::thread server(servePbx, std::move(portReady), &firstEventAt);
        const int port = portFuture.get();
        if (port == 0) {
            server.join();
            state.SkipWithError("no free port below 32768");
            return;
        }

        Settings g;
        g.AsteriskServer = QStringLiteral("127.0.0.1");
        g.AsteriskPort = qint16(port);
        g.AsteriskManager = QStringLiteral("bench");
        g.AsteriskPassword = QStringLiteral("bench");
        TcpSocketControl wsAst;
        TimerControl atimer;
        RecordingShowCaller pop;
        AsteriskClient client(g, wsAst, atimer, pop);
        qint64 received = 0;
        QEventLoop loop;
        QObject::connect(&wsAst, &ISocketControl::DataArrival, &loop, [&](qint64 bytes) {
            received += bytes;
            largestRead = qMax(largestRead, bytes);
        });
        QObject::connect(&wsAst, &ISocketControl::PeerClosed, &loop, &QEventLoop::quit);
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        client.ConnectAsterisk();
        loop.exec();
        const auto done = Clock::now().time_since_epoch().count();
        server.join();
        if (received != g_stream.bytes.size()) {
            state.SkipWithError("the client did not read the whole stream");
            return;
        }
        state.SetIterationTime(
            std::chrono::duration<double>(Clock::duration(done - firstEventAt.load())).count());
        pops = int(pop.calls.size());
    }
    setRates(state);
    state.counters["pops"] = pops;
    state.counters["largest_read_B"] = double(largestRead);
}

long peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    QCoreApplication app(argc, argv);

    const QString defaultStream =
        qEnvironmentVariable("RINGSCOUT_AMI_STREAM", QStringLiteral(RINGSCOUT_AMI_STREAM_DEFAULT));
    const QString streamPath = argc > 1 ? QString::fromLocal8Bit(argv[1]) : defaultStream;
    const QString chunksPath =
        argc > 2 ? QString::fromLocal8Bit(argv[2])
                 : qEnvironmentVariable("RINGSCOUT_AMI_CHUNKS",
                                        streamPath.endsWith(QLatin1String(".bin"))
                                            ? streamPath.chopped(4) + QStringLiteral(".chunks.txt")
                                            : streamPath + QStringLiteral(".chunks.txt"));
    QString error;
    if (!load(streamPath, chunksPath, &error)) {
        std::fprintf(stderr,
                     "bench_ami: %s\n"
                     "usage: bench_ami [STREAM.bin [CHUNKS.txt]] [--benchmark_...]\n"
                     "Make the stream with: cmake --build <build dir> --target ami_stream\n"
                     "or: node gen-ami-stream.js STREAM.bin --chunks STREAM.chunks.txt\n",
                     qPrintable(error));
        return 2;
    }
    const long rssLoaded = peakRssKiB();
    const bool documented =
        QCryptographicHash::hash(g_stream.bytes, QCryptographicHash::Sha256).toHex() ==
        kDefaultSha256;
    std::printf("stream: %s, %lld bytes%s, %lld writes\n"
                "reference: %d events, %d DialBegin, %d with a caller to pop (6+ characters,"
                " not <unknown>)\n",
                qPrintable(streamPath), qlonglong(g_stream.bytes.size()),
                documented ? " (the documented 200k stream)" : "",
                qlonglong(g_stream.writes.size()), g_stream.events, g_stream.dialBegins,
                g_stream.expectedPops);

    benchmark::RegisterBenchmark("ClientReads", BM_ClientReads)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("EveryMessage", BM_EveryMessage)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("LoopbackClient", BM_LoopbackClient)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("peak RSS: %ld KiB (%ld KiB with the stream loaded, before the runs)\n",
                peakRssKiB(), rssLoaded);
    return 0;
}
