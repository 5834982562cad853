#include "fakes/FakeMainWindow.h"
#include "platform/Failure.h"
#include "platform/IniSettingsStore.h"
#include "settings/Globals.h"
#include "settings/LoadSettings.h"

#include <QtTest>

#include <functional>

namespace {

// Every field of the record in the order LoadSettings reads it, as text.
struct Field
{
    const char *key;
    std::function<QString(const Globals &)> get;
};

const QList<Field> &fieldsInReadOrder()
{
    static const QList<Field> fields{
        {"cidKey", [](const Globals &g) { return g.cidKey; }},
        {"cidnameKey", [](const Globals &g) { return g.cidnameKey; }},
        {"comPort", [](const Globals &g) { return QString::number(g.comPort); }},
        {"yacPort", [](const Globals &g) { return QString::number(g.yacPort); }},
        {"initString", [](const Globals &g) { return g.initString; }},
        {"modemSettings", [](const Globals &g) { return g.modemSettings; }},
        {"newwin", [](const Globals &g) { return QString::number(int(g.newwin)); }},
        {"Target", [](const Globals &g) { return g.Target; }},
        {"URL", [](const Globals &g) { return g.URL; }},
        {"startupURL", [](const Globals &g) { return g.startupURL; }},
        {"AsteriskServer", [](const Globals &g) { return g.AsteriskServer; }},
        {"AsteriskPort", [](const Globals &g) { return QString::number(g.AsteriskPort); }},
        {"AsteriskManager", [](const Globals &g) { return g.AsteriskManager; }},
        {"AsteriskPassword", [](const Globals &g) { return g.AsteriskPassword; }},
        {"AsteriskExtension", [](const Globals &g) { return g.AsteriskExtension; }},
        {"startx", [](const Globals &g) { return QString::number(g.startx); }},
        {"starty", [](const Globals &g) { return QString::number(g.starty); }},
        {"startw", [](const Globals &g) { return QString::number(g.startw); }},
        {"starth", [](const Globals &g) { return QString::number(g.starth); }},
    };
    return fields;
}

} // namespace

class tst_LoadSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void defaultsOnEmptyStore();
    void fieldsStartEmpty();
    void emptyTextIsNotAbsent();
    void failureStopsAtItsKey_data();
    void failureStopsAtItsKey();
    void booleans_data();
    void booleans();
    void geometryOneValueAtATime_data();
    void geometryOneValueAtATime();
    void valuesRoundTripExactly_data();
    void valuesRoundTripExactly();
    void handTypedValues_data();
    void handTypedValues();

private:
    void write(const QString &key, const QString &text)
    {
        m_store->WriteSetting(QStringLiteral("Belvane"), QStringLiteral("settings"), key, text);
    }
    Globals load(FakeMainWindow &window)
    {
        Globals g;
        g.appName = QStringLiteral("Belvane");
        g.sectionName = QStringLiteral("settings");
        LoadSettings(g, *m_store, window);
        return g;
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
    FakeMainWindow window;
    const Globals g = load(window);
    QCOMPARE(g.cidKey, QStringLiteral("NMBR = "));
    QCOMPARE(g.cidnameKey, QStringLiteral("NAME = "));
    QCOMPARE(g.comPort, qint16(2));
    QCOMPARE(g.yacPort, qint16(10629));
    QCOMPARE(g.initString, QStringLiteral("ATS0=0M0+VCID=1"));
    QCOMPARE(g.modemSettings, QStringLiteral("115200,N,8,1"));
    QCOMPARE(g.newwin, false);
    QCOMPARE(g.Target, QStringLiteral("CallerID"));
    QCOMPARE(g.URL, QStringLiteral("https://"));
    QCOMPARE(g.startupURL, QStringLiteral("https://"));
    QCOMPARE(g.AsteriskServer, QString());
    QCOMPARE(g.AsteriskPort, qint16(5038));
    QCOMPARE(g.AsteriskManager, QStringLiteral("Manager"));
    QCOMPARE(g.AsteriskPassword, QString());
    QCOMPARE(g.AsteriskExtension, QString());
    QCOMPARE(g.startx + g.starty + g.startw + g.starth, 0);
    QVERIFY2(window.log.isEmpty(), qPrintable(window.log.join(", ")));
    // Reading creates nothing.
    QVERIFY(!QFile::exists(m_store->FilePath(QStringLiteral("Belvane"))));
}

void tst_LoadSettings::fieldsStartEmpty()
{
    const Globals g;
    for (const Field &field : fieldsInReadOrder()) {
        const QString value = field.get(g);
        QVERIFY2(value.isEmpty() || value == QStringLiteral("0"), field.key);
    }
    QVERIFY(!g.startupFailed);
}

void tst_LoadSettings::emptyTextIsNotAbsent()
{
    write(QStringLiteral("comPort"), QString());
    write(QStringLiteral("URL"), QString());
    write(QStringLiteral("AsteriskManager"), QString());
    FakeMainWindow window;
    const Globals g = load(window);
    QCOMPARE(g.comPort, qint16(0)); // no modem
    QCOMPARE(g.URL, QString());
    QCOMPARE(g.AsteriskManager, QString());
    QCOMPARE(g.startupURL, QStringLiteral("https://"));
}

