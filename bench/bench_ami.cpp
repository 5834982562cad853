// SPDX-License-Identifier: GPL-3.0-or-later
// Throughput of the Asterisk Manager Interface path on a busy PBX's event stream, in memory and
// over a loopback socket that a replaying server feeds in the generator's write sizes:
//   ClientReads, LoopbackClient   what AsteriskClient does: frame, pop at most one caller a read
//   EveryMessage[Loopback]        frame, then judge every message as a dial
//   FrameCount[Loopback]          frame and count the messages, nothing else
//   FloorLoopback/16384|262144    the socket floor: plain recv()s of 16 or 256 KiB, bytes counted
//
//   bench_ami [STREAM.bin [CHUNKS.txt]] [--benchmark_...]
//   bench_ami --serve COUNT [STREAM.bin [CHUNKS.txt]]   the server alone, for bench/node
//
// The stream comes from bench/gen-ami-stream.js (target ami_stream); RINGSCOUT_AMI_STREAM and
// RINGSCOUT_AMI_CHUNKS override the default paths. bench/README.md has the figures.

#include "platform/TcpSocketControl.h"
#include "platform/TimerControl.h"
#include "pop/ICallSink.h"
#include "settings/Settings.h"
#include "sources/AmiFramer.h"
#include "sources/AmiMessageEnd.h"
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

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <thread>
#include <vector>

namespace {

// The default stream of gen-ami-stream.js (200,000 events), as bench/README.md gives it.
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

// Counts the calls the client hands on, where the program would pop them.
struct CountingSink : ICallSink
{
    int calls = 0;
    void callRecognised(const Call &) override { ++calls; }
    void callEnded(const CallEnd &) override {}
};

using Clock = std::chrono::steady_clock;

QByteArray popDigest(const QList<Call> &pops)
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
    QList<Call> pops;
    for (size_t at = size_t(s.greetingSize + s.loginSize); at < all.size();) {
        const qsizetype end = AmiMessageEnd::after(s.bytes, qsizetype(at));
        if (end < 0)
            break;
        const std::string_view message = all.substr(at, size_t(end) - 2 - at);
        at = size_t(end);
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
        pops.append(Call::of(number, name));
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

// Minor page faults of the whole process (the loopback server thread too) so far.
double minorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_minflt);
}

