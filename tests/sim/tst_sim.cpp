#include "fakes/TestSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// ringscout-sim as a user runs it, with a settings folder of its own.
struct Sim
{
    Sim()
    {
        QObject::connect(&process, &QProcess::readyReadStandardOutput,
                         [this] { out += process.readAllStandardOutput(); });
    }
    ~Sim()
    {
        process.kill();
        process.waitForFinished(5000);
    }
    bool start(const QStringList &arguments)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(RINGSCOUT_SIM_EXE), arguments);
        return process.waitForStarted(5000);
    }
    bool waitFor(QByteArrayView text)
    {
        return QTest::qWaitFor([&] { return out.contains(text); }, 5000);
    }
    // Ends it by the end of its input or by a signal; true when it ended cleanly.
    bool end(int signal = 0)
    {
        if (signal)
            ::kill(pid_t(process.processId()), signal);
        else
            process.closeWriteChannel();
        return process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    QTemporaryDir home;
    QString link = home.path() + QStringLiteral("/Belvane/com3");
    QProcess process;
    QByteArray out;
};

} // namespace

class tst_Sim : public QObject
{
    Q_OBJECT

private slots:
    void modem_data();
    void modem();
    void pbxAnswers_data();
    void pbxAnswers();
    void refusedArguments_data();
    void refusedArguments();
};

void tst_Sim::modem_data()
{
    QTest::addColumn<QString>("linkBefore"); // where com3 already leads
    QTest::addColumn<int>("ending");         // a signal, or 0 for the end of the input
    QTest::newRow("end of input") << "" << 0;
    QTest::newRow("Ctrl+C") << "" << int(SIGINT);
    // Left by a simulator that was killed: its pseudo-terminal is gone, the link is replaced.
    QTest::newRow("kill, a stale link before") << "/dev/pts/987654" << int(SIGTERM);
    // The user's own modem: never touched.
    QTest::newRow("a real modem's link") << "/dev/ttyACM0" << 0;
}

