// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/ModemBuffer.h"

#include <QtTest>

// The caller-ID read, tick by tick (the port itself is used end to end by the program's test).
class tst_ModemBuffer : public QObject
{
    Q_OBJECT

private slots:
    // reads: what arrives at ticks 1, 2, ...; pops: "tick: number|name"; left: the buffer's
    // text and count at the end; keys: the number's and the name's.
    void readStep_data()
    {
        QTest::addColumn<QByteArrayList>("reads");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QStringList>("pops");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QStringList>("keys");
        const auto row = [](const char *tag, const QByteArrayList &reads, int ticks,
                            const QStringList &pops, const QString &left = "|0",
                            const QStringList &keys = {"NMBR = ", "NAME = "}) {
            QTest::newRow(tag) << reads << ticks << pops << left << keys;
        };
        const QByteArray report = "RING\r\n\r\nDATE = 1015\r\nTIME = 2038\r\nNMBR = 8475550001\r\n"
                                  "NAME = U.S.ROBOTICS\r\n";
        row("report in one tick pops at the third", {report}, 4, {"3: 8475550001|U.S.ROBOTICS"});
        row("report in fragments: the name cut off",
            {"RI", "NG\r\n\r\nDATE = 10", "15\r\nTIME = 2038\r\nNMBR = 84755",
             "50001\r\nNAME = U.S.ROB", "OTICS\r\n"},
            5, {"4: 8475550001|"}, "OTICS\r\n|1");
        row("a name a tick late stays with its own report",
            {"RING\r\n", "", "", "NMBR = 5551234\r\n", "NAME = JOHN\r\n", "", "",
             "NMBR = 5559999\r"},
            10, {"4: 5551234|", "10: 5559999|"});
        row("after a quiet tick a name may come first",
            {"NMBR = 5551111\r\n", "", "", "", "NAME = ANN\r\nNMBR = 5552222\r\n"}, 7,
            {"3: 5551111|", "7: 5552222|ANN"});
        row("a report without CRs gives way to the next RING; a name ends at LF",
            {"RING\nNMBR = 5551230021\nNAME = LF ONLY\n\n", "", "",
             "RING\r\nNAME = ANN\n\r\nNMBR = 5551230022\r\n"},
            6, {"6: 5551230022|ANN"});
        row("a number without its CR gives way to the next number",
            {"NMBR = 555", "", "", "NMBR = 5550002\r\n"}, 6, {"6: 5550002|"});
        row("a character cut between reads",
            {"RING\r\nNMBR = 5551234\r\nNAME = Jos\xc3", "\xa9\r\n"}, 3,
            {QString::fromUtf8("3: 5551234|Jos\xc3\xa9")});
        row("keys match exactly; one holding a CR: the line after it",
            {"NMBR = 5550000\r\nNMBR\r5551234\r"}, 3, {"3: 5551234|"}, "|0", {"NMBR\r", ""});
        row("chatter kept 1000 ticks", {"RING\r\n"}, 1000, {}, "RING\r\n|1000");
        row("chatter dropped at tick 1001", {"RING\r\n"}, 1001, {});
        row("count saturates on a number never ended", {"NMBR = 555"}, 40000, {},
            "NMBR = 555|32767");
        row("oversized buffer keeps its newest part", {"NMBR = 1" + QByteArray(40000, 'y')}, 1, {},
            QString(32767, 'y') + "|1");
    }

    void readStep()
    {
        QFETCH(QByteArrayList, reads);
        QFETCH(int, ticks);
        QFETCH(QStringList, keys);
        ModemBuffer buffer;
        QStringList pops;
        for (int tick = 1; tick <= ticks; ++tick) {
            buffer.append(tick <= reads.size() ? reads[tick - 1] : QByteArray());
            if (auto caller = buffer.readStep(keys[0], keys[1]).caller)
                pops << QStringLiteral("%1: %2|%3").arg(tick).arg(caller->number, caller->name);
        }
        QTEST(pops, "pops");
        QTEST(buffer.text() + u'|' + QString::number(buffer.ticks()), "left");
    }
};

QTEST_APPLESS_MAIN(tst_ModemBuffer)
#include "tst_modembuffer.moc"
