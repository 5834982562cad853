// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Startup.h"
#include "fakes/FakeBrowser.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeMonitor.h"
#include "fakes/MemorySettingsStore.h"
#include "settings/Settings.h"

#include <QtTest>

// The start-up sequence against fakes: what it shows, starts and reports, and in which order.
class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
};

void tst_Startup::run_data()
{
    // "bad port": yacPort stored empty, so the monitor is never started; "source fails": the
    // monitor throws; "poll runs": the modem was started before that.
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("box"); // the failure shown, empty for none
    QTest::addColumn<bool>("failed"); // the window hidden, the start-up page not shown
    const QString inUse = "YAC listener: port 10629 is already in use";
    QTest::newRow("success") << QString() << QString() << false;
    QTest::newRow("settings fail: no monitor")
        << "bad port"
        << "Settings: \"yacPort\" holds \"\", which is not a whole number" << true;
    QTest::newRow("source fails") << "source fails" << inUse << true;
    QTest::newRow("source fails while the modem runs: reported, window and page stay")
        << "source fails, poll runs" << inUse << false;
}

void tst_Startup::run()
{
    QFETCH(QString, setup);
    QFETCH(QString, box);
    QFETCH(bool, failed);
    Settings g;
    StartupStatus startup;
    MemorySettingsStore store;
    FakeBrowser browser;
    FakeMainWindow window;
    FakeMessageBox boxes;
    FakeMonitor monitor;
    store.set(QStringLiteral("startupURL"), QStringLiteral("http://127.0.0.1:1/start"));
    if (setup == "bad port")
        store.set(QStringLiteral("yacPort"), QString());
    if (setup.startsWith("source fails"))
        monitor.failWith = QStringLiteral("port 10629 is already in use");
    monitor.pollRuns = setup.contains("poll runs");
    QStringList windowAtBox;
    boxes.onShow = [&](const FakeMessageBox::Shown &) { windowAtBox = window.log; };

    QCOMPARE(Startup(g, startup, store, browser, window, boxes, monitor).run(), !failed);
    QCOMPARE(monitor.starts, int(setup != "bad port"));
    QCOMPARE(startup.failed(), failed);
    QCOMPARE(browser.log.join(' '),
             "pane about:blank" + QString(failed ? "" : " pane http://127.0.0.1:1/start"));
    QCOMPARE(boxes.shown.size(), int(!box.isEmpty()));
    for (const FakeMessageBox::Shown &one : boxes.shown)
        QCOMPARE(one.kind + '|' + one.title + '|' + one.text,
                 "critical|Modem Initialization Failure|" + box);
    // The box comes over the window as the failed step left it; only then is the window hidden,
    // until the Options dialog, which the caller opens, brings it back.
    QVERIFY(!windowAtBox.contains("hide"));
    QCOMPARE(window.log.count("hide"), int(failed));
}

QTEST_APPLESS_MAIN(tst_Startup)
#include "tst_startup.moc"
