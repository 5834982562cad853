#include "platform/IniSettingsStore.h"

#include <QtTest>

class tst_IniSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void fileLivesInTheConfigFolder();
    void ownerOnly();
    void absentKeyGivesDefault();
    void otherKeysSurviveAWrite();
};

void tst_IniSettingsStore::fileLivesInTheConfigFolder()
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    IniSettingsStore store;
    store.WriteSetting("Belvane", "settings", "yacPort", "10629");
    const QString path = home.path() + QStringLiteral("/Belvane.ini");
    QCOMPARE(store.FilePath("Belvane"), path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    QVERIFY2(content.contains("[settings]") && content.contains("yacPort=10629"), content);
}

void tst_IniSettingsStore::ownerOnly()
{
    QTemporaryDir dir;
    IniSettingsStore store(dir.path() + QStringLiteral("/new/folder"));
    store.WriteSetting("Belvane", "settings", "AsteriskPassword", "secret");
    const auto perms = QFile::permissions(store.FilePath("Belvane"));
    QCOMPARE(perms & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
             QFile::Permissions());
    QVERIFY(perms & QFile::ReadOwner);
    // Still owner-only after the file is rewritten.
    store.WriteSetting("Belvane", "settings", "AsteriskPassword", "other");
    QCOMPARE(QFile::permissions(store.FilePath("Belvane")) & (QFile::ReadGroup | QFile::ReadOther),
             QFile::Permissions());
}

void tst_IniSettingsStore::absentKeyGivesDefault()
{
    QTemporaryDir dir;
    IniSettingsStore store(dir.path());
    QCOMPARE(store.ReadSetting("Belvane", "settings", "comPort", "2"), QStringLiteral("2"));
    store.WriteSetting("Belvane", "settings", "comPort", "");
    QCOMPARE(store.ReadSetting("Belvane", "settings", "comPort", "2"), QString());
    // Another section or application is another address.
    QCOMPARE(store.ReadSetting("Belvane", "other", "comPort", "x"), QStringLiteral("x"));
    QCOMPARE(store.ReadSetting("Other", "settings", "comPort", "y"), QStringLiteral("y"));
}

void tst_IniSettingsStore::otherKeysSurviveAWrite()
{
    QTemporaryDir dir;
    IniSettingsStore store(dir.path());
    store.WriteSetting("Belvane", "settings", "URL", "http://a/*");
    store.WriteSetting("Belvane", "settings", "startx", "1920");
    QCOMPARE(store.ReadSetting("Belvane", "settings", "URL", ""), QStringLiteral("http://a/*"));
    QCOMPARE(store.ReadSetting("Belvane", "settings", "startx", ""), QStringLiteral("1920"));
}

QTEST_GUILESS_MAIN(tst_IniSettingsStore)
#include "tst_inisettingsstore.moc"
