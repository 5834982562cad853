// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"
#include "fakes/FakeBrowser.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/RecordingCallSink.h"
#include "fakes/ScriptedAmiServer.h"
#include "fakes/TestSupport.h"
#include "platform/TcpSocketControl.h"
#include "platform/TimerControl.h"
#include "pop/CallerPop.h"
#include "settings/Settings.h"
#include "sources/AsteriskClient.h"

#include <QtTest>

#include <future>

using namespace std::chrono_literals;

const QString kLong(60000, u'A');

using Cause = std::function<void()>;
Q_DECLARE_METATYPE(Cause)

// What --verbose writes of outside text: one line, quoted, escaped and cut short.
class tst_LogLines : public QObject
{
    Q_OBJECT

private slots:
    void line_data()
    {
        QTest::addColumn<Cause>("cause");
        QTest::addColumn<QString>("line");
        const QString url = "http://h/s?p=5550100&n=" + kLong;
        QTest::newRow("a pop for a name of 60,000 characters")
            << Cause([] {
                   Settings g;
                   g.URL = QStringLiteral("http://h/s?p=*&n=+");
                   FakeBrowser browser;
                   FakeMainWindow window;
                   QString number = QStringLiteral("5550100"), name = kLong;
                   CallerPop(g, browser, window, CodePage::Utf8).ShowCaller(number, name);
               })
            << "ringscout.pop: shown in the main window: \"" + url.left(200) +
                   "\"... (60023 characters)";
        QTest::newRow("a dial of a caller named with escapes and 60,000 characters")
            << Cause([] {
                   ScriptedAmiServer server;
                   QVERIFY(server.Listen());
                   server.greeting =
                       "Asterisk Call Manager/11.0.0\r\nEvent: DialBegin\r\nCallerIDNum: "
                       "5550001111\r\nCallerIDName: \x1b[2J\xe2\x80\xa8" +
                       kLong.toLatin1() + "\r\nDestChannel: SIP/101\r\n\r\n";
                   Settings g;
                   g.AsteriskServer = QStringLiteral("127.0.0.1");
                   g.AsteriskPort = qint16(server.port());
                   g.AsteriskManager = g.AsteriskPassword = g.AsteriskExtension = "101";
                   TcpSocketControl wsAst;
                   TimerControl atimer;
                   RecordingCallSink pop;
                   AsteriskClient client(g, wsAst, atimer, pop);
                   client.ConnectAsterisk();
                   QTRY_COMPARE(pop.calls.size(), 1);
               })
            << "ringscout.ami: Dial event \"DialBegin\" pops: number \"5550001111\" name "
               "\"\\u001B[2J\\u2028" +
                   kLong.left(195) + "\"... (60005 characters) to \"SIP/101\", extensions \"101\"";
        QTest::newRow("another start's request holding a CR") << Cause([] {
            QTemporaryDir runtime;
            SingleInstance first(runtime.path(), runtime.path());
            QCOMPARE(first.claim(), SingleInstance::Claim::Ours);
            const auto second = std::async(std::launch::async, [&runtime] {
                SingleInstance later(runtime.path(), runtime.path());
                if (later.claim() == SingleInstance::Claim::Another)
                    later.handOver(QStringLiteral("tel:5550100\rringscout.pop: FORGED"));
            });
            QVERIFY(QTest::qWaitFor(
                [&] { return second.wait_for(0s) == std::future_status::ready; }, 10000));
        }) << "ringscout.app: another start asks for \"tel:5550100\\rringscout.pop: FORGED\"";
    }

    void line()
    {
        QFETCH(Cause, cause);
        QFETCH(QString, line);
        const TestSupport::LogLines lines;
        cause();
        QVERIFY2(lines.contains(line), qPrintable(lines.join(u'\n').left(2000)));
    }
};

QTEST_GUILESS_MAIN(tst_LogLines)
#include "tst_loglines.moc"