void tst_LoadSettings::failureStopsAtItsKey_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::newRow("yacPort empty") << "yacPort" << "";
    QTest::newRow("comPort letters") << "comPort" << "COM2";
    QTest::newRow("AsteriskPort above 32767") << "AsteriskPort" << "32768";
    QTest::newRow("newwin empty") << "newwin" << "";
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

    Globals g;
    g.appName = QStringLiteral("Belvane");
    g.sectionName = QStringLiteral("settings");
    g.comPort = 9;
    g.yacPort = 9;
    g.AsteriskPort = 9;
    g.startx = g.starty = g.startw = g.starth = 9;
    g.initString = g.modemSettings = g.Target = g.URL = g.startupURL = QStringLiteral("old");
    const Globals before = g;
    FakeMainWindow window;

    try {
        LoadSettings(g, *m_store, window);
        QFAIL("the load should have failed");
    } catch (const Failure &failure) {
        QCOMPARE(failure.Source(), QStringLiteral("Settings"));
        QVERIFY2(failure.Description().contains(QLatin1Char('"') + key + QLatin1Char('"')),
                 failure.what());
        QVERIFY2(failure.Description().contains(QLatin1Char('"') + text + QLatin1Char('"')),
                 failure.what());
    }

    bool reached = false;
    for (const Field &field : fieldsInReadOrder()) {
        reached = reached || key == QLatin1String(field.key);
        const QString expected =
            reached ? field.get(before) : fresh.value(QString::fromLatin1(field.key));
        QCOMPARE(field.get(g), expected);
    }
    QVERIFY(window.log.isEmpty());
}

void tst_LoadSettings::booleans_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("on");
    QTest::newRow("0") << "0" << false;
    QTest::newRow("1") << "1" << true;
    QTest::newRow("-1") << "-1" << true;
}

void tst_LoadSettings::booleans()
{
    QFETCH(QString, text);
    QFETCH(bool, on);
    write(QStringLiteral("newwin"), text);
    FakeMainWindow window;
    QCOMPARE(load(window).newwin, on);
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
    QTest::newRow("position without size") << QStringList{"15", "15", "0", "0"}
                                           << QStringList{"left 15", "top 15"};
}

void tst_LoadSettings::geometryOneValueAtATime()
{
    QFETCH(QStringList, values);
    QFETCH(QStringList, log);
    const char *keys[] = {"startx", "starty", "startw", "starth"};
    for (int i = 0; i < 4; ++i)
        write(QString::fromLatin1(keys[i]), values[i]);
    FakeMainWindow window;
    load(window);
    QCOMPARE(window.log, log);
}

void tst_LoadSettings::valuesRoundTripExactly_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::newRow("blank at the end") << "cidKey" << "NMBR = ";
    QTest::newRow("blanks at both ends") << "cidnameKey" << "  NAME =  ";
    QTest::newRow("commas") << "modemSettings" << "115200,N,8,1";
    QTest::newRow("extension list with blank") << "AsteriskExtension" << "101, 102,";
    QTest::newRow("lone comma") << "AsteriskExtension" << ",";
    QTest::newRow("quotes") << "AsteriskPassword" << "pa\"ss'wo\\rd";
    QTest::newRow("template") << "URL" << "http://crm/search.htm?phone=*&name=+";
    QTest::newRow("semicolon and hash") << "AsteriskPassword" << "a;b#c";
    QTest::newRow("non-ASCII") << "Target" << QString::fromUtf8("Caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\x9e");
    QTest::newRow("at sign first") << "initString" << "@Variant(x)";
    QTest::newRow("equals and brackets") << "initString" << "AT[S0=0]";
    QTest::newRow("empty") << "AsteriskServer" << "";
}

void tst_LoadSettings::valuesRoundTripExactly()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    write(key, text);
    // A second store object reads the file afresh.
    IniSettingsStore again(m_dir->path());
    QCOMPARE(again.ReadSetting("Belvane", "settings", key, "absent"), text);
}

void tst_LoadSettings::handTypedValues_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::newRow("commas without quotes") << QByteArray("modemSettings=115200,N,8,1")
                                           << "modemSettings" << "115200,N,8,1";
    QTest::newRow("list without quotes") << QByteArray("AsteriskExtension = 101,102")
                                         << "AsteriskExtension" << "101,102";
    QTest::newRow("plain number") << QByteArray("yacPort=10630") << "yacPort" << "10630";
    QTest::newRow("quoted blanks") << QByteArray("cidKey=\"NMBR = \"") << "cidKey" << "NMBR = ";
}

void tst_LoadSettings::handTypedValues()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFile file(m_store->FilePath(QStringLiteral("Belvane")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[settings]\n" + line + "\n");
    file.close();
    QCOMPARE(m_store->ReadSetting("Belvane", "settings", key, "absent"), text);
    FakeMainWindow window;
    const Globals g = load(window); // the whole load still works with the typed value
    QCOMPARE(g.yacPort, key == QLatin1String("yacPort") ? qint16(10630) : qint16(10629));
}

QTEST_GUILESS_MAIN(tst_LoadSettings)
#include "tst_loadsettings.moc"
