#include "platform/Failure.h"
#include "platform/IniSettingsStore.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>

// The settings file itself: where it lives, who may read it, exact text round-trips, and
// writes that change their own lines and nothing else.
class tst_IniSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void fileInTheConfigFolderOwnerOnly();
    void absentKeyGivesDefault();
    void valuesRoundTripExactly_data();
    void valuesRoundTripExactly();
    void handTypedValues_data();
    void handTypedValues();
    void writeChangesOnlyItsLines_data();
    void writeChangesOnlyItsLines();
    void failuresNameTheFile_data();
    void failuresNameTheFile();

private:
    QString path() const { return m_dir->filePath(QStringLiteral("Belvane.ini")); }
    void put(const QByteArray &content)
    {
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    QByteArray content() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
    }
    // What QSettings itself reads, with a file it has never seen (no cached copy).
    QString qsettingsValue(const QString &key)
    {
        const QString copy = m_dir->filePath(QStringLiteral("copy%1.ini").arg(++m_copies));
        QFile::copy(path(), copy);
        QSettings settings(copy, QSettings::IniFormat);
        return settings.value(QStringLiteral("settings/") + key).toString();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    int m_copies = 0;
};

void tst_IniSettingsStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_IniSettingsStore::fileInTheConfigFolderOwnerOnly()
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/new folder").toUtf8());
    IniSettingsStore store;
    store.WriteSetting("Belvane", "settings", "AsteriskPassword", "secret");
    store.WriteSetting("Belvane", "settings", "yacPort", "10629"); // the file is rewritten
    const QString path = home.path() + QStringLiteral("/new folder/Belvane.ini");
    QCOMPARE(store.FilePath("Belvane"), path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("[settings]\nAsteriskPassword=secret\nyacPort=10629\n"));
    QCOMPARE(file.permissions() & ~(QFile::ReadUser | QFile::WriteUser),
             QFile::ReadOwner | QFile::WriteOwner);
}

void tst_IniSettingsStore::absentKeyGivesDefault()
{
    IniSettingsStore store(m_dir->path());
    QCOMPARE(store.ReadSetting("Belvane", "settings", "comPort", "2"), QStringLiteral("2"));
    store.WriteSetting("Belvane", "settings", "comPort", "");
    QCOMPARE(store.ReadSetting("Belvane", "settings", "comPort", "2"), QString());
    QCOMPARE(store.ReadSetting("Belvane", "other", "comPort", "x"), QStringLiteral("x"));
    QCOMPARE(store.ReadSetting("Other", "settings", "comPort", "y"), QStringLiteral("y"));
}

void tst_IniSettingsStore::valuesRoundTripExactly_data()
{
    QTest::addColumn<QString>("text");
    for (const char *text : {"NMBR = ", "  NAME =  ", "115200,N,8,1", "101, 102,", ",",
                             "pa\"ss'wo\\rd", "http://crm/search.htm?phone=*&name=+", "a;b#c",
                             "@Variant(x)", "@", "AT[S0=0]", "", "\ttab\t", "line\nbreak\r\n",
                             "\x01"
                             "a",
                             "\x7f", "\\x41"})
        QTest::addRow("%s",
                      QByteArray(text).toPercentEncoding(" =,;@\"\x27\\[]#*&+:/?").constData())
            << QString::fromUtf8(text);
    QTest::addRow("non-ASCII") << QString::fromUtf8("Caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\x9e");
    QTest::addRow("NUL then a digit") << QString::fromUtf8("a\0"
                                                           "1b",
                                                           4);
}

// Our reader and QSettings both read back what was written, character for character.
void tst_IniSettingsStore::valuesRoundTripExactly()
{
    QFETCH(QString, text);
    IniSettingsStore(m_dir->path()).WriteSetting("Belvane", "settings", "value", text);
    QCOMPARE(IniSettingsStore(m_dir->path()).ReadSetting("Belvane", "settings", "value", "-"),
             text);
    QCOMPARE(qsettingsValue("value"), text);
}

void tst_IniSettingsStore::handTypedValues_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("sameAsQSettings"); // false: QSettings sees a list
    QTest::newRow("commas without quotes")
        << QByteArray("value=115200,N,8,1") << "115200,N,8,1" << false;
    QTest::newRow("list with blanks and a comment")
        << QByteArray("value = 101, 102 ; desk") << "101, 102" << false;
    QTest::newRow("blanks and comment dropped")
        << QByteArray(" value =  abc   ; note") << "abc" << true;
    QTest::newRow("quoted ; is text") << QByteArray("value=\"a;b\" ; c") << "a;b" << true;
    QTest::newRow("escapes") << QByteArray("value=a\\tb\\x41\\\"") << "a\tbA\"" << true;
    QTest::newRow("the last of two counts") << QByteArray("value=1\nvalue=2") << "2" << true;
    QTest::newRow("quotes across lines") << QByteArray("value=\"a\nb\"") << "a\nb" << true;
    QTest::newRow("other section does not count")
        << QByteArray("value=1\n[other]\nvalue=2") << "1" << true;
}

