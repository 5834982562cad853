#include "platform/IniSettingsStore.h"

#include <QtTest>

// The settings file itself: where it lives, who may read it, and exact text round-trips.
class tst_IniSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void fileInTheConfigFolderOwnerOnly();
    void absentKeyGivesDefault();
    void valuesRoundTripExactly_data();
    void valuesRoundTripExactly();
    void handTypedValues_data();
    void handTypedValues();

private:
    QTemporaryDir m_dir;
};

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
    const QByteArray content = file.readAll();
    QVERIFY2(content.contains("[settings]") && content.contains("yacPort=10629"), content);
    QCOMPARE(file.permissions() & ~(QFile::ReadUser | QFile::WriteUser),
             QFile::ReadOwner | QFile::WriteOwner);
}

void tst_IniSettingsStore::absentKeyGivesDefault()
{
    IniSettingsStore store(m_dir.path());
    QCOMPARE(store.ReadSetting("Belvane", "settings", "comPort", "2"), QStringLiteral("2"));
    store.WriteSetting("Belvane", "settings", "comPort", "");
    QCOMPARE(store.ReadSetting("Belvane", "settings", "comPort", "2"), QString());
    QCOMPARE(store.ReadSetting("Belvane", "other", "comPort", "x"), QStringLiteral("x"));
    QCOMPARE(store.ReadSetting("Other", "settings", "comPort", "y"), QStringLiteral("y"));
}

void tst_IniSettingsStore::valuesRoundTripExactly_data()
{
    QTest::addColumn<QString>("text");
    for (const char *text :
         {"NMBR = ", "  NAME =  ", "115200,N,8,1", "101, 102,", ",", "pa\"ss'wo\\rd",
          "http://crm/search.htm?phone=*&name=+", "a;b#c", "@Variant(x)", "AT[S0=0]", ""})
        QTest::addRow("%s", text) << QString::fromUtf8(text);
    QTest::addRow("non-ASCII") << QString::fromUtf8("Caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\x9e");
}

void tst_IniSettingsStore::valuesRoundTripExactly()
{
    QFETCH(QString, text);
    IniSettingsStore(m_dir.path()).WriteSetting("Belvane", "settings", "value", text);
    // Another store object reads the file afresh.
    QCOMPARE(IniSettingsStore(m_dir.path()).ReadSetting("Belvane", "settings", "value", "-"),
             text);
}

void tst_IniSettingsStore::handTypedValues_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("text");
    QTest::newRow("commas without quotes") << QByteArray("value=115200,N,8,1") << "115200,N,8,1";
    QTest::newRow("list with blanks") << QByteArray("value = 101,102") << "101,102";
    QTest::newRow("plain number") << QByteArray("value=10630") << "10630";
    QTest::newRow("quoted blanks") << QByteArray("value=\"NMBR = \"") << "NMBR = ";
}

void tst_IniSettingsStore::handTypedValues()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, text);
    IniSettingsStore store(m_dir.path());
    QFile file(store.FilePath("Belvane"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[settings]\n" + line + "\nother=1\n");
    file.close();
    QCOMPARE(store.ReadSetting("Belvane", "settings", "value", "-"), text);
}

QTEST_GUILESS_MAIN(tst_IniSettingsStore)
#include "tst_inisettingsstore.moc"
