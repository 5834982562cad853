// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialer/DialStep.h"
#include "sources/ModemPoll.h"

#include <QtTest>

// The modem's side in steps: the caller-ID read tick by tick and the dialer's commands (the
// port itself is used end to end by the program's test).
class tst_Modem : public QObject
{
    Q_OBJECT

private slots:
    // reads: what arrives at ticks 1, 2, ...; pops: "tick: number|name"; left: what the
    // buffer and its count hold at the end; keys: the number's and the name's.
    void readStep_data()
    {
        QTest::addColumn<QStringList>("reads");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QStringList>("pops");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("keys");
        const auto row = [](const char *tag, const QStringList &reads, int ticks,
                            const QStringList &pops, const QString &left = "|0",
                            const QString &keys = "NMBR = |NAME = ") {
            QTest::newRow(tag) << reads << ticks << pops << left << keys;
        };
        const QString report = "RING\r\n\r\nDATE = 1015\r\nTIME = 2038\r\nNMBR = 8475550001\r\n"
                               "NAME = U.S.ROBOTICS\r\n";
        row("report in one tick pops at the third", {report}, 4, {"3: 8475550001|U.S.ROBOTICS"});
        row("report in fragments: the name cut off",
            {"RI", "NG\r\n\r\nDATE = 10", "15\r\nTIME = 2038\r\nNMBR = 84755",
             "50001\r\nNAME = U.S.ROB", "OTICS\r\n"},
            5, {"4: 8475550001|"}, "OTICS\r\n|1");
        row("name a tick late: kept for the next call",
            {"RING\r\n", "", "", "NMBR = 5551234\r\n", "NAME = JOHN\r\n", "", "",
             "NMBR = 5559999\r"},
            8, {"4: 5551234|", "8: 5559999|JOHN"});
        row("keys match exactly", {"NMBR = 5551234\r"}, 3, {}, "NMBR = 5551234\r|3", "NMBR=|");
        row("key holding a CR: the line after it", {"NMBR\r5551234\r"}, 3, {"3: 5551234|"}, "|0",
            "NMBR\r|");
        row("chatter kept 1000 ticks", {"RING\r\n"}, 1000, {}, "RING\r\n|1000");
        row("chatter dropped at tick 1001", {"RING\r\n"}, 1001, {});
        row("count saturates on a number never ended", {"NMBR = 555"}, 40000, {},
            "NMBR = 555|32767");
        row("oversized buffer keeps its newest part", {"NMBR = 1" + QString(40000, 'y')}, 1, {},
            QString(32767, 'y') + "|1");
    }

    void readStep()
    {
        QFETCH(QStringList, reads);
        QFETCH(int, ticks);
        QFETCH(QString, keys);
        const QString numberKey = keys.section(u'|', 0, 0), nameKey = keys.section(u'|', 1);
        QString buffer;
        qint16 bufferTicks = 0;
        QStringList pops;
        for (int tick = 1; tick <= ticks; ++tick) {
            const QString input = tick <= reads.size() ? reads[tick - 1] : QString();
            if (auto caller = ModemPoll::ReadStep(buffer, bufferTicks, input, numberKey, nameKey))
                pops << QStringLiteral("%1: %2|%3").arg(tick).arg(caller->number, caller->name);
        }
        QTEST(pops, "pops");
        QTEST(buffer + u'|' + QString::number(bufferTicks), "left");
    }

    // "ok <text>" confirms the text after the first blank; "tick N" runs N ticks. What is
    // written, "<tick>:<text>" with CR as "~", then the number and the count left at the end.
    void dialStep_data()
    {
        for (const char *column : {"script", "writes", "left"})
            QTest::addColumn<QString>(column);
        const auto row = [](const char *tag, const char *script, const char *writes,
                            const char *left) { QTest::newRow(tag) << script << writes << left; };
        row("dial, then a lone CR five ticks later", "ok 5551234|tick 7", "1:ATDT 5551234~ 6:~",
            ",0");
        row("a number during a dial is dialled after its lone CR", "ok 111|tick 2|ok 222|tick 10",
            "1:ATDT 111~ 6:~ 7:ATDT 222~ 12:~", ",0");
        row("empty during a dial: the dial ends on schedule, the next one dials",
            "ok 111|tick 2|ok |tick 4|ok 333|tick 1", "1:ATDT 111~ 6:~ 7:ATDT 333~", "333,1");
    }

    void dialStep()
    {
        QFETCH(QString, script);
        QString number, next;
        qint16 ticks = 0;
        const DialStep::State state{number, ticks, next};
        QStringList writes;
        int tick = 0;
        for (const QString &event : script.split(u'|')) {
            const QString argument = event.section(u' ', 1);
            if (event.startsWith(u"ok "))
                DialStep::Confirm(state, argument);
            for (int i = event.startsWith(u"tick") ? argument.toInt() : 0; i-- > 0;) {
                ++tick;
                for (const QString &text : DialStep::Tick(state))
                    writes << QString::number(tick) + u':' + QString(text).replace(u'\r', u'~');
            }
        }
        QTEST(writes.join(u' '), "writes");
        QTEST(number + u',' + QString::number(ticks), "left");
    }
};

QTEST_APPLESS_MAIN(tst_Modem)
#include "tst_modem.moc"
