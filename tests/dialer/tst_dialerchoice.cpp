// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialer/DialerChoice.h"
#include "fakes/FakeDialer.h"

#include <QSignalSpy>
#include <QtTest>

// Two ways to dial as one: the PBX first, the modem otherwise.
class tst_DialerChoice : public QObject
{
    Q_OBJECT

private slots:
    // Whether each can dial and what it waits for; who takes the number, what the choice waits
    // for, and how it says it can dial as both come up and go (once on, once off).
    void choice()
    {
        for (const auto &[pbx, pbxWaits, modem, modemWaits, choice] :
             std::initializer_list<std::tuple<bool, QString, bool, QString, QString>>{
                 {true, "", true, "", "pbx dials, on, off"},
                 {true, "", false, "opening the modem", "pbx dials, on, off"},
                 {false, "connecting to the PBX", true, "", "modem dials, on, off"},
                 {false, "connecting to the PBX", false, "opening the modem",
                  "modem keeps it, waiting for connecting to the PBX"},
                 {false, "", false, "opening the modem",
                  "modem keeps it, waiting for opening the modem"},
                 {false, "", false, "", "modem keeps it"}}) {
            FakeDialer first, second;
            DialerChoice dialer(first, second);
            QSignalSpy available(&dialer, &IDialer::availabilityChanged);
            QSignalSpy settling(&dialer, &IDialer::settlingChanged);
            first.set(pbx, pbxWaits);
            second.set(modem, modemWaits);
            dialer.dial("+1-555-0100");
            const QString waits = dialer.settling();
            QString said = QString(first.dialled.isEmpty() ? "" : "pbx") +
                           (second.dialled.isEmpty() ? "" : "modem") +
                           (dialer.canDial() ? " dials" : " keeps it") +
                           (waits.isEmpty() ? "" : ", waiting for " + waits);
            QCOMPARE(settling.size(), int(!pbxWaits.isEmpty()) + int(!modemWaits.isEmpty()));
            first.set(false);
            second.set(false);
            for (const QList<QVariant> &change : available)
                said += change[0].toBool() ? ", on" : ", off";
            QCOMPARE(said, choice);
        }
    }
};

QTEST_GUILESS_MAIN(tst_DialerChoice)
#include "tst_dialerchoice.moc"
