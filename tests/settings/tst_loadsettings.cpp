#include "fakes/FakeMainWindow.h"
#include "fakes/MemorySettingsStore.h"
#include "platform/Failure.h"
#include "settings/Globals.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsTable.h"

#include <QtTest>

namespace {

Settings record()
{
    Settings g;
    g.appName = QStringLiteral("Belvane");
    g.sectionName = QStringLiteral("settings");
    return g;
}

// The record as "key=text|...", in the order the settings are read.
QString texts(const Settings &g)
{
    QStringList texts;
    for (const SettingsTable::Row &row : SettingsTable::Rows())
        texts.append(QLatin1String(row.key) + '=' + row.text(g));
    return texts.join('|');
}

} // namespace

// The settings read in their order and converted: 16-bit numbers, 32-bit geometry, ports,
// on/off values. A text that does not convert stops the load at its key.
class tst_LoadSettings : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void load_data();
    void load();
};

void tst_LoadSettings::defaults()
{
    MemorySettingsStore store;
    FakeMainWindow window;
    Settings g = record();
    LoadSettings(g, store, window);
    QCOMPARE(texts(g), "cidKey=NMBR = |cidnameKey=NAME = |comPort=2|yacPort=10629|"
                       "initString=ATS0=0M0+VCID=1|modemSettings=115200,N,8,1|newwin=0|"
                       "Target=CallerID|URL=https://|startupURL=https://|AsteriskServer=|"
                       "AsteriskPort=5038|AsteriskManager=Manager|AsteriskPassword=|"
                       "AsteriskExtension=|startx=0|starty=0|startw=0|starth=0");
    QVERIFY(window.log.isEmpty());
}

// `loaded` is the field's text after the load, or "!" when the load fails at that key.
void tst_LoadSettings::load_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("loaded");
    const char *rows[][3] = {
        {"comPort", "", "0"}, // no modem
        {"comPort", " +3 ", "3"},
        {"comPort", "-32768", "-32768"},
        {"comPort", "32768", "!"},
        {"comPort", " ", "!"},
        {"comPort", "COM2", "!"},
        {"comPort", "0x10", "!"},
        {"yacPort", "", "!"},
        {"yacPort", "40000", "40000"},
        {"yacPort", "-32769", "!"},
        {"AsteriskPort", "65535", "65535"},
        {"AsteriskPort", "65536", "!"},
        {"AsteriskPort", "99999999999999999999", "!"},
        {"newwin", "-1", "1"},
        {"newwin", "2.5", "1"},
        {"newwin", "0.0", "0"},
        {"newwin", "yes", "!"},
        {"newwin", "inf", "!"},
        {"newwin", "", "!"},
        {"startx", "-2147483648", "-2147483648"},
        {"startw", "40000", "40000"},
        {"starty", "2147483648", "!"},
        {"starth", "7350.5", "!"},
        {"cidKey", " NMBR = ", " NMBR = "},
        {"URL", "", ""},
    };
    for (const auto &row : rows)
        QTest::addRow("%s \"%s\"", row[0], row[1]) << row[0] << row[1] << row[2];
}

// Every key holds a new value, the row's key the row's text. A failure keeps the new values
// before its key and the old ones from it on, and moves no window.
void tst_LoadSettings::load()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(QString, loaded);
    MemorySettingsStore store;
    QHash<QString, QString> fresh;
    for (const QString &row :
         QStringLiteral(
             "cidKey=K1 |cidnameKey=K2 |comPort=3|yacPort=2000|initString=ATZ|"
             "modemSettings=9600,N,8,1|newwin=1|Target=T|URL=http://u/*|startupURL=http://s/|"
             "AsteriskServer=pbx|AsteriskPort=5039|AsteriskManager=m|AsteriskPassword=p|"
             "AsteriskExtension=101|startx=15|starty=30|startw=9000|starth=8000")
             .split('|')) {
        fresh.insert(row.section('=', 0, 0), row.section('=', 1));
        store.set(row.section('=', 0, 0), row.section('=', 1));
    }
    store.set(key, text);

    Settings g = record();
    g.comPort = g.yacPort = g.AsteriskPort = 9;
    g.startx = g.starty = g.startw = g.starth = 9;
    g.URL = g.Target = QStringLiteral("old");
    const Settings before = g;
    FakeMainWindow window;
    QString failure;
    try {
        LoadSettings(g, store, window);
    } catch (const Failure &f) {
        failure = f.Text();
    }
    QCOMPARE(failure.isEmpty(), loaded != "!");
    if (!failure.isEmpty())
        QVERIFY2(failure.startsWith("Settings: \"" + key + "\" holds \"" + text + '"'),
                 qPrintable(failure));
    else
        fresh.insert(key, loaded);
    bool reached = false;
    for (const SettingsTable::Row &row : SettingsTable::Rows()) {
        reached = reached || key == QLatin1String(row.key);
        QCOMPARE(row.text(g), !failure.isEmpty() && reached ? row.text(before)
                                                            : fresh.value(QLatin1String(row.key)));
    }
    if (failure.isEmpty())
        QCOMPARE(QList<int>({window.left, window.top, window.width, window.height}),
                 QList<int>({g.startx, g.starty, g.startw, g.starth}));
    else
        QVERIFY(window.log.isEmpty());
}

QTEST_GUILESS_MAIN(tst_LoadSettings)
#include "tst_loadsettings.moc"
