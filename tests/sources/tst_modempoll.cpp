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

// reads: what arrives at ticks 1, 2, ...; ticks: how many run; pops: "tick: number|name";
// then what the buffer and its count hold at the end.
void row(const char *name, const QStringList &reads, int ticks, const QStringList &pops,
         const QString &buffer, int bufferTicks,
         const QString &numberKey = "NMBR = ", const QString &nameKey = "NAME = ")
{
    QTest::newRow(name) << reads << ticks << pops
                        << QStringList{buffer, QString::number(bufferTicks)}
                        << QStringList{numberKey, nameKey};
}

} // namespace

void tst_ModemPoll::readStep_data()
{
    QTest::addColumn<QStringList>("reads");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QStringList>("pops");
    QTest::addColumn<QStringList>("left"); // buffer, count
    QTest::addColumn<QStringList>("keys"); // number, name

    const QString report = "RING\r\n\r\nDATE = 1015\r\nTIME = 2038\r\nNMBR = 8475550001\r\n"
                           "NAME = U.S.ROBOTICS\r\n";
    const QString longLine = "NMBR = 1" + QString(40000, 'y');
    row("report in one tick pops at the third", {report}, 4, {"3: 8475550001|U.S.ROBOTICS"}, "", 0);
    row("report in fragments: the name cut off",
        {"RI", "NG\r\n\r\nDATE = 10", "15\r\nTIME = 2038\r\nNMBR = 84755",
         "50001\r\nNAME = U.S.ROB", "OTICS\r\n"},
        5, {"4: 8475550001|"}, "OTICS\r\n", 1);
    row("name a tick late: kept for the next call",
        {"RING\r\n", "", "", "NMBR = 5551234\r\n", "NAME = JOHN\r\n", "", "", "NMBR = 5559999\r"},
        8, {"4: 5551234|", "8: 5559999|JOHN"}, "", 0);
    row("number waits for its CR", {"NMBR = 5551234", "", "", "", "\r\n"}, 5, {"5: 5551234|"}, "",
        0);
    row("P and O: taken, not shown", {"NMBR = P\r\n", "", "", "NMBR = O\r\nNAME = O\r\n"}, 6, {},
        "", 0);
    row("keys match exactly", {"NMBR = 5551234\r"}, 3, {}, "NMBR = 5551234\r", 3, "NMBR=");
    row("one-character name key: no names", {report}, 3, {"3: 8475550001|"}, "", 0, "NMBR = ", "N");
    row("empty number key: up to the first CR", {"5551234\rRING\r"}, 3, {"3: 5551234|"}, "", 0, "");
    row("key holding a CR: the line after it", {"NMBR\r5551234\r"}, 3, {"3: 5551234|"}, "", 0,
        "NMBR\r");
    row("chatter kept 1000 ticks", {"RING\r\n"}, 1000, {}, "RING\r\n", 1000);
    row("chatter dropped at tick 1001", {"RING\r\n"}, 1001, {}, "", 0);
    row("count saturates on a number never ended", {"NMBR = 555"}, 40000, {}, "NMBR = 555", 32767);
    row("oversized buffer keeps its newest part", {longLine}, 1, {}, QString(32767, 'y'), 1);
    row("and the poll goes on", {longLine, "\rNMBR = 5551234\r"}, 3, {"3: 5551234|"}, "", 0);
}

void tst_ModemPoll::readStep()
{
    QFETCH(QStringList, reads);
    QFETCH(int, ticks);
    QFETCH(QStringList, keys);
    QString buffer;
    qint16 bufferTicks = 0;
    QStringList pops;
    for (int tick = 1; tick <= ticks; ++tick) {
        const QString input = tick <= reads.size() ? reads[tick - 1] : QString();
        if (auto caller = ModemPoll::ReadStep(buffer, bufferTicks, input, keys[0], keys[1]))
            pops << QStringLiteral("%1: %2|%3").arg(tick).arg(caller->number, caller->name);
    }
    QTEST(pops, "pops");
    QTEST((QStringList{buffer, QString::number(bufferTicks)}), "left");
}

QTEST_APPLESS_MAIN(tst_ModemPoll)
#include "tst_modempoll.moc"
