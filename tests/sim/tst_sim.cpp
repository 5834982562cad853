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
    QString link(int port) const
    {
        return home.path() + QStringLiteral("/Belvane/com%1").arg(port);
    }

    QTemporaryDir home;
    QProcess process;
    QByteArray out;
};

} // namespace

class tst_Sim : public QObject
{
    Q_OBJECT

private slots:
    void modemRoundTrip_data();
    void modemRoundTrip();
    void modemLinkAlreadyThere_data();
    void modemLinkAlreadyThere();
    void pbxAnswers_data();
    void pbxAnswers();
    void refusedArguments_data();
    void refusedArguments();
};

void tst_Sim::modemRoundTrip_data()
{
    QTest::addColumn<int>("ending"); // a signal, or 0 for the end of the input
    QTest::newRow("end of input") << 0;
    QTest::newRow("Ctrl+C") << int(SIGINT);
    QTest::newRow("kill") << int(SIGTERM);
}

void tst_Sim::modemRoundTrip()
{
    QFETCH(int, ending);
    Sim sim;
    QVERIFY(sim.start({"modem", "--port", "3"}));
    QVERIFY(sim.waitFor("Type NUMBER NAME"));
    QVERIFY(QFileInfo(sim.link(3)).symLinkTarget().startsWith("/dev/pts/"));

    const int fd = ::open(qPrintable(sim.link(3)), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    // What Ringscout writes: the init string, a dial, and the lone CR that ends it.
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
    QVERIFY2(rang, device.constData());
    QVERIFY2(QRegularExpression("^\r\nRING\r\n\r\nDATE = \\d{4}\r\nTIME = \\d{4}\r\n"
                                "NMBR = 5551234567\r\nNAME = JOHN SMITH\r\n\r\n$")
                 .match(QString::fromLatin1(device))
                 .hasMatch(),
             device.constData());

    if (ending)
        ::kill(pid_t(sim.process.processId()), ending);
    else
        sim.process.closeWriteChannel();
    QVERIFY(sim.process.waitForFinished(5000));
    QCOMPARE(sim.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process.exitCode(), 0);
    QVERIFY(!QFileInfo(sim.link(3)).isSymLink());
}

void tst_Sim::modemLinkAlreadyThere_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("replaced");
    // The user's own modem: never touched.
    QTest::newRow("a real modem's link") << "/dev/ttyACM0" << false;
    // Left by a simulator that was killed: its pseudo-terminal is gone.
    QTest::newRow("a stale link") << "/dev/pts/987654" << true;
}

void tst_Sim::modemLinkAlreadyThere()
{
    QFETCH(QString, target);
    QFETCH(bool, replaced);
    Sim sim;
    QVERIFY(QDir().mkpath(sim.home.path() + "/Belvane"));
    QVERIFY(QFile::link(target, sim.link(2)));
    QVERIFY(sim.start({"modem", "--port", "2"}));
    if (replaced) {
        QVERIFY(sim.waitFor("Type NUMBER NAME"));
        QVERIFY(QFileInfo(sim.link(2)).symLinkTarget().startsWith("/dev/pts/"));
        QCOMPARE_NE(QFileInfo(sim.link(2)).symLinkTarget(), target);
        sim.process.closeWriteChannel();
        QVERIFY(sim.process.waitForFinished(5000));
        QVERIFY(!QFileInfo(sim.link(2)).isSymLink());
    } else {
        QVERIFY(sim.process.waitForFinished(5000));
        QCOMPARE(sim.process.exitCode(), 1);
        QVERIFY(sim.process.readAllStandardError().contains("already exists"));
        QCOMPARE(QFileInfo(sim.link(2)).symLinkTarget(), target);
    }
}

