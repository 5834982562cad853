#include "fakes/FakeMainWindow.h"
#include "fakes/MemorySettingsStore.h"
#include "platform/Failure.h"
#include "settings/Globals.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsTable.h"

#include <QtTest>

// The settings read in their order and converted: 16-bit numbers, 32-bit geometry, ports,
// on/off values. A text that does not convert stops the load at its key.
class tst_LoadSettings : public QObject
{
    Q_OBJECT

private slots:
    void load_data();
    void load();
};

// `loaded` is the field's text after the load, or "!" when the load fails at that key.
void tst_LoadSettings::load_data()
{
    QTest::addColumn<QString>("key"); // none: nothing is stored
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("loaded");
    const char *rows[][3] = {
        {"", "", ""},
        {"comPort", "", "0"}, // no modem
        {"comPort", " +3 ", "3"},
        {"comPort", "32768", "!"},
        {"comPort", "0x10", "!"},
        {"yacPort", "", "!"},
        {"yacPort", "40000", "40000"},
        {"yacPort", "-32769", "!"},
        {"AsteriskPort", "65536", "!"},
        {"AsteriskPort", "99999999999999999999", "!"},
        {"newwin", "-1", "1"},
        {"newwin", "0.0", "0"},
        {"newwin", "yes", "!"},
        {"newwin", "inf", "!"},
        {"newwin", "", "!"},
        {"startw", "40000", "40000"},
        {"starty", "2147483648", "!"},
        {"starth", "7350.5", "!"},
        {"cidKey", " NMBR = ", " NMBR = "},
        {"URL", "", ""},
    };
    for (const auto &row : rows)
        QTest::addRow("%s \"%s\"", row[0], row[1]) << row[0] << row[1] << row[2];
}

// Every key holds a new value (or none, and the defaults load), the row's key the row's text.
// A failure names the key and its text and moves no window.
void tst_LoadSettings::load()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(QString, loaded);
    const QString texts =
        key.isEmpty()
            ? "cidKey=NMBR = |cidnameKey=NAME = |comPort=2|yacPort=10629|"
              "initString=ATS0=0M0+VCID=1|modemSettings=115200,N,8,1|newwin=0|Target=CallerID|"
              "URL=https://|startupURL=https://|AsteriskServer=|AsteriskPort=5038|"
              "AsteriskManager=Manager|AsteriskPassword=|AsteriskExtension=|startx=0|starty=0|"
              "startw=0|starth=0"
            : "cidKey=K1 |cidnameKey=K2 |comPort=3|yacPort=2000|initString=ATZ|"
              "modemSettings=9600,N,8,1|newwin=1|Target=T|URL=http://u/*|startupURL=http://s/|"
              "AsteriskServer=pbx|AsteriskPort=5039|AsteriskManager=m|AsteriskPassword=p|"
              "AsteriskExtension=101|startx=15|starty=30|startw=9000|starth=8000";
    MemorySettingsStore store;
    QHash<QString, QString> fresh;
    for (const QString &row : texts.split('|')) {
        const QString name = row.section('=', 0, 0);
        fresh.insert(name, row.section('=', 1));
        if (!key.isEmpty())
            store.set(name, name == key ? text : fresh[name]);
    }
    Settings g;
    g.appName = QStringLiteral("Belvane");
    g.sectionName = QStringLiteral("settings");
    FakeMainWindow window;
    QString failure;
    try {
        LoadSettings(g, store, window);
    } catch (const Failure &f) {
        failure = f.Text();
    }
    if (loaded == "!") {
        QVERIFY2(failure.startsWith("Settings: \"" + key + "\" holds \"" + text + '"'),
                 qPrintable(failure));
        QVERIFY(window.log.isEmpty());
        return;
    }
    QCOMPARE(failure, QString());
    if (!key.isEmpty())
        fresh.insert(key, loaded);
    for (const SettingsTable::Row &row : SettingsTable::Rows())
        QCOMPARE(row.key + ('=' + row.text(g)), row.key + ('=' + fresh.value(row.key)));
    QCOMPARE(QList<int>({window.left, window.top, window.width, window.height}),
             QList<int>({g.startx, g.starty, g.startw, g.starth}));
}

QTEST_GUILESS_MAIN(tst_LoadSettings)
#include "tst_loadsettings.moc"
