// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Failure.h"
#include "platform/AutostartEntry.h"

#include <QtTest>

// The session's autostart entry in a temporary configuration folder: what it starts, as the
// desktop reads it, and writes and removals that fail out loud or would go through a link.
class tst_AutostartEntry : public QObject
{
    Q_OBJECT

private slots:
    void entry_data();
    void entry();
};

void tst_AutostartEntry::entry_data()
{
    // The program's folder, in the configuration folder; what the entry is a symbolic link to,
    // in that folder; the Exec and TryExec lines ("@": the configuration folder).
    for (const char *column : {"folder", "link", "exec", "tryExec"})
        QTest::addColumn<QString>(column);
    const char *const rows[][5] = {
        {"reserved characters", "my $bin\\ x", "", R"("@/my \\$bin\\\\ x/rs")",
         R"(@/my $bin\\ x/rs)"},
        {"% in the folder", "100%", "", "ringscout", "ringscout"},
        {"link to a file", "bin", "rs", "@/bin/rs", "@/bin/rs"},
        {"dangling link", "bin", "none", "@/bin/rs", "@/bin/rs"},
        {"link to a folder", "bin", ".", "@/bin/rs", "@/bin/rs"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << row[1] << row[2] << row[3] << row[4];
}

void tst_AutostartEntry::entry()
{
    QFETCH(QString, folder);
    QFETCH(QString, link);
    QFETCH(QString, exec);
    QFETCH(QString, tryExec);
    QTemporaryDir home;
    const QString program = home.filePath(folder + "/rs");
    QVERIFY(QDir().mkpath(QFileInfo(program).path()) && QFile(program).open(QFile::WriteOnly));
    const AutostartEntry entry("com.belvane.Ringscout", program, home.path());
    QVERIFY(QDir(home.path()).mkdir("autostart"));
    const auto linkEntry = [&] {
        return link.isEmpty() || QFile::link(home.filePath(folder + "/" + link), entry.filePath());
    };
    QVERIFY(linkEntry());
    for (int write = 0; write < 2 && exec == "ringscout"; ++write) // says why, at each write
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot start \".*\" by its path"));
    entry.write();
    QFile file(entry.filePath());
    QVERIFY(!QFileInfo(file).isSymLink() && file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll()).replace(home.path(), "@");
    QVERIFY2(text.contains("\nExec=" + exec + "\nTryExec=" + tryExec + "\n"), qPrintable(text));
    QProcess validate; // as the desktop reads it
    validate.start("desktop-file-validate", {entry.filePath()});
    QVERIFY(validate.waitForFinished(10000));
    QCOMPARE(validate.readAll() + validate.readAllStandardError(), QByteArray()); // nor errors
    entry.remove();
    QVERIFY(!file.exists());
    QVERIFY(linkEntry());
    entry.remove(); // the link, not its target; none there is no fault
    entry.remove();
    QVERIFY(QFileInfo(program).size() == 0 && // the links' targets untouched
            QDir(home.filePath(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot) ==
                QStringList("rs"));

    QVERIFY(QDir().mkpath(entry.filePath())); // a folder in its place
    QVERIFY_THROWS_EXCEPTION(Failure, entry.write());
    QVERIFY_THROWS_EXCEPTION(Failure, entry.remove());
}

QTEST_GUILESS_MAIN(tst_AutostartEntry)
#include "tst_autostartentry.moc"
