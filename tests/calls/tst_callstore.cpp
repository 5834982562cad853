// SPDX-License-Identifier: GPL-3.0-or-later
#include "calls/CallRecorder.h"
#include "calls/CallSchema.h"
#include "calls/CallStore.h"

#include "base/WireText.h"
#include "settings/Settings.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

namespace {

using Setup = std::function<void(const QString &path)>;

// One statement's rows, on a connection of the test's own, as the Calls window reads.
QList<QVariantList> rows(const QString &path, const QString &sql)
{
    QList<QVariantList> result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("t"));
        db.setDatabaseName(path);
        db.open();
        for (QSqlQuery query(sql, db); query.next();) {
            QVariantList row;
            for (int i = 0; i < query.record().count(); ++i)
                row << query.value(i);
            result << row;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("t"));
    return result;
}

qint64 count(const QString &path)
{
    return rows(path, QStringLiteral("SELECT count(*) FROM calls"))[0][0].toLongLong();
}

Call call(const QString &number, const QString &name = {}, qint64 daysAgo = 0)
{
    Call c = Call::of(number, name);
    c.recognisedBy(Call::Source::Yac, QStringLiteral("192.0.2.7"));
    c.recognised = c.recognised.addDays(-daysAgo);
    return c;
}

// A list of the first layout holding one call.
void listWithOne(const QString &path)
{
    CallStore store(path);
    QVERIFY(store.record(call(QStringLiteral("5550001")), CallSchema::kRang));
}

// The child of killDuringBurst: writes calls as fast as it can, saying each.
int burst(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    CallStore store(QString::fromLocal8Bit(argv[2]));
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    for (int i = 0; i < 100000 && store.record(call(QString::number(i)), CallSchema::kRang); ++i)
        std::fputs("+\n", stdout);
    return 1;
}

} // namespace

Q_DECLARE_METATYPE(Setup)

