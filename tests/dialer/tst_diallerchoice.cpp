// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialer/DiallerChoice.h"
#include "fakes/FakeDialler.h"

#include <QSignalSpy>
#include <QtTest>

// Two ways to dial as one: the PBX first, the modem otherwise.
class tst_DiallerChoice : public QObject
{
    Q_OBJECT

private slots:
    void choice_data();
    void choice();
};

void tst_DiallerChoice::choice_data()
{
    QTest::addColumn<bool>("pbx");
    QTest::addColumn<QString>("pbxWaits");
    QTest::addColumn<bool>("modem");
    QTest::addColumn<QString>("modemWaits");
    QTest::addColumn<QString>("choice"); // who dials, and what the choice waits for
    QTest::newRow("both") << true << "" << true << ""
                          << "pbx dials";
    QTest::newRow("PBX") << true << "" << false << "opening the modem"
                         << "pbx dials";
    QTest::newRow("modem") << false << "connecting to the PBX" << true << ""
                           << "modem dials";
    QTest::newRow("both wait") << false << "connecting to the PBX" << false << "opening the modem"
                               << "modem keeps it, waiting for connecting to the PBX";
    QTest::newRow("modem waits") << false << "" << false << "opening the modem"
                                 << "modem keeps it, waiting for opening the modem";
    QTest::newRow("neither") << false << "" << false << ""
                             << "modem keeps it";
}

// The choice can dial while either can, says so once as that changes, and passes on every
// change of what they wait for.
void tst_DiallerChoice::choice()
{
    QFETCH(bool, pbx);
    QFETCH(QString, pbxWaits);
    QFETCH(bool, modem);
    QFETCH(QString, modemWaits);
    QFETCH(QString, choice);
    FakeDialler first, second;
    DiallerChoice dialler(first, second);
    QSignalSpy available(&dialler, &IDialler::availabilityChanged);
    QSignalSpy settling(&dialler, &IDialler::settlingChanged);
    first.set(pbx, pbxWaits);
    second.set(modem, modemWaits);
    dialler.dial("+1-555-0100");
    const QString who = !first.dialled.isEmpty() ? "pbx" : !second.dialled.isEmpty() ? "modem" : "";
    const QString waits = dialler.settling();
    QCOMPARE(who + (dialler.canDial() ? " dials" : " keeps it") +
                 (waits.isEmpty() ? "" : ", waiting for " + waits),
             choice);
    QCOMPARE(first.dialled.size() + second.dialled.size(), 1);
    QCOMPARE(settling.size(), int(!pbxWaits.isEmpty()) + int(!modemWaits.isEmpty()));
    first.set(false);
    second.set(false);
    QString turns; // on and off, once each
    for (const QList<QVariant> &change : available)
        turns += change[0].toBool() ? '+' : '-';
    QCOMPARE(turns, QString(pbx || modem ? "+-" : ""));
}

QTEST_GUILESS_MAIN(tst_DiallerChoice)
#include "tst_diallerchoice.moc"
