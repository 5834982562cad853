// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes/PtyModem.h"
#include "fakes/TestSupport.h"
#include "sources/CallTracker.h"

#include <QTcpSocket>
#include <QtTest>

namespace {

// ringscout-sim as a user runs it, with a settings folder of its own; QProcess kills it where
// it still runs at the end.
struct Sim : QProcess
{
    // `linkBefore`: where the link of serial port 3 already leads.
    explicit Sim(const QStringList &arguments, const QString &linkBefore = {})
    {
        setEnvironment(systemEnvironment() << "XDG_CONFIG_HOME=" + home.path()); // the last wins
        if (!linkBefore.isEmpty() && QDir(home.path()).mkdir("Belvane"))
            QFile::link(linkBefore, link);
        start(QStringLiteral(RINGSCOUT_SIM_EXE), arguments);
    }
    // The exit code once it ends by itself; -1 when it does not end or crashes.
    int code()
    {
        waitForFinished(5000); // false too where it has ended already
        return state() == NotRunning && exitStatus() == NormalExit ? exitCode() : -1;
    }

    QTemporaryDir home;
    QString link = home.filePath(QStringLiteral("Belvane/com3"));
};

} // namespace

// What the end-to-end pops through ringscout-sim do not reach: its refusals, its care for
// the user's files, and the Manager answers that no healthy client provokes.
class tst_Sim : public QObject
{
    Q_OBJECT

private slots:
    void ends_data();
    void ends();
    void pbxAnswers_data();
    void pbxAnswers();
};

void tst_Sim::ends_data()
{
    QTest::addColumn<QString>("arguments");
    // Where serial port 3's link already leads; "killed": to the pseudo-terminal of a killed
    // simulator, gone (its number free for the next one to take), which is replaced and removed.
    QTest::addColumn<QString>("linkBefore");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("complaint");
    const char *rows[][4] = {
        // The YAC listener ends the name at the first "~": this name would arrive cut. Options
        // may come before the command.
        {"--port 1 yac ANN~X 555", "", "2", "must not contain \"~\""},
        {"pbx --bogus", "", "2", "Unknown option 'bogus'"},        // one code for every usage error
        {"modem --help", "", "0", "(e.g. 5551234567\n"},           // its summary not cut at "e.g."
        {"modem --port 3", "/dev/ttyACM0", "1", "already exists"}, // a real modem: untouched
        {"modem --port 3", "killed", "0", ""},
    };
    for (const auto &row : rows)
        QTest::addRow("%s %s", row[0], row[1]) << row[0] << row[1] << atoi(row[2]) << row[3];
}

void tst_Sim::ends()
{
    QFETCH(QString, arguments);
    QFETCH(QString, linkBefore);
    QFETCH(int, code);
    QFETCH(QString, complaint);
    PtyModem killed;
    if (linkBefore == "killed") {
        linkBefore = killed.path();
        killed.Close();
    }
    Sim sim(arguments.split(' '), linkBefore);
    if (code == 0 && !linkBefore.isEmpty()) {
        QVERIFY(sim.waitForReadyRead(5000)); // its first line comes once the link is made
        // The link leads to its own pseudo-terminal, which may well have the old one's number.
        const QString own = "Serial port 3 is " + QFileInfo(sim.link).symLinkTarget() + " (";
        QVERIFY2(own.contains("/dev/pts/") && sim.peek(200).startsWith(own.toLatin1()),
                 sim.peek(200));
        sim.closeWriteChannel();
    }
    QCOMPARE(sim.code(), code);
    const QString errors = sim.readAllStandardError() + sim.readAllStandardOutput();
    QVERIFY2(errors.contains(complaint), qPrintable(errors));
    QCOMPARE(QFileInfo(sim.link).symLinkTarget(), code == 1 ? linkBefore : QString());
}

void tst_Sim::pbxAnswers_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("answer"); // none: it hangs up instead
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("told"); // -1, or how the client's tracker reads the call sent then
    const QByteArray login = "Action: Login\r\nUsername: RingScout\r\nSecret: test123\r\n\r\n";
    QTest::newRow("user name in other letters")
        << login << QByteArray("Response: Success\r\nMessage: Authentication accepted\r\n\r\n")
        << "" << -1;
    // Not the protocol: the stand-in keeps no more of it than a message's worth.
    QTest::newRow("no empty line in 70 kB") << QByteArray(70000, 'x') << QByteArray() << "" << -1;
    const QByteArray originate = login + "Action: Originate\r\nChannel: PJSIP/101\r\nContext: "
                                         "from-internal\r\nExten: 5550100\r\nActionID: 7\r\n\r\n";
    const QByteArray ended = "Event: OriginateResponse\r\nPrivilege: call,all\r\nActionID: 7\r\n";
    QTest::newRow("Originate") << originate << ended + "Response: Success\r\n"
                               << "" << -1;
    QTest::newRow("Originate, refused") << originate << ended + "Response: Failure\r\n"
                                        << "--refuse-originate" << -1;
    // Each call sent ends with the outcome asked for.
    for (const auto &[outcome, told] : std::initializer_list<std::pair<const char *, CallOutcome>>{
             {"answered", CallOutcome::AnsweredHere},
             {"noanswer", CallOutcome::NotAnswered},
             {"cancel", CallOutcome::CallerGaveUp},
             {"elsewhere", CallOutcome::AnsweredElsewhere},
             {"busy", CallOutcome::Busy}})
        QTest::addRow("--outcome %s", outcome)
            << login << QByteArray("accepted") << QString("--outcome ") + outcome << int(told);
}

void tst_Sim::pbxAnswers()
{
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, answer);
    QFETCH(QString, option);
    QFETCH(int, told);
    const quint16 port = TestSupport::freeSmallPort();
    Sim sim(("pbx --listen 127.0.0.1:" + QString::number(port) +
             " --user ringscout --secret test123 " + option)
                .split(' ', Qt::SkipEmptyParts));
    QVERIFY(sim.waitForReadyRead(5000)); // its first line comes once it listens
    QTcpSocket client;
    QByteArray received;
    const auto receives = [&](QByteArrayView text) {
        return QTest::qWaitFor([&] { return (received += client.readAll()).contains(text); });
    };
    client.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(receives("Call Manager/"));
    client.write(sent);
    QVERIFY2(receives(answer), received.constData());
    QCOMPARE(QTest::qWaitFor([&] { return client.state() == QAbstractSocket::UnconnectedState; },
                             answer.isEmpty() ? 5000 : 300),
             answer.isEmpty());
    if (told >= 0) {
        sim.write("5551234567 Front Desk 101\n");
        sim.closeWriteChannel(); // it ends once the call has
        QVERIFY(QTest::qWaitFor(
            [&] { return (received += client.readAll()).count("Event: Hangup") == 2; }, 5000));
        CallTracker tracker;
        std::optional<CallEnd> end;
        for (const QString &message : QString::fromLatin1(received).split("\r\n\r\n")) {
            if (message.startsWith("Event: DialBegin"))
                tracker.popped(message.toLatin1());
            else if (auto ended = tracker.event(message.toLatin1()))
                end = ended;
        }
        QCOMPARE(end ? int(end->outcome) : -1, told);
    }
    sim.closeWriteChannel();
    QCOMPARE(sim.code(), 0);                                   // with or without a client connected
    QVERIFY(!sim.readAllStandardOutput().contains("test123")); // what it prints masks the secret
}

QTEST_GUILESS_MAIN(tst_Sim)
#include "tst_sim.moc"
