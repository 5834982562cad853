// SPDX-License-Identifier: GPL-3.0-or-later
#include "calls/CallNotices.h"
#include "platform/INotifier.h"
#include "settings/Settings.h"

#include <QtTest>

// Keeps each notice as "key: title / body".
struct FakeNotifier : INotifier
{
    void notify(const QString &key, const QString &title, const QString &body) override
    {
        shown.append(key + ": " + title + " / " + QString(body).replace('\n', " / "));
    }
    QStringList shown;
};

// When a call earns a notification, over a script of calls at given times, and what a
// notice's actions ask for.
class tst_CallNotices : public QObject
{
    Q_OBJECT

private slots:
    void decide_data()
    {
        // "A@0" call A pops at 0 ms, "a@0" not popped, "A:missed" how A ended, "A>show" the
        // action on A's notice, "kept", "off"
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("shown");
        const QString a = "A: Call shown only briefly / Ann 100 / The next caller's page "
                          "replaced it.";
        QTest::newRow("missed: one") << "A@0 A:missed" << QStringList{"A: Missed call / Ann 100"};
        QTest::newRow("gave up: one") << "A@0 A:gaveup" << QStringList{"A: Missed call / Ann 100"};
        QTest::newRow("answered: none") << "A@0 A:answered" << QStringList{};
        QTest::newRow("burst: the hidden one") << "A@0 B@2999" << QStringList{a};
        QTest::newRow("seen long enough: none") << "A@0 B@3000" << QStringList{};
        QTest::newRow("not popped")
            << "A@0 b@10"
            << QStringList{"b: Call not shown / Bob 200 / Another caller's page "
                           "was shown instead."};
        QTest::newRow("kept from showing")
            << "A@0 kept"
            << QStringList{"A: Call not shown / Ann 100 / The page open in the "
                           "window kept it from showing."};
        QTest::newRow("notifications off") << "off A@0 B@10 A:missed kept" << QStringList{};
        QTest::newRow("actions") << "off A@0 A>show A>callback A>other X>show X>callback"
                                 << QStringList{"show 100 Ann", "call back 100"};
    }
    void decide()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, shown);
        Settings settings;
        settings.Notifications = true;
        FakeNotifier notifier;
        CallNotices notices(settings);
        notices.setNotifier(&notifier);
        connect(&notices, &CallNotices::showRequested, this,
                [&](auto number, auto name) { notifier.shown << "show " + number + ' ' + name; });
        connect(&notices, &CallNotices::callBackRequested, this,
                [&](auto number) { notifier.shown << "call back " + number; });
        const QDateTime start = QDateTime::currentDateTimeUtc();
        for (const QString &step : script.split(' ')) {
            const QString id = step.left(1);
            if (step == "off") {
                settings.Notifications = false;
            } else if (step == "kept") {
                notices.popKept();
            } else if (step.contains('>')) {
                emit notifier.actionInvoked(id, step.mid(2));
            } else if (step.contains('@')) {
                Call call = Call::of(id.toUpper() == "A" ? "100" : "200",
                                     id.toUpper() == "A" ? "Ann" : "Bob");
                call.id = id;
                call.pops = id == id.toUpper();
                call.recognised = start.addMSecs(step.mid(2).toInt());
                notices.callRecognised(call);
            } else {
                const auto how = step.endsWith(":missed")   ? CallOutcome::NotAnswered
                                 : step.endsWith(":gaveup") ? CallOutcome::CallerGaveUp
                                                            : CallOutcome::AnsweredHere;
                notices.callEnded({id, how, start, {}});
            }
        }
        QCOMPARE(notifier.shown, shown);
    }
};

QTEST_APPLESS_MAIN(tst_CallNotices)
#include "tst_callnotices.moc"
