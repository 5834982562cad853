#include "dialer/DialStep.h"
#include "platform/Failure.h"
#include "platform/SerialLine.h"
#include "sources/ModemPoll.h"

#include <QtTest>

// The modem's side in steps: the caller-ID read tick by tick, the dialer's commands, and the
// port's line settings (the port's device link is used end to end by the program's test).
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
        row("P and O: taken, not shown", {"NMBR = P\r\n", "", "", "NMBR = O\r\nNAME = O\r\n"}, 6,
            {});
        row("keys match exactly", {"NMBR = 5551234\r"}, 3, {}, "NMBR = 5551234\r|3", "NMBR=|");
        row("one-character name key: no names", {report}, 3, {"3: 8475550001|"}, "|0", "NMBR = |N");
        row("empty number key: up to the first CR", {"5551234\rRING\r"}, 3, {"3: 5551234|"}, "|0",
            "|NAME = ");
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
        row("empty while idle: nothing", "ok |tick 3", "", ",0");
        row("a new number before the first tick replaces it", "ok 111|ok 222|tick 1", "1:ATDT 222~",
            "222,1");
        row("a number during a dial is dialled after its lone CR", "ok 111|tick 2|ok 222|tick 10",
            "1:ATDT 111~ 6:~ 7:ATDT 222~ 12:~", ",0");
        row("empty during a dial: the dial ends on schedule, the next one dials",
            "ok 111|tick 2|ok |tick 4|ok 333|tick 1", "1:ATDT 111~ 6:~ 7:ATDT 333~", "333,1");
        row("empty during a dial withdraws a waiting number", "ok 111|tick 1|ok 222|ok |tick 8",
            "1:ATDT 111~ 6:~", ",0");
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

    // "speed parity data stop", or a part of the reason it is refused.
    void lineSettings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const char *rows[][2] = {
            {"115200,N,8,1", "115200 N 8 1"},         {" 300 , M ,5, 1.5", "300 M 5 1.5"},
            {"115200,N,8", "expected speed, parity"}, {"0,N,8,1", "the speed must be"},
            {"115200,X,8,1", "the parity must be"},   {"115200,N,4,1", "the data bits"},
            {"115200,N,8,3", "the stop bits"},
        };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << row[0] << row[1];
    }

    void lineSettings()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QString result;
        try {
            const SerialLine::Settings line = SerialLine::Parse(text);
            const char *stop[] = {"1", "1.5", "2"};
            result = QStringLiteral("%1 %2 %3 %4").arg(line.speed).arg(QLatin1Char(line.parity));
            result = result.arg(line.dataBits).arg(QLatin1String(stop[int(line.stopBits)]));
        } catch (const Failure &failure) {
            result = failure.Description();
            QVERIFY(result.startsWith(
                QStringLiteral("the line settings \"%1\" are not valid").arg(text)));
        }
        QVERIFY2(result.contains(expected), qPrintable(result));
    }
};

QTEST_APPLESS_MAIN(tst_Modem)
#include "tst_modem.moc"
