#include "sources/ModemPoll.h"

#include <QtTest>

// The caller-ID read of the modem poll, tick by tick over scripted reads.
class tst_ModemPoll : public QObject
{
    Q_OBJECT

private slots:
    void readStep_data();
    void readStep();
};

namespace {

const QString kReport = QStringLiteral("RING\r\n\r\nDATE = 1015\r\nTIME = 2038\r\n"
                                       "NMBR = 8475550001\r\nNAME = U.S.ROBOTICS\r\n");

} // namespace

void tst_ModemPoll::readStep_data()
{
    QTest::addColumn<QStringList>("reads"); // what arrives at ticks 1, 2, ...
    QTest::addColumn<int>("ticks");         // ticks run in all (empty reads after `reads`)
    QTest::addColumn<QString>("numberKey");
    QTest::addColumn<QString>("nameKey");
    QTest::addColumn<QStringList>("pops"); // "tick: number|name"
    QTest::addColumn<QString>("buffer");   // left at the end
    QTest::addColumn<int>("bufferTicks");

    const QString nmbr = QStringLiteral("NMBR = ");
    const QString name = QStringLiteral("NAME = ");
    QTest::newRow("report in one tick pops at the third")
        << QStringList{kReport} << 4 << nmbr << name << QStringList{"3: 8475550001|U.S.ROBOTICS"}
        << "" << 0;
    QTest::newRow("report in fragments: name line cut off at the pop")
        << QStringList{"RI", "NG\r\n\r\nDATE = 10", "15\r\nTIME = 2038\r\nNMBR = 84755",
                       "50001\r\nNAME = U.S.ROB", "OTICS\r\n"}
        << 5 << nmbr << name << QStringList{"4: 8475550001|"} << "OTICS\r\n"
        << 1;
    QTest::newRow("name a tick late: kept for the next call")
        << QStringList{"RING\r\n",        "", "", "NMBR = 5551234\r\n",
                       "NAME = JOHN\r\n", "", "", "NMBR = 5559999\r\n"}
        << 8 << nmbr << name << QStringList{"4: 5551234|", "8: 5559999|JOHN"} << "" << 0;
    QTest::newRow("number without its CR waits for it")
        << QStringList{"NMBR = 5551234", "", "", "", "\r\n"} << 5 << nmbr << name
        << QStringList{"5: 5551234|"} << "" << 0;
    QTest::newRow("P (private): taken, not shown")
        << QStringList{"NMBR = P\r\nNAME = \r\n"} << 3 << nmbr << name << QStringList{} << "" << 0;
    QTest::newRow("O (out of area): taken, not shown")
        << QStringList{"NMBR = O\r\nNAME = O\r\n", "", "", "NMBR = 12\r"} << 6 << nmbr << name
        << QStringList{"6: 12|"} << "" << 0;
    QTest::newRow("first number only; the rest is emptied with it")
        << QStringList{"NMBR = 111\rNMBR = 222\r"} << 3 << nmbr << name << QStringList{"3: 111|"}
        << "" << 0;
    QTest::newRow("keys match exactly, blanks included")
        << QStringList{"NMBR = 5551234\r"} << 3 << "NMBR=" << name << QStringList{}
        << "NMBR = 5551234\r" << 3;
    QTest::newRow("one-character name key: no names")
        << QStringList{kReport} << 3 << nmbr << "N" << QStringList{"3: 8475550001|"} << "" << 0;
    QTest::newRow("empty number key: up to the first CR")
        << QStringList{"5551234\rRING\r"} << 3 << ""
        << "" << QStringList{"3: 5551234|"} << "" << 0;
    QTest::newRow("key holding a CR: the line after it")
        << QStringList{"NMBR\r5551234\r"} << 3 << "NMBR\r"
        << "" << QStringList{"3: 5551234|"} << "" << 0;
    QTest::newRow("chatter kept for 1000 ticks")
        << QStringList{"RING\r\n"} << 1000 << nmbr << name << QStringList{} << "RING\r\n"
        << 1000;
    QTest::newRow("chatter dropped at tick 1001")
        << QStringList{"RING\r\n"} << 1001 << nmbr << name << QStringList{} << "" << 0;
    QTest::newRow("tick count saturates on a number never ended")
        << QStringList{"NMBR = 555"} << 40000 << nmbr << name << QStringList{} << "NMBR = 555"
        << 32767;
    QTest::newRow("oversized buffer keeps its newest part")
        << QStringList{"NMBR = 1" + QString(40000, QLatin1Char('y'))} << 1 << nmbr << name
        << QStringList{} << QString(32767, QLatin1Char('y')) << 1;
    QTest::newRow("and the poll goes on working")
        << QStringList{"NMBR = 1" + QString(40000, QLatin1Char('y')), "\rNMBR = 5551234\r"} << 3
        << nmbr << name << QStringList{"3: 5551234|"} << "" << 0;
}

void tst_ModemPoll::readStep()
{
    QFETCH(QStringList, reads);
    QFETCH(int, ticks);
    QFETCH(QString, numberKey);
    QFETCH(QString, nameKey);

    QString buffer;
    qint16 bufferTicks = 0;
    QStringList pops;
    for (int tick = 1; tick <= ticks; ++tick) {
        const QString input = tick <= reads.size() ? reads[tick - 1] : QString();
        if (const auto caller = ModemPoll::ReadStep(buffer, bufferTicks, input, numberKey, nameKey))
            pops << QStringLiteral("%1: %2|%3").arg(tick).arg(caller->number, caller->name);
    }
    QTEST(pops, "pops");
    QTEST(buffer, "buffer");
    QTEST(int(bufferTicks), "bufferTicks");
}

QTEST_APPLESS_MAIN(tst_ModemPoll)
#include "tst_modempoll.moc"