// What Ringscout writes arrives on the output, CR made visible; a line typed rings the port
// with caller-ID lines; the link is gone when it ends.
void tst_Sim::modem()
{
    QFETCH(QString, linkBefore);
    QFETCH(int, ending);
    Sim sim;
    QVERIFY(QDir().mkpath(sim.home.path() + "/Belvane"));
    QVERIFY(linkBefore.isEmpty() || QFile::link(linkBefore, sim.link));
    QVERIFY(sim.start({"modem", "--port", "3"}));
    if (linkBefore.startsWith("/dev/tty")) {
        QVERIFY(sim.process.waitForFinished(5000));
        QCOMPARE(sim.process.exitCode(), 1);
        QVERIFY(sim.process.readAllStandardError().contains("already exists"));
        QCOMPARE(QFileInfo(sim.link).symLinkTarget(), linkBefore);
        return;
    }
    QVERIFY(sim.waitFor("Type NUMBER NAME"));
    QVERIFY(QFileInfo(sim.link).symLinkTarget().startsWith("/dev/pts/"));
    QCOMPARE_NE(QFileInfo(sim.link).symLinkTarget(), linkBefore);

    const int fd = ::open(qPrintable(sim.link), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    const QByteArray written = "ATS0=0M0+VCID=1\rATDT 5551234\r\r";
    QCOMPARE(::write(fd, written.data(), size_t(written.size())), ssize_t(written.size()));
    QVERIFY(sim.waitFor("< ATS0=0M0+VCID=1<CR>\n< ATDT 5551234<CR>\n< <CR>\n"));
    sim.process.write("5551234567 JOHN SMITH\n");
    QByteArray device;
    const bool rang = QTest::qWaitFor(
        [&] {
            char buffer[512];
            for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
                device.append(buffer, n);
            return device.endsWith("\r\n\r\n");
        },
        5000);
    ::close(fd);
    QVERIFY2(rang && QRegularExpression("^\r\nRING\r\n\r\nDATE = \\d{4}\r\nTIME = \\d{4}\r\n"
                                        "NMBR = 5551234567\r\nNAME = JOHN SMITH\r\n\r\n$")
                         .match(QString::fromLatin1(device))
                         .hasMatch(),
             device.constData());
    QVERIFY(sim.end(ending));
    QVERIFY(!QFileInfo(sim.link).isSymLink());
}

void tst_Sim::pbxAnswers_data()
{
    QTest::addColumn<QByteArray>("sent"); // "LOGIN" stands for a login as --user and --secret
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("hangsUp");
    const char *rows[][4] = {
        {"wrong secret", "Action: Login\r\nUsername: ringscout\r\nSecret: test12\r\n\r\n",
         "Response: Error\r\nMessage: Authentication failed\r\n\r\n", "1"},
        {"user name in other letters",
         "Action: Login\r\nUsername: RingScout\r\nSecret: test123\r\n\r\n",
         "Response: Success\r\nMessage: Authentication accepted\r\n\r\n", ""},
        {"ping before login", "Action: Ping\r\n\r\n",
         "Response: Error\r\nMessage: Permission denied\r\n\r\n", ""},
        {"ping", "LOGINAction: Ping\r\nActionID: 7\r\n\r\n",
         "Response: Success\r\nActionID: 7\r\nPing: Pong\r\nTimestamp: ", ""},
        {"1.4 ping", "--oldLOGINAction: Ping\r\n\r\n",
         "Asterisk Call Manager/1.0\r\nResponse: Success\r\nMessage: Authentication accepted"
         "\r\n\r\nResponse: Pong\r\n\r\n",
         ""},
        {"logoff", "LOGINAction: Logoff\r\n\r\n", "Response: Goodbye\r\n", "1"},
    };
    const QByteArray login = "Action: Login\r\nUsername: ringscout\r\nSecret: test123\r\n\r\n";
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QByteArray(row[1]).replace("LOGIN", login) << QByteArray(row[2])
                              << (*row[3] != 0);
    // Not the protocol: the stand-in keeps no more of it than a message's worth.
    QTest::newRow("no empty line in 70 kB") << QByteArray(70000, 'x') << QByteArray() << true;
}

void tst_Sim::pbxAnswers()
{
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, answer);
    QFETCH(bool, hangsUp);
    const QString port = QString::number(TestSupport::FreeSmallPort());
    const bool old = sent.startsWith("--old");
    Sim sim;
    QVERIFY(sim.start(QStringList{"pbx", "--listen", "127.0.0.1:" + port, "--user", "ringscout",
                                  "--secret", "test123"} +
                      (old ? QStringList{"--old"} : QStringList())));
    QVERIFY(sim.waitFor("Listening on 127.0.0.1:" + port.toLatin1()));

    QTcpSocket client;
    QByteArray received;
    QObject::connect(&client, &QTcpSocket::readyRead, [&] { received += client.readAll(); });
    client.connectToHost(QHostAddress::LocalHost, port.toUShort());
    QVERIFY(client.waitForConnected(5000));
    QVERIFY(QTest::qWaitFor([&] { return received.contains("Call Manager/"); }, 5000));
    client.write(old ? sent.mid(5) : sent);
    QVERIFY2(QTest::qWaitFor([&] { return received.contains(answer); }, 5000),
             received.constData());
    QCOMPARE(QTest::qWaitFor([&] { return client.state() == QAbstractSocket::UnconnectedState; },
                             hangsUp ? 5000 : 300),
             hangsUp);
    // What the client sent is printed, the secret masked.
    QCOMPARE(sim.out.contains(" < Action: "), sent.contains("Action: "));
    QVERIFY(!sim.out.contains("test12"));
    QVERIFY(sim.end()); // with or without a client connected
}

void tst_Sim::refusedArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("complaint");
    const char *rows[][2] = {
        // The listener ends the name at the first "~": this name would arrive cut.
        {"yac --port 1 ANN~X 555", "must not contain \"~\""},
        {"yac --port 70000 ANN 555", "is not a TCP port"},
        {"pbx --user u", "give --user and --secret"},
        {"modem --port 0", "from 1 to 32767"},
        {"", "give a command"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QString::fromLatin1(row[0]).split(' ', Qt::SkipEmptyParts)
                              << QByteArray(row[1]);
}

void tst_Sim::refusedArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, complaint);
    Sim sim;
    QVERIFY(sim.start(arguments));
    QVERIFY(sim.process.waitForFinished(5000));
    const QByteArray errors = sim.process.readAllStandardError();
    QVERIFY2(errors.contains(complaint), errors.constData());
    QCOMPARE(sim.process.exitCode(), 2);
}

QTEST_GUILESS_MAIN(tst_Sim)
#include "tst_sim.moc"