void tst_IniSettingsStore::handTypedValues()
{
    QFETCH(QByteArray, lines);
    QFETCH(QString, text);
    QFETCH(bool, sameAsQSettings);
    put("; typed by hand\n[settings]\n" + lines + "\n[more]\nvalue=other\n");
    QCOMPARE(IniSettingsStore(m_dir->path()).ReadSetting("Belvane", "settings", "value", "-"),
             text);
    if (sameAsQSettings)
        QCOMPARE(qsettingsValue("value"), text);
}

void tst_IniSettingsStore::writeChangesOnlyItsLines_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    // Each row writes startx=1920 and URL=http://h/?a=*,b (which needs quotes).
    QTest::newRow("in place, blanks and comments kept")
        << QByteArray("[settings]\r\nstartx = 100 ; left\r\nURL=\"x\"\r\n\r\n[z]\r\nk=v")
        << QByteArray("[settings]\r\nstartx = 1920 ; left\r\nURL=\"http://h/?a=*,b\"\r\n\r\n"
                      "[z]\r\nk=v");
    QTest::newRow("no section yet, no final line end")
        << QByteArray("[z]\nk=v")
        << QByteArray("[z]\nk=v\n\n[settings]\nstartx=1920\nURL=\"http://h/?a=*,b\"\n");
    QTest::newRow("value over two lines")
        << QByteArray("[settings]\nURL=\"a\nb\"\nk=v\n")
        << QByteArray("[settings]\nURL=\"http://h/?a=*,b\"\nk=v\nstartx=1920\n");
}

void tst_IniSettingsStore::writeChangesOnlyItsLines()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    put(before);
    IniSettingsStore(m_dir->path())
        .WriteSettings("Belvane", "settings", {{"startx", "1920"}, {"URL", "http://h/?a=*,b"}});
    QCOMPARE(content(), after);
    QCOMPARE(qsettingsValue("URL"), QStringLiteral("http://h/?a=*,b"));
    QCOMPARE(qsettingsValue("startx"), QStringLiteral("1920"));
}

void tst_IniSettingsStore::failuresNameTheFile_data()
{
    QTest::addColumn<QString>("configDir"); // relative to the temporary folder
    QTest::addColumn<QString>("place");     // what stands where the file would be
    QTest::addColumn<bool>("readFails");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder in the file's place") << ""
                                                << "folder" << true << "is a directory";
    QTest::newRow("parent path is a file") << "plain/sub"
                                           << "" << false << "Not a directory";
    QTest::newRow("file too large for the system") << ""
                                                   << "file" << false << "File too large";
}

// Root is stopped by none of the file modes, so each row uses something that stops root too.
void tst_IniSettingsStore::failuresNameTheFile()
{
    QFETCH(QString, configDir);
    QFETCH(QString, place);
    QFETCH(bool, readFails);
    QFETCH(QString, reason);
    QFile(m_dir->filePath(QStringLiteral("plain"))).open(QIODevice::WriteOnly);
    if (place == QLatin1String("folder"))
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("Belvane.ini")));
    const QByteArray old = "[settings]\nURL=" + QByteArray(200, 'x') + "\n";
    if (place == QLatin1String("file"))
        put(old);

    IniSettingsStore store(m_dir->filePath(configDir));
    const QString file = store.FilePath(QStringLiteral("Belvane"));
    auto expectFailure = [&](const std::function<void()> &call, const QString &what) {
        try {
            call();
            QFAIL("no failure");
        } catch (const Failure &failure) {
            QCOMPARE(failure.Source(), QStringLiteral("Settings"));
            QVERIFY2(failure.Description().startsWith("cannot " + what + ' ' + file + ": ") &&
                         failure.Description().contains(reason),
                     failure.what());
        }
    };
    if (readFails)
        expectFailure([&] { store.ReadSetting("Belvane", "settings", "URL", "-"); },
                      QStringLiteral("read"));

    // A full disk, for root as for anyone: writes beyond this size fail.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    expectFailure([&] { store.WriteSetting("Belvane", "settings", "startx", "1"); },
                  readFails ? QStringLiteral("read") : QStringLiteral("write"));
    setrlimit(RLIMIT_FSIZE, &saved);
    if (place == QLatin1String("file"))
        QCOMPARE(content(), old);
    // No half-written sibling is left behind.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), qsizetype(place == "file" ? 2 : 1));
}

QTEST_GUILESS_MAIN(tst_IniSettingsStore)
#include "tst_inisettingsstore.moc"
