// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes/TestSupport.h"
#include "platform/IniSettingsStore.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>

// The settings file: who may read it, texts that read back exactly and as QSettings reads
// them, and writes that change their own lines only.
class tst_IniSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.emplace().isValid()); } // a new path for each row
    void reads_data();
    void reads();
    void writes_data();
    void writes();

private:
    QString path() const { return m_dir->filePath(QStringLiteral("Belvane.ini")); }
    void put(const QByteArray &content, QFile::Permissions others = {})
    {
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size() &&
                file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | others));
    }
    // Neither group nor others may read or write it: it holds the Asterisk secret.
    bool ownerOnly() const { return !(QFileInfo(path()).permissions() & 0x77); }
    QString qsettingsUrl() const
    {
        return QSettings(path(), QSettings::IniFormat).value("settings/URL", "https://").toString();
    }

    std::optional<QTemporaryDir> m_dir;
};

void tst_IniSettingsStore::reads_data()
{
    QTest::addColumn<QByteArray>("lines"); // typed by hand; null: the store writes the URL
    QTest::addColumn<QString>("loaded");   // the text read back
    // Written: blanks at the ends, commas, quotes, escapes, "@", control characters.
    const QString texts = QString::fromUtf8(
        "NMBR = |  NAME =  |115200,N,8,1|101, 102,|,|pa\"ss'wo\\rd|a;b#c=*&+|@Variant(x)|@|"
        "AT[S0=0]||\ttab\t|line\nbreak\r\n|\001a|\x7f|\\x41|Caf\xc3\xa9 \xe2\x82\xac "
        "\xf0\x9f\x93\x9e|\xef\xbb\xbf"
        "a\xef\xbb\xbf");
    for (const QString &text : texts.split('|'))
        QTest::addRow("%s", text.toUtf8().toPercentEncoding(" =,;@\"\x27\\[]#*&+:/?").constData())
            << QByteArray() << text;
    QTest::addRow("NUL then a digit") << QByteArray() << QString::fromUtf8("a\0001b", 4);
    // Typed by hand: texts as QSettings reads them, except that a list (an unquoted comma)
    // reads as its text.
    const char *rows[][2] = {
        {"URL = 101, 102 ; desk", "101, 102"},
        {"URL=a\\tb\\x41\\\"", "a\tbA\""},
        {"URL=\"a\nb\"", "a\nb"},
        {"URL=a\nURL=b", "b"}, // the last of repeated keys
        {"Target=Caf\xe9 \x80\xc3",
         "Caf\xc3\xa9 \xe2\x82\xac\xc3\x83"}, // Windows-1252 where not UTF-8
        {"comPort = +3", "+3"},
        {"URLs=1", ""}, // another key: nothing for URL
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QByteArray(row[0]) << QString::fromUtf8(row[1]);
}

// Read by us as by QSettings.
void tst_IniSettingsStore::reads()
{
    QFETCH(QByteArray, lines);
    QFETCH(QString, loaded);
    IniSettingsStore store("Belvane", "settings", m_dir->path());
    const QString key = lines.isNull() ? "URL" : QString(lines).section('=', 0, 0).trimmed();
    if (lines.isNull())
        store.WriteSetting("URL", loaded);
    else // as an editor leaves it, readable by everyone: the first read keeps it to its owner
        put("; typed by hand\n[settings]\n" + lines + "\n[more]\nURL=other\n",
            QFile::ReadGroup | QFile::ReadOther);
    QCOMPARE(ownerOnly(), lines.isNull()); // a file the store makes is its owner's from the start
    QCOMPARE(store.readSettings().value(key == "URLs" ? "URL" : key), loaded);
    QVERIFY(ownerOnly());
    if (key == "URL" && (lines.isNull() || !loaded.contains(',')))
        QCOMPARE(qsettingsUrl(), loaded);
}

void tst_IniSettingsStore::writes_data()
{
    QTest::addColumn<QString>("reason"); // why the write fails; empty: it does not
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    // Each row writes startx=1920, URL=http://h/?a=*,b (which needs quotes) and Target=Café.
    const QByteArray added = "startx=1920\nURL=\"http://h/?a=*,b\"\nTarget=Caf\xc3\xa9";
    QTest::newRow("in place and added, CR LF, blanks and comments kept")
        << "" << QByteArray("[settings]\r\nstartx = 100 ; left\r\n\r\n[z]\r\nk=v")
        << QByteArray("[settings]\r\nstartx = 1920 ; left\r\nURL=\"http://h/?a=*,b\"\r\n"
                      "Target=Caf\xc3\xa9\r\n\r\n[z]\r\nk=v");
    QTest::newRow("no section yet, no final line end")
        << "" << QByteArray("[z]\nk=v") << "[z]\nk=v\n\n[settings]\n" + added + "\n";
    // Text that reads as the value stays as typed: Windows-1252 is not rewritten as UTF-8.
    QTest::newRow("a last line ending in a backslash, which continues it")
        << "" << QByteArray("[settings]\nTarget=Caf\xe9\ninitString=ATZ\\")
        << QByteArray("[settings]\nTarget=Caf\xe9\ninitString=ATZ\\\n\nstartx=1920\n"
                      "URL=\"http://h/?a=*,b\"");
    QTest::newRow("lone CR line ends, the last after a backslash")
        << "" << QByteArray("[settings]\rinitString=ATZ\\\r")
        << "[settings]\rinitString=ATZ\\\r\r" + QByteArray(added).replace('\n', '\r');
    const QByteArray open = "[settings]\nk=v\nAsteriskServer=\"pbx";
    QTest::newRow("an unclosed quote would take in what is added")
        << "update %1: line 3 would not read back as it was (is a quote left open?)" << open
        << open;
    // Root is stopped by none of the file modes, but by these.
    QTest::newRow("a folder in its place")
        << "read %1: file to open is a directory" << QByteArray("(a folder)")
        << QByteArray("(unreadable)");
    const QByteArray large = "[settings]\nk=" + QByteArray(200, 'x') + "\n";
    QTest::newRow("larger than the disk allows") << "write %1: File too large" << large << large;
}

// A write changes its own lines and nothing else, and replaces the file in one step: a
// failure names the file and leaves it as it was, with no half-written copy beside it.
void tst_IniSettingsStore::writes()
{
    QFETCH(QString, reason);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    if (before == "(a folder)")
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("Belvane.ini")));
    else
        put(before);
    IniSettingsStore store("Belvane", "settings", m_dir->path());
    // Writes beyond 100 bytes fail, as on a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small{100, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    const QString failure = TestSupport::failureOf([&] {
        store.writeSettings({{"startx", "1920"},
                             {"URL", "http://h/?a=*,b"},
                             {"Target", QString::fromUtf8("Caf\xc3\xa9")}});
    });
    setrlimit(RLIMIT_FSIZE, &saved);
    QCOMPARE(failure,
             reason.isEmpty() ? reason : "Settings: cannot " + reason.arg(store.filePath()));
    QFile file(path());
    QCOMPARE(file.open(QIODevice::ReadOnly) ? file.readAll() : "(unreadable)", after);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), qsizetype(before != "(a folder)"));
    if (reason.isEmpty()) {
        QVERIFY(ownerOnly());
        QCOMPARE(qsettingsUrl(), QStringLiteral("http://h/?a=*,b"));
    }
}

QTEST_GUILESS_MAIN(tst_IniSettingsStore)
#include "tst_inisettingsstore.moc"
