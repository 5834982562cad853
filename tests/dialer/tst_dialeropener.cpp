// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialer/DialerOpener.h"

#include "dialer/frmDialer.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/RecordingShowCaller.h"
#include "fakes/ScriptedAmiServer.h"
#include "platform/TcpSocketControl.h"
#include "platform/TimerControl.h"
#include "settings/Settings.h"
#include "sources/AsteriskClient.h"
#include "sources/PbxDialler.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// tel: requests that come while the manager connection is still being made, with the real
// client on 127.0.0.1: they wait in the dialer for the login, one at a time, and no longer
// than the wait.
class tst_DialerOpener : public QObject
{
    Q_OBJECT

private slots:
    void waitsForTheLogin_data();
    void waitsForTheLogin();
};

void tst_DialerOpener::waitsForTheLogin_data()
{
    QTest::addColumn<QStringList>("numbers"); // tel: requests in a row
    QTest::addColumn<QString>("box"); // none: the PBX lets it log in, the dialer takes the last
    QTest::newRow("a newer request") << QStringList{"555-0100", "555-0199"} << QString();
    QTest::newRow("no login within the wait")
        << QStringList{"555-0100"}
        << "There is nothing to dial \"555-0100\" with: still connecting to the PBX after 0.5 "
           "seconds. Try again in a moment.";
}

void tst_DialerOpener::waitsForTheLogin()
{
    QFETCH(QStringList, numbers);
    QFETCH(QString, box);
    ScriptedAmiServer pbx;
    pbx.greeting = "Asterisk Call Manager/11.0.0\r\n";
    Settings g;
    g.AsteriskChannel = QStringLiteral("PJSIP/101");
    g.AsteriskServer = QStringLiteral("127.0.0.1");
    g.AsteriskManager = g.AsteriskPassword = QStringLiteral("ringscout");
    g.AsteriskPort = qint16(pbx.Listen() ? pbx.Port() : 0);
    TcpSocketControl wsAst;
    TimerControl atimer;
    RecordingShowCaller pop;
    AsteriskClient client(g, wsAst, atimer, pop);
    PbxDialler dialler(g, client);
    FakeMainWindow window;
    FakeMessageBox boxes;
    DialerOpener opener(window, dialler, boxes);
    opener.setWaitTime(box.isEmpty() ? 10000 : 500);
    client.ConnectAsterisk();
    QLoggingCategory::setFilterRules(QStringLiteral("ringscout.dial=true"));
    if (numbers.size() > 1)
        QTest::ignoreMessage(QtInfoMsg,
                             "a newer tel: request takes the place of the waiting \"555-0100\"");
    for (const QString &number : numbers)
        opener.dialFromPage(number);
    frmDialer *dialer = opener.dialer();
    QVERIFY(dialer && dialer->isVisible() && !dialer->OKButton()->isEnabled() && !window.visible);
    QCOMPARE(dialer->windowTitle(), "Phone Dialer - connecting to the PBX…");
    QCOMPARE(dialer->txtNumber()->text(), numbers.last());
    if (box.isEmpty()) {
        QTRY_COMPARE(pbx.received.size(), 1);
        pbx.Client()->write("Response: Success\r\nMessage: Authentication accepted\r\n\r\n");
        QTRY_VERIFY(dialer->OKButton()->isEnabled());
        QVERIFY(dialer->windowTitle() == "Phone Dialer" && dialer->isVisible());
        QVERIFY(dialer->txtNumber()->text() == numbers.last() && boxes.shown.isEmpty());
    } else {
        QTRY_COMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].text, box);
        QVERIFY(!dialer->isVisible() && window.visible);
    }
}

QTEST_MAIN(tst_DialerOpener)
#include "tst_dialeropener.moc"
