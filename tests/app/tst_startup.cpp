#include "app/IMonitor.h"
#include "app/Startup.h"
#include "fakes/FakeBrowser.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/MemorySettingsStore.h"
#include "platform/Failure.h"
#include "settings/Globals.h"

#include <QtTest>

// Records the calls and fails on demand, like a source that cannot start.
class ScriptedMonitor : public IMonitor
{
public:
    void StartMonitor() override
    {
        ++starts;
        if (failWith)
            throw Failure(QStringLiteral("YAC listener"), *failWith);
    }
    void StopMonitor() override {}
    bool PollEnabled() const override { return pollEnabled; }

    int starts = 0;
    bool pollEnabled = false;
    std::optional<QString> failWith;
};

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void caption();
    void success();
    void emptyStartupPage();
    void failureReported_data();
    void failureReported();
    void failureDroppedWhilePollRuns();
};

struct Rig
{
    Globals g;
    MemorySettingsStore store;
    FakeBrowser browser;
    FakeMainWindow window;
    FakeMessageBox box;
    ScriptedMonitor monitor;
    Startup startup{g, store, browser, window, box, monitor};
};

void tst_Startup::caption()
{
    QCOMPARE(MainCaption(), QStringLiteral("Ringscout v1.2.17 - Belvane"));
}

void tst_Startup::success()
{
    Rig rig;
    rig.g.dialNumber = QStringLiteral("555");
    rig.g.dialTicks = 3;
    rig.store.set(QStringLiteral("startupURL"), QStringLiteral("http://127.0.0.1:1/start"));
    rig.startup.Run();
    QCOMPARE(rig.g.appName, QStringLiteral("Belvane"));
    QCOMPARE(rig.g.sectionName, QStringLiteral("settings"));
    QCOMPARE(rig.window.caption, QStringLiteral("Ringscout v1.2.17 - Belvane"));
    QCOMPARE(rig.browser.log,
             (QStringList{"pane about:blank", "pane http://127.0.0.1:1/start"}));
    QCOMPARE(rig.monitor.starts, 1);
    QVERIFY(rig.g.dialNumber.isEmpty());
    QCOMPARE(rig.g.dialTicks, qint16(0));
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
    QTest::newRow("source fails: no page") << "" << 1 << "YAC listener: port 10629 is already in use";
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
    bool hiddenWhileBoxOpen = true;
    rig.box.onShow = [&](const FakeMessageBox::Shown &) {
        hiddenWhileBoxOpen = rig.window.visible;
    };

    rig.startup.Run();
    QCOMPARE(rig.monitor.starts, starts);
    QVERIFY(rig.g.startupFailed);
    QCOMPARE(rig.box.shown.size(), 1);
    QCOMPARE(rig.box.shown[0].kind, QStringLiteral("critical"));
    QCOMPARE(rig.box.shown[0].title, QStringLiteral("Modem Initialization Failure"));
    QCOMPARE(rig.box.shown[0].text, text);
    QCOMPARE(rig.browser.log, QStringList{"pane about:blank"});
    // The box comes first; then the window is hidden and, with nothing else to recover
    // through, shown again so the program is never left without a window.
    QVERIFY(hiddenWhileBoxOpen);
    QCOMPARE(rig.window.log.mid(rig.window.log.indexOf("hide")), (QStringList{"hide", "show"}));
}

void tst_Startup::failureDroppedWhilePollRuns()
{
    Rig rig;
    rig.monitor.pollEnabled = true;
    rig.monitor.failWith = QStringLiteral("port 10629 is already in use");
    rig.store.set(QStringLiteral("startupURL"), QStringLiteral("http://127.0.0.1:1/start"));
    rig.startup.Run();
    QVERIFY(rig.box.shown.isEmpty());
    QVERIFY(!rig.g.startupFailed);
    QCOMPARE(rig.browser.log, QStringList{"pane about:blank"});
    QVERIFY(!rig.window.log.contains("hide"));
}

QTEST_APPLESS_MAIN(tst_Startup)
#include "tst_startup.moc"
