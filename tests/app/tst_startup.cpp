#include "app/Startup.h"
#include "fakes/FakeBrowser.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeMonitor.h"
#include "fakes/MemorySettingsStore.h"
#include "platform/Failure.h"
#include "settings/Globals.h"

#include <QtTest>

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void success();
    void emptyStartupPage();
    void failureReported_data();
    void failureReported();
    void failureWhilePollRunsIsReported();
};

struct Rig
{
    Settings g;
    RunState state;
    MemorySettingsStore store;
    FakeBrowser browser;
    FakeMainWindow window;
    FakeMessageBox box;
    FakeMonitor monitor;
    Startup startup{g, state, store, browser, window, box, monitor};
};

void tst_Startup::success()
{
    Rig rig;
    rig.state.dialNumber = QStringLiteral("555");
    rig.state.dialTicks = 3;
    rig.store.set(QStringLiteral("startupURL"), QStringLiteral("http://127.0.0.1:1/start"));
    rig.startup.Run();
    QCOMPARE(rig.g.appName, QStringLiteral("Belvane"));
    QCOMPARE(rig.g.sectionName, QStringLiteral("settings"));
    QCOMPARE(rig.window.caption, QStringLiteral("Ringscout v1.2.17 - Belvane"));
    QCOMPARE(rig.browser.log, (QStringList{"pane about:blank", "pane http://127.0.0.1:1/start"}));
    QCOMPARE(rig.monitor.starts, 1);
    QVERIFY(rig.state.dialNumber.isEmpty());
    QCOMPARE(rig.state.dialTicks, qint16(0));
    QVERIFY(rig.box.shown.isEmpty());
    QCOMPARE(rig.g.yacPort, 10629);
}

void tst_Startup::emptyStartupPage()
{
    Rig rig;
    rig.store.set(QStringLiteral("startupURL"), QString());
    rig.startup.Run();
    QCOMPARE(rig.browser.log, QStringList{"pane about:blank"});
}

void tst_Startup::failureReported_data()
{
    QTest::addColumn<QString>("badKey");
    QTest::addColumn<int>("starts");
    QTest::addColumn<QString>("text");
    QTest::newRow("settings fail: no monitor, no page")
        << "yacPort" << 0 << "Settings: \"yacPort\" holds \"\", which is not a whole number";
    QTest::newRow("source fails: no page")
        << "" << 1 << "YAC listener: port 10629 is already in use";
}

void tst_Startup::failureReported()
{
    QFETCH(QString, badKey);
    QFETCH(int, starts);
    QFETCH(QString, text);

    Rig rig;
    if (!badKey.isEmpty())
        rig.store.set(badKey, QString());
    else
        rig.monitor.failWith = QStringLiteral("port 10629 is already in use");
    QStringList windowAtBox;
    rig.box.onShow = [&](const FakeMessageBox::Shown &) { windowAtBox = rig.window.log; };

    QVERIFY(!rig.startup.Run());
    QCOMPARE(rig.monitor.starts, starts);
    QVERIFY(rig.state.startupFailed);
    QCOMPARE(rig.box.shown.size(), 1);
    QCOMPARE(rig.box.shown[0].kind, QStringLiteral("critical"));
    QCOMPARE(rig.box.shown[0].title, QStringLiteral("Modem Initialization Failure"));
    QCOMPARE(rig.box.shown[0].text, text);
    QCOMPARE(rig.browser.log, QStringList{"pane about:blank"});
    // The box comes first, over the window as the failed step left it; then the window is
    // hidden and stays hidden: the Options dialog, which the caller opens, brings it back.
    QCOMPARE(windowAtBox + QStringList({"hide"}), rig.window.log);
}

// With the modem running, a source that failed is reported, but the window stays up and the
// start-up page is still shown.
void tst_Startup::failureWhilePollRunsIsReported()
{
    Rig rig;
    rig.monitor.pollEnabled = true;
    rig.monitor.failWith = QStringLiteral("port 10629 is already in use");
    rig.store.set(QStringLiteral("startupURL"), QStringLiteral("http://127.0.0.1:1/start"));
    rig.startup.Run();
    QCOMPARE(rig.box.shown.size(), 1);
    QCOMPARE(rig.box.shown[0].title, QStringLiteral("Modem Initialization Failure"));
    QCOMPARE(rig.box.shown[0].text, QStringLiteral("YAC listener: port 10629 is already in use"));
    QVERIFY(!rig.state.startupFailed);
    QCOMPARE(rig.browser.log, (QStringList{"pane about:blank", "pane http://127.0.0.1:1/start"}));
    QVERIFY(!rig.window.log.contains("hide"));
}

QTEST_APPLESS_MAIN(tst_Startup)
#include "tst_startup.moc"