class tst_CallStore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    QString m_path;

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
        m_path = CallStore::defaultPath();
        QVERIFY(m_path.startsWith(m_home.path()));
    }
    void init() { QDir(QFileInfo(m_path).path()).removeRecursively(); }

    // Whatever the file is, a call is recorded or the file left exactly as it was; an
    // unreadable one is set aside once, and the user told where.
    void faults_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<qint64>("rows"); // after the call; -1: the file untouched
        QTest::addColumn<bool>("aside");
        QTest::newRow("none yet") << Setup([](const QString &) {}) << 2LL << false;
        QTest::newRow("first layout") << Setup(listWithOne) << 3LL << false;
        QTest::newRow("not a database") << Setup([](const QString &path) {
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(8192, 'x')) == 8192);
        }) << 2LL << true;
        QTest::newRow("integrity") << Setup([](const QString &path) {
            listWithOne(path);
            rows(path, QStringLiteral("PRAGMA journal_mode=DELETE"));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(4096 + 8));
            file.write(QByteArray(4000, '\xff'));
        }) << 2LL << true;
        QTest::newRow("newer layout") << Setup([](const QString &path) {
            listWithOne(path);
            rows(path, QStringLiteral("PRAGMA user_version = 99"));
        }) << -1LL << false;
        QTest::newRow("another program's") << Setup([](const QString &path) {
            QDir().mkpath(QFileInfo(path).path());
            rows(path, QStringLiteral("CREATE TABLE notes (t TEXT)"));
        }) << -1LL << false;
        QTest::newRow("read-only") << Setup([](const QString &path) {
            listWithOne(path);
            QFile::setPermissions(path, QFile::ReadOwner);
        }) << -1LL << false;
        QTest::newRow("another user's") << Setup([](const QString &path) {
            listWithOne(path);
            QVERIFY(::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0);
        }) << -1LL << false;
        QTest::newRow("a link") << Setup([](const QString &path) {
            listWithOne(path + QStringLiteral(".elsewhere"));
            QFile::link(path + QStringLiteral(".elsewhere"), path);
        }) << -1LL << false;
    }

    void faults()
    {
        QFETCH(Setup, setup);
        QFETCH(qint64, rows);
        QFETCH(bool, aside);
        setup(m_path);
        const auto bytes = [&] {
            QFile file(m_path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray before = bytes();
        {
            CallStore store(m_path);
            QSignalSpy told(&store, &CallStore::movedAside);
            QCOMPARE(store.record(call(QStringLiteral("5550100")), CallSchema::kRang), rows > 0);
            store.record(call(QStringLiteral("5550101")), CallSchema::kRang); // told once only
            QCOMPARE(told.size(), int(aside));
            const QStringList kept =
                QDir(QFileInfo(m_path).path()).entryList({QStringLiteral("*.corrupt-*")});
            QCOMPARE(kept.size(), int(aside));
            if (aside)
                QVERIFY(told[0][0].toString().contains(kept[0]));
        }
        if (rows < 0) {
            QCOMPARE(bytes(), before);
            return;
        }
        QCOMPARE(count(m_path), rows);
        const QFileInfo file(m_path), folder(file.path());
        QCOMPARE(int(file.permissions() & 0x7077), 0x6000);   // rw-------
        QCOMPARE(int(folder.permissions() & 0x7077), 0x7000); // rwx------
    }

    // Old calls go, by age and then by count, the newest staying; 0 is no limit, never an
    // empty list.
    void retention()
    {
        CallStore store(m_path);
        for (int daysAgo : {400, 40, 20, 10, 0, 0})
            store.record(call(QString::number(daysAgo), {}, daysAgo), CallSchema::kRang);
        const QString sql =
            "SELECT group_concat(number) FROM (SELECT number FROM calls ORDER BY row)";
        for (const auto &[maxCalls, days, left] :
             std::initializer_list<std::tuple<int, int, QString>>{
                 {0, 0, "400,40,20,10,0,0"}, {10, 30, "20,10,0,0"}, {3, 365, "10,0,0"}}) {
            store.prune(maxCalls, days, QDateTime::currentDateTimeUtc());
            QCOMPARE(rows(m_path, sql)[0][0].toString(), left);
        }
    }

    // Through the recorder, on its own thread: each call with its outcome, the end by the call's
    // ID, names and numbers as they went in up to kMaxText characters; with the list off, no
    // file at all.
    void recorder_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("text"); // a YAC call's number and name
        QTest::newRow("off") << false << QStringLiteral("5550101");
        QTest::newRow("SQL and HTML") << true << QStringLiteral("<b>'); DROP TABLE calls; --&amp;");
        QTest::newRow("CR LF and NUL")
            << true << QStringLiteral("A\r\nB\r\n\r\nAction: x") + QChar(0);
        QTest::newRow("invalid UTF-8") << true << WireText::decode("REN\xc3\x89 \xff\xfe\xc3");
        QTest::newRow("a million") << true << QString(1000000, u'9');
        QTest::newRow("pair at the cut")
            << true << QString(CallSchema::kMaxText - 1, u'a') + QStringLiteral("\U0001F4DE");
    }

    void recorder()
    {
        QFETCH(bool, on);
        QFETCH(QString, text);
        Settings settings;
        settings.CallList = on;
        {
            CallRecorder recorder(settings, m_path);
            QSignalSpy recorded(&recorder, &CallRecorder::callRecorded);
            recorder.start();
            Call pbx = call(QStringLiteral("5550100"));
            pbx.source = Call::Source::Asterisk;
            pbx.id = QStringLiteral("1796701144.5");
            recorder.callRecognised(pbx);
            recorder.callRecognised(call(text, text));
            recorder.callEnded({pbx.id, CallOutcome::NotAnswered, QDateTime::currentDateTime(),
                                QStringLiteral("NOANSWER")});
            recorder.flush();
            QTRY_COMPARE(recorded.size(), on ? 2 : 0);
        }
        QCOMPARE(QFileInfo::exists(m_path), on);
        QString kept = text.left(CallSchema::kMaxText);
        if (kept.back().isHighSurrogate())
            kept.chop(1);
        if (on)
            QCOMPARE(rows(m_path, QStringLiteral(
                                      "SELECT source, outcome, detail, number, name FROM calls")),
                     QList<QVariantList>({{"pbx", "missed", "NOANSWER", "5550100", ""},
                                          {"yac", "rang", "", kept, kept}}));
    }

    // Killed during a burst of writes, the list opens whole, with at most the call in flight
    // lost.
    void killDuringBurst()
    {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--burst"), m_path});
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += child.readAllStandardOutput()).count('+') > 300, 20000);
        child.kill();
        QVERIFY(child.waitForFinished(5000));
        said += child.readAllStandardOutput();
        QCOMPARE(rows(m_path, QStringLiteral("PRAGMA integrity_check")),
                 QList<QVariantList>({{"ok"}}));
        QVERIFY(count(m_path) >= said.count('+'));
    }
};

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--burst") == 0)
        return burst(argc, argv);
    QCoreApplication app(argc, argv);
    tst_CallStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_callstore.moc"
