// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialer/DialerOpener.h"
#include "dialer/frmDialer.h"
#include "fakes/FakeDialer.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeMessageBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// The one Phone Dialer between "&Dial", a page's tel: link and the way to dial, which may come,
// go or still be on its way.
class tst_DialerOpener : public QObject
{
    Q_OBJECT

private slots:
    // Steps: "click" (&Dial), "type N", "page N" (a tel: link), "ok", "close", "can" (the way
    // to dial is there), "wait W" (it is being made: W), "none" (there is none), "expire" (the
    // wait runs out). Then: what was dialled | the dialer's title, number and OK | the main
    // window's log | the boxes.
    void steps_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected");
        const QString nothing = "There is nothing to dial \"%1\" with: ";
        const QString noWay = nothing + "no modem is open, and dialling through the PBX needs a "
                                        "Desk Phone in the Options dialog and a logged-in "
                                        "Asterisk connection.";
        QTest::newRow("closed, made once: the number stays")
            << "can|click|type 555|close|click"
            << "|Phone Dialer 555 ok|hide,show,hide|";
        QTest::newRow("a link while it can dial") << "can|page 555-0100|ok"
                                                  << "555-0100|Phone Dialer 555-0100 ok|hide,show|";
        QTest::newRow("a link with nothing to dial with") << "page 5550102"
                                                          << "|||" + noWay.arg("5550102");
        QTest::newRow("links while connecting: the newest waits, then dials")
            << "wait connecting to the PBX|page 555|page 555-0100|can|ok"
            << "555-0100|Phone Dialer 555-0100 ok|hide,hide,show|";
        QTest::newRow("still waiting: OK held back")
            << "wait opening the modem port|page 555"
            << "|Phone Dialer - opening the modem port… 555 -|hide|";
        QTest::newRow("the wait runs out")
            << "wait connecting to the PBX|page 555-0102|expire"
            << "|Phone Dialer 555-0102 ok|hide,show|" + nothing.arg("555-0102") +
                   "still connecting to the PBX after 0.05 seconds. Try again in a moment.";
        QTest::newRow("the way goes while it waits")
            << "wait connecting to the PBX|page 5|none"
            << "|Phone Dialer 5 ok|hide,show|" + noWay.arg("5");
        QTest::newRow("the way goes while the dialer is up")
            << "can|page 555-0101|none|ok"
            << "|Phone Dialer 555-0101 ok|hide,show|" + noWay.arg("555-0101");
    }

    void steps()
    {
        QFETCH(QString, steps);
        FakeMainWindow window;
        FakeDialer dialer;
        FakeMessageBox box;
        DialerOpener opener(window, dialer, box);
        opener.setWaitTime(50);
        for (const QString &step : steps.split('|')) {
            const QString verb = step.section(' ', 0, 0), text = step.section(' ', 1);
            frmDialer *shown = opener.dialer();
            if (verb == "click")
                opener.cmdDialer_Click();
            else if (verb == "type")
                QTest::keyClicks(shown->txtNumber(), text);
            else if (verb == "page")
                opener.dialFromPage(text);
            else if (verb == "ok")
                shown->OKButton()->click();
            else if (verb == "close")
                shown->close();
            else if (verb == "can" || verb == "wait" || verb == "none")
                dialer.set(verb == "can", text);
            else if (verb == "expire")
                QTRY_VERIFY(!box.shown.isEmpty());
        }
        const frmDialer *shown = opener.dialer();
        QStringList boxes;
        for (const FakeMessageBox::Shown &each : box.shown)
            boxes << each.text;
        const QString state = shown ? shown->windowTitle() + ' ' + shown->txtNumber()->text() +
                                          (shown->OKButton()->isEnabled() ? " ok" : " -")
                                    : QString();
        QTEST(dialer.dialled.join(',') + '|' + state + '|' + window.log.join(',') + '|' +
                  boxes.join('/'),
              "expected");
    }
};

QTEST_MAIN(tst_DialerOpener)
#include "tst_dialeropener.moc"