void tst_Sim::pbxAnswers_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("hangsUp");
    const QByteArray login = "Action: Login\r\nUsername: ringscout\r\nSecret: test123\r\n\r\n";
    const QByteArray accepted = "Response: Success\r\nMessage: Authentication accepted\r\n\r\n";
    QTest::newRow("wrong secret") << QStringList() << QByteArray(login).replace("123", "12")
                                  << QByteArray(
                                         "Asterisk Call Manager/11.0.0\r\nResponse: Error\r\n"
                                         "Message: Authentication failed\r\n\r\n")
                                  << true;
    QTest::newRow("user name in other letters")
        << QStringList() << QByteArray(login).replace("ringscout", "RingScout") << accepted
        << false;
    QTest::newRow("ping before login")
        << QStringList() << QByteArray("Action: Ping\r\n\r\n")
        << QByteArray("Response: Error\r\nMessage: Permission denied\r\n\r\n") << false;
    QTest::newRow("ping") << QStringList() << login + "Action: Ping\r\nActionID: 7\r\n\r\n"
                          << QByteArray(
                                 "Response: Success\r\nActionID: 7\r\nPing: Pong\r\nTimestamp: ")
                          << false;
    QTest::newRow("1.4 ping") << QStringList{"--old"} << login + "Action: Ping\r\n\r\n"
                              << QByteArray("Asterisk Call Manager/1.0\r\n" + accepted +
                                            "Response: Pong\r\n\r\n")
                              << false;
    // Not the protocol: the stand-in keeps no more of it than a message's worth.
    QTest::newRow("no empty line in 70 kB")
        << QStringList() << QByteArray(70000, 'x') << QByteArray("Asterisk Call Manager/11.0.0\r\n")
        << true;
    QTest::newRow("logoff") << QStringList() << login + "Action: Logoff\r\n\r\n"
                            << QByteArray("Response: Goodbye\r\n") << true;
}

void tst_Sim::pbxAnswers()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, answer);
    QFETCH(bool, hangsUp);
    const QString port = QString::number(TestSupport::FreeSmallPort());
    Sim sim;
    QVERIFY(sim.start(QStringList{"pbx", "--listen", "127.0.0.1:" + port, "--user", "ringscout",
                                  "--secret", "test123"} +
                      options));
    QVERIFY(sim.waitFor("Listening on 127.0.0.1:" + port.toLatin1()));

    QTcpSocket client;
    QByteArray received;
    QObject::connect(&client, &QTcpSocket::readyRead, [&] { received += client.readAll(); });
    client.connectToHost(QHostAddress::LocalHost, port.toUShort());
    QVERIFY(client.waitForConnected(5000));
    QVERIFY(QTest::qWaitFor([&] { return received.contains("Call Manager/"); }, 5000));
    client.write(sent);
    QVERIFY2(QTest::qWaitFor([&] { return received.contains(answer); }, 5000),
             received.constData());
    QCOMPARE(QTest::qWaitFor([&] { return client.state() == QAbstractSocket::UnconnectedState; },
                             hangsUp ? 5000 : 300),
             hangsUp);
    // What the client sent is printed, the secret masked.
    QCOMPARE(sim.out.contains(" < Action: "), sent.startsWith("Action: "));
    QVERIFY(!sim.out.contains("test12"));
    // The end of the input ends it cleanly, with or without a client connected.
    sim.process.closeWriteChannel();
    QVERIFY(sim.process.waitForFinished(5000));
    QCOMPARE(sim.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process.exitCode(), 0);
}

void tst_Sim::refusedArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("complaint");
    // The listener ends the name at the first "~": this name would arrive cut.
    QTest::newRow("yac name with ~") << QStringList{"yac", "--port", "1", "ANN~X", "555"}
                                     << QByteArray("must not contain \"~\"");
    QTest::newRow("yac port") << QStringList{"yac", "--port", "70000", "ANN", "555"}
                              << QByteArray("is not a TCP port");
    QTest::newRow("pbx without secret")
        << QStringList{"pbx", "--user", "u"} << QByteArray("give --user and --secret");
    QTest::newRow("modem port 0") << QStringList{"modem", "--port", "0"}
                                  << QByteArray("from 1 to 32767");
    QTest::newRow("no command") << QStringList{} << QByteArray("give a command");
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
