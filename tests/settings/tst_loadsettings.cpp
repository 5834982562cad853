// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes/FakeMainWindow.h"
#include "fakes/MemorySettingsStore.h"
#include "fakes/TestSupport.h"
#include "settings/LoadSettings.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"

#include <QtTest>

// The record read from the stored texts: each setting's default and conversion, and a failure
// that names the setting and its text and moves no window.
class tst_LoadSettings : public QObject
{
    Q_OBJECT

private slots:
    void loads_data();
    void loads();
};

void tst_LoadSettings::loads_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");   // null: not stored at all
    QTest::addColumn<QString>("loaded"); // the setting's text once loaded; "!": load fails
    // Numbers of 16 bits, ports, geometry of 32 bits, on/off values.
    const char *rows[][3] = {
        {"comPort", "", "0"}, // no modem
        {"comPort", "32768", "!"},     {"comPort", "+3", "3"},
        {"yacPort", "40000", "40000"}, {"AsteriskPort", "65536", "!"},
        {"newwin", "-1", "1"},         {"newwin", "yes", "!"},
        {"startw", "40000", "40000"},  {"starty", "2147483648", "!"},
        {"starth", "7350.5", "!"},     {"URL", "101, 102", "101, 102"},
    };
    for (const auto &row : rows)
        QTest::addRow("%s=%s", row[0], row[1]) << row[0] << row[1] << row[2];
    QTest::newRow("none of ours stored: every default")
        << "URLs" << QString()
        << "cidKey=NMBR = |cidnameKey=NAME = |comPort=2|yacPort=10629|initString=ATS0=0M0+VCID=1|"
           "modemSettings=115200,N,8,1|newwin=0|Target=CallerID|URL=https://|"
           "startupURL=https://|AsteriskServer=|AsteriskPort=5038|AsteriskManager=Manager|"
           "AsteriskPassword=|AsteriskExtension=|startx=0|starty=0|startw=0|starth=0|"
           "AsteriskChannel=|AsteriskContext=from-internal|"
           "StartWithSession=0|AsteriskTLS=0|AsteriskCertSha256=|AsteriskPlainLogin=1|"
           "yacAllow=|yacBind=|CallList=1|CallListMax=10000|CallListDays=365|Notifications=1";
}

void tst_LoadSettings::loads()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(QString, loaded);
    MemorySettingsStore store;
    if (!text.isNull())
        store.set(key, text);
    Settings g;
    FakeMainWindow window;
    const QString failure = TestSupport::failureOf([&] { LoadSettings(g, store, window); });
    const QString says = "Settings: \"" + key + "\" holds \"" + text + '"';
    QCOMPARE(failure.left(says.size()), loaded == "!" ? says : QString());
    if (loaded == "!") {
        QVERIFY(window.log.isEmpty());
        return;
    }
    QStringList record;
    for (const SettingsTable::Row &each : SettingsTable::rows())
        record.append(each.key + ('=' + each.text(g)));
    const SettingsTable::Row *row = SettingsTable::find(key);
    QCOMPARE(row ? row->text(g) : record.join('|'), loaded);
    QCOMPARE(QList<int>({window.left, window.top, window.width, window.height}),
             QList<int>({g.startx, g.starty, g.startw, g.starth}));
}

QTEST_GUILESS_MAIN(tst_LoadSettings)
#include "tst_loadsettings.moc"
