// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Failure.h"
#include "platform/AutostartEntry.h"

#include <QtTest>

// The session's autostart entry in a temporary configuration folder: what starts, as the
// desktop reads it, and writes and removals that fail out loud.
class tst_AutostartEntry : public QObject
{
    Q_OBJECT

private slots:
    void entry_data();
    void entry();
};

void tst_AutostartEntry::entry_data()
{
    QTest::addColumn<QString>("program"); // under the temporary folder; empty: none there
    QTest::addColumn<QByteArray>("exec"); // the Exec line, "@" for the temporary folder
    QTest::addColumn<bool>("blocked");    // a folder in the entry's place, a file in autostart's
    QTest::newRow("plain path") << "bin/ringscout" << QByteArray("Exec=@/bin/ringscout") << false;
    QTest::newRow("reserved characters")
        << "my $bin\\ 100%/rs" << QByteArray("Exec=\"@/my \\\\$bin\\\\\\\\ 100%%/rs\"") << false;
    QTest::newRow("no program: by name") << "" << QByteArray("Exec=ringscout") << false;
    QTest::newRow("cannot be written") << "" << QByteArray() << true;
}

void tst_AutostartEntry::entry()
{
    QFETCH(QString, program);
    QFETCH(QByteArray, exec);
    QFETCH(bool, blocked);
    QTemporaryDir home;
    const QString path = program.isEmpty() ? QString() : home.filePath(program);
    QVERIFY(path.isEmpty() ||
            (QDir().mkpath(QFileInfo(path).path()) && QFile(path).open(QIODevice::WriteOnly)));
    const AutostartEntry entry("com.belvane.Ringscout", path, home.path());
    QCOMPARE(entry.FilePath(), home.filePath("autostart/com.belvane.Ringscout.desktop"));
    if (blocked) {
        QVERIFY(QDir().mkpath(entry.FilePath()));
        QVERIFY_THROWS_EXCEPTION(Failure, entry.Write());
        QVERIFY_THROWS_EXCEPTION(Failure, entry.Remove());
        QVERIFY(QDir(home.filePath("autostart")).removeRecursively());
        QVERIFY(QFile(home.filePath("autostart")).open(QIODevice::WriteOnly));
        QVERIFY_THROWS_EXCEPTION(Failure, entry.Write());
        return;
    }
    entry.Write();
    QFile file(entry.FilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().split('\n').contains(exec.replace('@', QFile::encodeName(home.path()))));
    QProcess validate;
    validate.start("desktop-file-validate", {entry.FilePath()});
    QVERIFY(validate.waitForFinished(10000));
    QCOMPARE(validate.readAll() + validate.readAllStandardError(), QByteArray());
    QCOMPARE(validate.exitCode(), 0);
    entry.Remove();
    QVERIFY(!file.exists());
    entry.Remove(); // none there is no fault
}

QTEST_GUILESS_MAIN(tst_AutostartEntry)
#include "tst_autostartentry.moc"
