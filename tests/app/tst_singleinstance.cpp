// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <unistd.h>

// Two processes for one settings folder, where the runtime folder cannot hold the lock and
// where the first instance cannot answer: the second start hands its request to the first,
// or says why not.
class tst_SingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondStart_data();
    void secondStart();
};

void tst_SingleInstance::secondStart_data()
{
    QTest::addColumn<QString>("runtime"); // in the test's folder
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("first");   // its claim and where it keeps the lock
    QTest::addColumn<QString>("problem"); // the second's; none: the request is handed over
    const QString none, file = "file", run = "run", ours = "0 run";
    const QString fallback = "0 tmp/ringscout-" + QString::number(::geteuid());
    QTest::newRow("runtime folder is a file") << file << none << fallback << none;
    QTest::newRow("no runtime folder") << none << none << fallback << none;
    QTest::newRow("socket name too long")
        << run + '/' + QString(90, 'x') << none << fallback << none;
    QTest::newRow("lock of a live process of that name") << run << QString("lock") << ours << none;
    QTest::newRow("--calls handed over") << run << QString("calls") << ours << none;
    QTest::newRow("first instance stopped")
        << run << QString("stop") << ours
        << "did not answer within 0.3 seconds; it may be stopped or hung, and takes "
           "\"tel:555\\r0100\" only if it goes on";
    QTest::newRow("fallback folder of another user")
        << file << QString("foreign") << QString("2 ") << "belongs to another user";
}

void tst_SingleInstance::secondStart()
{
    QFETCH(QString, runtime);
    QFETCH(QString, before);
    QFETCH(QString, first);
    QFETCH(QString, problem);
    static const QString base = QDir::tempPath(); // before a row changes TMPDIR
    QTemporaryDir dir(base + "/tst_singleinstance-XXXXXX");
    const QString tmp = dir.filePath("tmp"), run = dir.filePath("run/" + QString(90, 'x'));
    QVERIFY(QDir().mkpath(tmp) && QDir().mkpath(run) &&
            QFile(dir.filePath("file")).open(QIODevice::WriteOnly));
    qputenv("TMPDIR", QFile::encodeName(tmp)); // where the fallback is made, for both processes
    const QString fallback = tmp + "/ringscout-" + QString::number(::geteuid());
    if (before == "foreign" &&
        (!QDir().mkdir(fallback) || ::chown(QFile::encodeName(fallback), 65534, 65534) != 0))
        QSKIP("Only root can give a folder to another user");
    runtime = runtime.isEmpty() ? runtime : dir.filePath(runtime);
    const QByteArray key = QCryptographicHash::hash("/config", QCryptographicHash::Sha256).toHex();
    QFile lock(runtime + "/ringscout-" + key.left(16) + ".lock");
    if (before == "lock") // it names this process: alive, and of the first's name
        QVERIFY(lock.open(QIODevice::WriteOnly) &&
                lock.write(QByteArray::number(QCoreApplication::applicationPid()) +
                           "\ntst_singleinstance\n\n") > 0 &&
                lock.flush());
    QProcess firstStart;
    firstStart.start(QCoreApplication::applicationFilePath(), {"first", runtime});
    QVERIFY(firstStart.waitForReadyRead(10000));
    QCOMPARE(QString::fromUtf8(firstStart.readLine()).chopped(1).remove(dir.path() + '/'), first);
    const auto pid = pid_t(firstStart.processId());
    if (before == "stop")
        QCOMPARE(::kill(pid, SIGSTOP), 0);
    SingleInstance second(QStringLiteral("/config"), runtime);
    const QString request = before == "calls" ? "--calls" : "tel:555\r0100";
    const bool handed =
        second.claim() == SingleInstance::Claim::Another && second.handOver(request, {}, 300);
    ::kill(pid, SIGCONT);
    QVERIFY2(handed == problem.isEmpty() && second.problem().contains(problem),
             qPrintable(second.problem()));
    QByteArray asked;
    QTRY_VERIFY(!handed || (asked += firstStart.readAll()).contains("asks " + request.toUtf8()));
    firstStart.kill();
    firstStart.waitForFinished(5000);
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3 || qstrcmp(argv[1], "first") != 0) {
        tst_SingleInstance test;
        return QTest::qExec(&test, argc, argv);
    }
    // The first instance, in a process of its own: it says its claim and where it keeps the
    // lock, then each request it is handed.
    SingleInstance instance(QStringLiteral("/config"), QString::fromLocal8Bit(argv[2]));
    QTextStream out(stdout);
    out << int(instance.claim()) << ' ' << instance.folder() << Qt::endl;
    QObject::connect(&instance, &SingleInstance::requested,
                     [&out](const QString &request) { out << "asks " << request << Qt::endl; });
    return QCoreApplication::exec();
}

#include "tst_singleinstance.moc"