void setRates(benchmark::State &state, double faultsBefore)
{
    state.counters["minflt/run"] =
        benchmark::Counter(minorFaults() - faultsBefore, benchmark::Counter::kAvgIterations);
    state.counters["events/s"] =
        benchmark::Counter(g_stream.events, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MB/s"] = benchmark::Counter(double(g_stream.bytes.size()) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

// What AsteriskClient does with each read: frame, look for the three texts, pop at most one.
void BM_ClientReads(benchmark::State &state)
{
    int pops = 0;
    qsizetype peakTail = 0;
    const double faults = minorFaults();
    for (auto _ : state) {
        AmiFramer framer;
        pops = 0;
        for (const QByteArrayView read : g_stream.reads) {
            const AmiFramer::Frames &frames = framer.feed(read);
            benchmark::DoNotOptimize(frames.greeting.contains("Asterisk Call Manager"));
            bool popped = false;
            for (const QByteArrayView message : frames.messages) {
                benchmark::DoNotOptimize(AmiMessageEnd::find(message, "Authentication accepted"));
                benchmark::DoNotOptimize(AmiMessageEnd::find(message, "Authentication failed"));
                if (!popped && DialScan::callerOf(message, QString()))
                    popped = true;
            }
            pops += popped;
        }
        peakTail = framer.peakTailSize();
    }
    setRates(state, faults);
    state.counters["pops"] = pops;
    state.counters["peak_tail_B"] = double(peakTail);
}

// The same framing, then every message scanned on its own, so that every DialBegin is
// judged; the pops must match the reference exactly.
void BM_EveryMessage(benchmark::State &state)
{
    QList<Call> pops;
    qsizetype peakTail = 0;
    const double faults = minorFaults();
    for (auto _ : state) {
        AmiFramer framer;
        pops.clear();
        for (const QByteArrayView read : g_stream.reads) {
            for (const QByteArrayView message : framer.feed(read).messages) {
                if (auto caller = DialScan::callerOf(message, QString()))
                    pops.append(std::move(*caller));
            }
        }
        peakTail = framer.peakTailSize();
    }
    if (pops.size() != g_stream.expectedPops || popDigest(pops) != g_stream.expectedDigest)
        state.SkipWithError("the pops differ from the reference");
    setRates(state, faults);
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

// One message from the client, or nothing when it hangs up first.
QByteArray readMessage(int fd)
{
    QByteArray got;
    char buffer[512];
    while (AmiMessageEnd::after(got) < 0) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return {};
        got.append(buffer, n);
    }
    return got;
}

// A listening socket on 127.0.0.1, or -1. AsteriskPort is 16-bit signed, so the port stays
// below 32768.
int listenLoopback(int *port)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    *port = 0;
    for (int candidate = 23500; candidate < 32000 && *port == 0; candidate += 7) {
        address.sin_port = htons(uint16_t(candidate));
        if (::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
            *port = candidate;
    }
    if (*port == 0 || ::listen(listener, 1) != 0) {
        ::close(listener);
        return -1;
    }
    return listener;
}

const QByteArrayView kChallengeReply("Response: Success\r\nChallenge: 1\r\n\r\n");

// A replaying PBX for one client: greeting, the login reply (with the client's ActionID, if
// it sent one, as Asterisk does), then at once the events in the generator's write sizes as
// fast as the socket takes them. Returns the steady clock when the first event byte went out,
// or 0. Whatever the client sends meanwhile is read before closing, so that the close is a
// plain end of stream and never a reset that could discard bytes the client has not read.
Clock::rep servePbx(int listener)
{
    const int client = ::accept(listener, nullptr, nullptr);
    if (client < 0)
        return 0;
    const auto &reads = g_stream.reads;
    Clock::rep firstEventAt = 0;
    if (sendAll(client, reads[0])) {
        QByteArray login = readMessage(client);
        // AsteriskClient asks for the MD5 challenge first; any key is taken.
        if (login.startsWith("Action: Challenge") && sendAll(client, kChallengeReply))
            login = readMessage(client);
        QByteArray reply = reads[1].toByteArray();
        const qsizetype id = login.indexOf("ActionID: ");
        if (id >= 0) {
            const qsizetype line = login.indexOf("\r\n", id) + 2;
            reply.insert(reply.indexOf("\r\n") + 2, login.mid(id, line - id));
        }
        if (!login.isEmpty() && sendAll(client, reply)) {
            firstEventAt = Clock::now().time_since_epoch().count();
            for (qsizetype i = 2; i < reads.size() && sendAll(client, reads[i]); ++i) {
            }
        }
    }
    ::shutdown(client, SHUT_WR);
    const timeval wait{10, 0};
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    char sink[4096];
    while (::recv(client, sink, sizeof sink, 0) > 0) {
    }
    ::close(client);
    return firstEventAt;
}

// servePbx on its own thread, for a client in this process.
class PbxThread
{
public:
    PbxThread()
    {
        m_listener = listenLoopback(&m_port);
        if (m_listener >= 0)
            m_thread = std::thread([this] { m_firstEventAt = servePbx(m_listener); });
    }
    ~PbxThread()
    {
        if (m_thread.joinable())
            m_thread.join();
        if (m_listener >= 0)
            ::close(m_listener);
    }
    int port() const { return m_port; }
    // Waits for the server to finish; the clock of its first event byte, or 0.
    Clock::rep firstEventAt()
    {
        if (m_thread.joinable())
            m_thread.join();
        return m_firstEventAt;
    }

private:
    int m_listener = -1;
    int m_port = 0;
    Clock::rep m_firstEventAt = 0;
    std::thread m_thread;
};

// The same framing, and then every message counted, nothing read from it: the least work any
// client must do.
void BM_FrameCount(benchmark::State &state)
{
    qsizetype messages = 0;
    const double faults = minorFaults();
    for (auto _ : state) {
        AmiFramer framer;
        messages = 0;
        for (const QByteArrayView read : g_stream.reads)
            messages += framer.feed(read).messages.size();
    }
    if (messages != g_stream.events + 1)
        state.SkipWithError("the message count differs from the reference");
    setRates(state, faults);
    state.counters["messages"] = double(messages);
}

// A reader on a real socket (TcpSocketControl, event loop) that logs in, frames the stream and
// then either judges every message as a dial (`judge`) or only counts it. Timed from the
// server's first event byte to the last message handled.
void loopbackReader(benchmark::State &state, bool judge)
{
    QList<Call> pops;
    qsizetype messages = 0;
    const double faults = minorFaults();
    for (auto _ : state) {
        PbxThread server;
        if (server.port() == 0) {
            state.SkipWithError("no free port below 32768");
            return;
        }
        TcpSocketControl socket;
        AmiFramer framer;
        pops.clear();
        messages = 0;
        Clock::rep done = 0;
        QEventLoop loop;
        QObject::connect(&socket, &ISocketControl::DataArrival, &loop, [&] {
            const QByteArray read = socket.GetData();
            const AmiFramer::Frames &frames = framer.feed(read);
            if (!frames.greeting.isEmpty())
                socket.SendData(QByteArrayLiteral("Action: login\r\nUsername: bench\r\n"
                                                  "Secret: bench\r\n\r\n"));
            messages += frames.messages.size();
            if (judge) {
                for (const QByteArrayView message : frames.messages) {
                    if (auto caller = DialScan::callerOf(message, QString()))
                        pops.append(std::move(*caller));
                }
            }
            if (messages == g_stream.events + 1) {
                done = Clock::now().time_since_epoch().count();
                loop.quit();
            }
        });
        QObject::connect(&socket, &ISocketControl::peerClosed, &loop, &QEventLoop::quit);
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        socket.SetRemoteHost(QStringLiteral("127.0.0.1"));
        socket.SetRemotePort(server.port());
        socket.Connect();
        loop.exec();
        socket.Close();
        const Clock::rep firstEventAt = server.firstEventAt();
        if (done == 0 || firstEventAt == 0) {
            state.SkipWithError("the reader did not get every message");
            return;
        }
        state.SetIterationTime(
            std::chrono::duration<double>(Clock::duration(done - firstEventAt)).count());
    }
    if (judge &&
        (pops.size() != g_stream.expectedPops || popDigest(pops) != g_stream.expectedDigest))
        state.SkipWithError("the pops differ from the reference");
    setRates(state, faults);
    state.counters["messages"] = double(messages);
    if (judge)
        state.counters["pops"] = double(pops.size());
}

void BM_EveryMessageLoopback(benchmark::State &state)
{
    loopbackReader(state, true);
}

void BM_FrameCountLoopback(benchmark::State &state)
{
    loopbackReader(state, false);
}

// The socket floor: a plain POSIX client, no Qt, against the same server. It reads the
// greeting, logs in like the others, then takes the events with blocking recv() calls of at
// most the case's argument into one buffer, and only counts the bytes: no framing, nothing
// read from them. At 16 KiB a call it is the floor the reader is held against; at 256 KiB,
// the most TcpSocketControl asks for at once, no reader of this stream can be quicker.
void BM_FloorLoopback(benchmark::State &state)
{
    std::vector<char> buffer(size_t(state.range(0)), '\0');
    qint64 received = 0;
    const double faults = minorFaults();
    for (auto _ : state) {
        PbxThread server;
        if (server.port() == 0) {
            state.SkipWithError("no free port below 32768");
            return;
        }
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(uint16_t(server.port()));
        received = 0;
        Clock::rep done = 0;
        if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
            // The greeting and the login reply are counted too, as every reader reads them.
            bool sentLogin = false;
            for (ssize_t n; received < g_stream.bytes.size() &&
                            (n = ::recv(fd, buffer.data(), buffer.size(), 0)) > 0;) {
                received += n;
                if (!sentLogin && received >= g_stream.greetingSize) {
                    sentLogin = sendAll(fd, "Action: login\r\nUsername: bench\r\n"
                                            "Secret: bench\r\n\r\n");
                }
            }
            done = Clock::now().time_since_epoch().count();
        }
        ::close(fd);
        const Clock::rep firstEventAt = server.firstEventAt();
        if (received != g_stream.bytes.size() || firstEventAt == 0) {
            state.SkipWithError("the floor client did not read the whole stream");
            return;
        }
        state.SetIterationTime(
            std::chrono::duration<double>(Clock::duration(done - firstEventAt)).count());
    }
    setRates(state, faults);
    state.counters["bytes"] = double(received);
}

// The whole client, as the program runs it: TcpSocketControl, AsteriskClient, event loop.
// Timed from the first event byte written to the client having read the last.
void BM_LoopbackClient(benchmark::State &state)
{
    int pops = 0;
    qint64 largestRead = 0;
    const double faults = minorFaults();
    for (auto _ : state) {
        PbxThread server;
        if (server.port() == 0) {
            state.SkipWithError("no free port below 32768");
            return;
        }

        Settings g;
        g.AsteriskServer = QStringLiteral("127.0.0.1");
        g.AsteriskPort = qint16(server.port());
        g.AsteriskManager = QStringLiteral("bench");
        g.AsteriskPassword = QStringLiteral("bench");
        TcpSocketControl wsAst;
        TimerControl atimer;
        CountingSink pop;
        AsteriskClient client(g, wsAst, atimer, pop);
        qint64 received = 0;
        QEventLoop loop;
        QObject::connect(&wsAst, &ISocketControl::DataArrival, &loop, [&](qint64 bytes) {
            received += bytes;
            largestRead = qMax(largestRead, bytes);
        });
        QObject::connect(&wsAst, &ISocketControl::peerClosed, &loop, &QEventLoop::quit);
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        client.ConnectAsterisk();
        loop.exec();
        const auto done = Clock::now().time_since_epoch().count();
        wsAst.Close();
        const Clock::rep firstEventAt = server.firstEventAt();
        if (received != g_stream.bytes.size() + kChallengeReply.size()) {
            state.SkipWithError("the client did not read the whole stream");
            return;
        }
        state.SetIterationTime(
            std::chrono::duration<double>(Clock::duration(done - firstEventAt)).count());
        pops = pop.calls;
    }
    setRates(state, faults);
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
    // Five repetitions unless the command line says otherwise: later flags win.
    std::vector<char *> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=5";
    args.insert(args.begin() + 1, repetitions);
    argc = int(args.size());
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    QCoreApplication app(argc, argv);
    int serve = 0;
    if (argc > 2 && std::string_view(argv[1]) == "--serve") {
        serve = std::max(1, std::atoi(argv[2]));
        argv += 2;
        argc -= 2;
    }

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
                     "       bench_ami --serve COUNT [STREAM.bin [CHUNKS.txt]]\n"
                     "Make the stream with: cmake --build <build dir> --target ami_stream\n"
                     "or: node bench/gen-ami-stream.js STREAM.bin --chunks STREAM.chunks.txt\n",
                     qPrintable(error));
        return 2;
    }
    if (serve > 0) {
        // The same server for a client in another process (bench/node): one JSON line with
        // the port and the reference, then one per client with its first event byte's time
        // on the monotonic clock.
        int port = 0;
        const int listener = listenLoopback(&port);
        if (listener < 0)
            return 1;
        std::printf("{\"port\":%d,\"bytes\":%lld,\"events\":%d,\"pops\":%d,\"digest\":\"%s\"}\n",
                    port, qlonglong(g_stream.bytes.size()), g_stream.events, g_stream.expectedPops,
                    g_stream.expectedDigest.constData());
        std::fflush(stdout);
        for (int i = 0; i < serve; ++i) {
            std::printf("{\"firstEventNs\":%lld}\n", qlonglong(servePbx(listener)));
            std::fflush(stdout);
        }
        ::close(listener);
        return 0;
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

    const auto inMemory = [](const char *name, void (*run)(benchmark::State &)) {
        benchmark::RegisterBenchmark(name, run)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3)
            ->UseRealTime() // rates by the wall clock, as over loopback and in bench/node
            ->ReportAggregatesOnly(true);
    };
    const auto loopback = [](const char *name, void (*run)(benchmark::State &)) {
        return benchmark::RegisterBenchmark(name, run)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(1)
            ->ReportAggregatesOnly(true);
    };
    inMemory("ClientReads", BM_ClientReads);
    inMemory("EveryMessage", BM_EveryMessage);
    inMemory("FrameCount", BM_FrameCount);
    loopback("LoopbackClient", BM_LoopbackClient);
    loopback("EveryMessageLoopback", BM_EveryMessageLoopback);
    loopback("FrameCountLoopback", BM_FrameCountLoopback);
    loopback("FloorLoopback", BM_FloorLoopback)->Arg(16 * 1024)->Arg(TcpSocketControl::kMaxHeld);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("peak RSS: %ld KiB (%ld KiB with the stream loaded, before the runs)\n",
                peakRssKiB(), rssLoaded);
    return 0;
}
