#include "fakes/FakeMainWindow.h"
#include "platform/Failure.h"
#include "platform/IniSettingsStore.h"
#include "settings/Globals.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsTable.h"

#include <QtTest>

class tst_LoadSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void defaultsOnEmptyStore();
    void storedValues_data();
    void storedValues();
    void failureStopsAtItsKey_data();
    void failureStopsAtItsKey();
    void geometryOneValueAtATime_data();
    void geometryOneValueAtATime();

private:
    void write(const QString &key, const QString &text)
    {
        m_store->WriteSetting(QStringLiteral("Belvane"), QStringLiteral("settings"), key, text);
    }
    Settings load(FakeMainWindow &window)
    {
        Settings g;
        g.appName = QStringLiteral("Belvane");
        g.sectionName = QStringLiteral("settings");
        LoadSettings(g, *m_store, window);
        return g;
    }
    static QString field(const Settings &g, const QString &key)
    {
        const SettingsTable::Row *row = SettingsTable::Find(key);
        return row ? row->text(g) : QStringLiteral("no such field");
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<IniSettingsStore> m_store;
};

void tst_LoadSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_store = std::make_unique<IniSettingsStore>(m_dir->path());
}

void tst_LoadSettings::defaultsOnEmptyStore()
{
    // The record starts empty; the defaults come from the load alone, in this order.
    const QStringList defaults{"cidKey=NMBR = ",
                               "cidnameKey=NAME = ",
                               "comPort=2",
                               "yacPort=10629",
                               "initString=ATS0=0M0+VCID=1",
                               "modemSettings=115200,N,8,1",
                               "newwin=0",
                               "Target=CallerID",
                               "URL=https://",
                               "startupURL=https://",
                               "AsteriskServer=",
                               "AsteriskPort=5038",
                               "AsteriskManager=Manager",
                               "AsteriskPassword=",
                               "AsteriskExtension=",
                               "startx=0",
                               "starty=0",
                               "startw=0",
                               "starth=0"};
    FakeMainWindow window;
    const Settings g = load(window);
    QStringList fresh, loaded;
    for (const SettingsTable::Row &row : SettingsTable::Rows()) {
        fresh.append(QLatin1String(row.key) + '=' + row.text(Settings()));
        loaded.append(QLatin1String(row.key) + '=' + row.text(g));
    }
    QCOMPARE(loaded, defaults);
    for (const char *key : SettingsTable::kOptionsKeys) // what the Options dialog writes
        QVERIFY2(SettingsTable::Find(QString::fromLatin1(key)), key);
    for (const QString &text : fresh)
        QVERIFY2(text.endsWith('=') || text.endsWith("=0"), qPrintable(text));
    QVERIFY2(window.log.isEmpty(), qPrintable(window.log.join(", ")));
    QVERIFY(!QFile::exists(m_store->FilePath(QStringLiteral("Belvane")))); // reads create nothing
}

void tst_LoadSettings::storedValues_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("loaded");
    QTest::newRow("empty comPort means no modem") << "comPort" << "" << "0";
    QTest::newRow("comPort 3") << "comPort" << "3" << "3";
    QTest::newRow("empty URL stays empty") << "URL" << "" << "";
    QTest::newRow("empty manager stays empty") << "AsteriskManager" << "" << "";
    QTest::newRow("AsteriskPort 65535") << "AsteriskPort" << "65535" << "65535";
    QTest::newRow("newwin 1") << "newwin" << "1" << "1";
    QTest::newRow("newwin -1") << "newwin" << "-1" << "1";
    QTest::newRow("newwin 0") << "newwin" << "0" << "0";
    QTest::newRow("cidKey keeps its blanks") << "cidKey" << " NMBR = " << " NMBR = ";
}

void tst_LoadSettings::storedValues()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(QString, loaded);
    write(key, text);
    FakeMainWindow window;
    QCOMPARE(field(load(window), key), loaded);
}

void tst_LoadSettings::failureStopsAtItsKey_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::newRow("yacPort empty") << "yacPort" << "";
    QTest::newRow("comPort letters") << "comPort" << "COM2";
    QTest::newRow("AsteriskPort above 65535") << "AsteriskPort" << "65536";
    QTest::newRow("newwin word") << "newwin" << "yes";
    QTest::newRow("startx beyond 32 bits") << "startx" << "2147483648";
    QTest::newRow("starth fraction") << "starth" << "7350.5";
}

// Earlier fields take their new values; the failing one and all later keep the old ones;
// no geometry is applied.
void tst_LoadSettings::failureStopsAtItsKey()
{
    QFETCH(QString, key);
    QFETCH(QString, text);

    const QHash<QString, QString> fresh{
        {"cidKey", "K1 "}, {"cidnameKey", "K2 "}, {"comPort", "3"}, {"yacPort", "2000"},
        {"initString", "ATZ"}, {"modemSettings", "9600,N,8,1"}, {"newwin", "1"},
        {"Target", "T"}, {"URL", "http://u/*"}, {"startupURL", "http://s/"},
        {"AsteriskServer", "pbx"}, {"AsteriskPort", "5039"}, {"AsteriskManager", "m"},
        {"AsteriskPassword", "p"}, {"AsteriskExtension", "101"}, {"startx", "15"},
        {"starty", "30"}, {"startw", "9000"}, {"starth", "8000"}};
    for (auto it = fresh.cbegin(); it != fresh.cend(); ++it)
        write(it.key(), it.key() == key ? text : it.value());

    Settings g;
    g.appName = QStringLiteral("Belvane");
    g.sectionName = QStringLiteral("settings");
    g.comPort = g.yacPort = g.AsteriskPort = 9;
    g.startx = g.starty = g.startw = g.starth = 9;
    g.initString = g.modemSettings = g.Target = g.URL = QStringLiteral("old");
    const Settings before = g;
    FakeMainWindow window;
    try {
        LoadSettings(g, *m_store, window);
        QFAIL("the load should have failed");
    } catch (const Failure &failure) {
        QCOMPARE(failure.Source(), QStringLiteral("Settings"));
        QVERIFY2(failure.Description().contains('"' + key + "\" holds \"" + text + '"'),
                 failure.what());
    }
    bool reached = false;
    for (const SettingsTable::Row &row : SettingsTable::Rows()) {
        reached = reached || key == QLatin1String(row.key);
        QCOMPARE(row.text(g),
                 reached ? row.text(before) : fresh.value(QString::fromLatin1(row.key)));
    }
    QVERIFY(window.log.isEmpty());
}

void tst_LoadSettings::geometryOneValueAtATime_data()
{
    QTest::addColumn<QStringList>("values"); // startx, starty, startw, starth
    QTest::addColumn<QStringList>("log");
    QTest::newRow("all four in order") << QStringList{"1920", "600", "9000", "8000"}
                                       << QStringList{"left 1920", "top 600", "width 9000",
                                                      "height 8000"};
    QTest::newRow("zero left moves only the top") << QStringList{"0", "500", "0", "0"}
                                                  << QStringList{"top 500"};
    QTest::newRow("negative left edge is applied") << QStringList{"-60", "0", "0", "0"}
                                                   << QStringList{"left -60"};
}

void tst_LoadSettings::geometryOneValueAtATime()
{
    QFETCH(QStringList, values);
    QFETCH(QStringList, log);
    const QStringList keys{"startx", "starty", "startw", "starth"};
    for (int i = 0; i < 4; ++i)
        write(keys[i], values[i]);
    FakeMainWindow window;
    load(window);
    QCOMPARE(window.log, log);
}

QTEST_GUILESS_MAIN(tst_LoadSettings)
#include "tst_loadsettings.moc"
