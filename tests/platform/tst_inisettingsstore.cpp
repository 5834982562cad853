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
    void put(const QByteArray &content, QFile::Permissions mode = kOwnerOnly)
    {
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.setPermissions(mode);
    }
    bool ownerOnly() const
    {
        return (QFileInfo(path()).permissions() & ~kOwnerOnly & ~kUser) == QFile::Permissions();
    }
    static constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;
    static constexpr QFile::Permissions kUser = QFile::ReadUser | QFile::WriteUser;
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
        return settings.value(QStringLiteral("settings/") + key, "-").toString();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    int m_copies = 0;
};

void tst_IniSettingsStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_IniSettingsStore::valuesRoundTripExactly_data()
{
    QTest::addColumn<QString>("text");
    // Separated by "|": blanks at the ends, commas, quotes, escapes, "@", control characters.
    const QString texts = QString::fromUtf8(
        "NMBR = |  NAME =  |115200,N,8,1|101, 102,|,|pa\"ss'wo\\rd|a;b#c=*&+|@Variant(x)|@|"
        "AT[S0=0]||\ttab\t|line\nbreak\r\n|\001a|\x7f|\\x41|Caf\xc3\xa9 \xe2\x82\xac "
        "\xf0\x9f\x93\x9e");
    for (const QString &text : texts.split('|'))
        QTest::addRow("%s", text.toUtf8().toPercentEncoding(" =,;@\"\x27\\[]#*&+:/?").constData())
            << text;
    QTest::addRow("NUL then a digit") << QString::fromUtf8("a\0001b", 4);
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

// Read as QSettings reads them, except that a list (an unquoted comma) reads as its text.
void tst_IniSettingsStore::handTypedValues_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("text");
    const char *rows[][2] = {
        {"value=115200,N,8,1", "115200,N,8,1"},
        {"value = 101, 102 ; desk", "101, 102"},
        {" value =  abc   ; note", "abc"},
        {"value=\"a;b\" ; c", "a;b"},
        {"value=a\\tb\\x41\\\"", "a\tbA\""},
        {"value=1\nvalue=2", "2"},
        {"value=\"a\nb\"", "a\nb"},
        {"values=1", "-"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QByteArray(row[0]) << QString::fromUtf8(row[1]);
}

void tst_IniSettingsStore::handTypedValues()
{
    QFETCH(QByteArray, lines);
    QFETCH(QString, text);
    // As an editor leaves it, readable by everyone: the first read keeps it to its owner.
    put("; typed by hand\n[settings]\n" + lines + "\n[more]\nvalue=other\n",
        kOwnerOnly | QFile::ReadGroup | QFile::ReadOther);
    QCOMPARE(IniSettingsStore(m_dir->path()).ReadSetting("Belvane", "settings", "value", "-"),
             text);
    QVERIFY(ownerOnly());
    if (!text.contains(','))
        QCOMPARE(qsettingsValue("value"), text);
}

void tst_IniSettingsStore::writeChangesOnlyItsLines_data()
{
    QTest::addColumn<QByteArray>("before"); // null: no file yet
    QTest::addColumn<QByteArray>("after");
    // Each row writes startx=1920 and URL=http://h/?a=*,b (which needs quotes).
    QTest::newRow("in place and added, CR LF, blanks and comments kept")
        << QByteArray("[settings]\r\nstartx = 100 ; left\r\n\r\n[z]\r\nk=v")
        << QByteArray("[settings]\r\nstartx = 1920 ; left\r\nURL=\"http://h/?a=*,b\"\r\n\r\n"
                      "[z]\r\nk=v");
    QTest::newRow("no section yet, no final line end")
        << QByteArray("[z]\nk=v")
        << QByteArray("[z]\nk=v\n\n[settings]\nstartx=1920\nURL=\"http://h/?a=*,b\"\n");
    QTest::newRow("value over two lines")
        << QByteArray("[settings]\nURL=\"a\nb\"\nk=v\n")
        << QByteArray("[settings]\nURL=\"http://h/?a=*,b\"\nk=v\nstartx=1920\n");
    QTest::newRow("no file yet") << QByteArray()
                                 << QByteArray(
                                        "[settings]\nstartx=1920\nURL=\"http://h/?a=*,b\"\n");
}

void tst_IniSettingsStore::writeChangesOnlyItsLines()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    if (!before.isNull())
        put(before);
    IniSettingsStore(m_dir->path())
        .WriteSettings("Belvane", "settings", {{"startx", "1920"}, {"URL", "http://h/?a=*,b"}});
    QCOMPARE(content(), after);
    QVERIFY(ownerOnly()); // it holds the Asterisk secret
    QCOMPARE(qsettingsValue("URL"), QStringLiteral("http://h/?a=*,b"));
}

void tst_IniSettingsStore::failuresNameTheFile_data()
{
    QTest::addColumn<QString>("place"); // what stands where the file would be
    QTest::addColumn<QString>("reason");
    QTest::newRow("a folder") << "folder"
                              << "read %1: file to open is a directory";
    QTest::newRow("a file as its folder") << "plain/sub"
                                          << "write %1: Not a directory";
    QTest::newRow("a file too large for the system") << "file"
                                                     << "write %1: File too large";
}

// Root is stopped by none of the file modes, so each row uses something that stops root too.
void tst_IniSettingsStore::failuresNameTheFile()
{
    QFETCH(QString, place);
    QFETCH(QString, reason);
    QFile(m_dir->filePath(QStringLiteral("plain"))).open(QIODevice::WriteOnly);
    const QByteArray old = "[settings]\nURL=" + QByteArray(200, 'x') + "\n";
    if (place == "folder")
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("Belvane.ini")));
    else if (place == "file")
        put(old);
    IniSettingsStore store(m_dir->filePath(place.contains('/') ? place : QString()));
    reason = "Settings: cannot " + reason.arg(store.FilePath("Belvane"));

    // A full disk, for root as for anyone: writes beyond this size fail.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    QString failure = "no failure";
    try {
        store.WriteSetting("Belvane", "settings", "startx", "1");
    } catch (const Failure &f) {
        failure = f.Text();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    QCOMPARE(failure, reason);
    if (place == "file")
        QCOMPARE(content(), old);
    // No half-written sibling is left behind.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), qsizetype(place == "file" ? 2 : 1));
}

QTEST_GUILESS_MAIN(tst_IniSettingsStore)
#include "tst_inisettingsstore.moc"
