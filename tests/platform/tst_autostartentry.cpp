// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Failure.h"
#include "platform/AutostartEntry.h"

#include <QtTest>

// The session's autostart entry in a temporary configuration folder: what it starts, as the
// desktop reads it, and writes and removals that fail out loud.
class tst_AutostartEntry : public QObject
{
    Q_OBJECT

private slots:
    void entry();
};

void tst_AutostartEntry::entry()
{
    QTemporaryDir home;
    const QString program = home.filePath("my $bin\\ 100%/rs"); // reserved characters
    QVERIFY(QDir().mkpath(QFileInfo(program).path()) && QFile(program).open(QFile::WriteOnly));
    const AutostartEntry entry("com.belvane.Ringscout", program, home.path());
    entry.write();
    QFile file(entry.filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("\nExec=\"" + QFile::encodeName(home.path()) +
                                    "/my \\\\$bin\\\\\\\\ 100%%/rs\"\n"));
    QProcess validate; // as the desktop reads it
    validate.start("desktop-file-validate", {entry.filePath()});
    QVERIFY(validate.waitForFinished(10000));
    QCOMPARE(validate.readAll() + validate.readAllStandardError(), QByteArray());
    QCOMPARE(validate.exitCode(), 0);
    entry.remove();
    QVERIFY(!file.exists());
    entry.remove(); // none there is no fault

    QVERIFY(QDir().mkpath(entry.filePath())); // a folder in its place
    QVERIFY_THROWS_EXCEPTION(Failure, entry.write());
    QVERIFY_THROWS_EXCEPTION(Failure, entry.remove());
}

QTEST_GUILESS_MAIN(tst_AutostartEntry)
#include "tst_autostartentry.moc"
