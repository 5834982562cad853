// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/DialStep.h"

#include <QtTest>

// The dialer's commands, tick by tick.
class tst_DialStep : public QObject
{
    Q_OBJECT

private slots:
    // confirms: what the user confirms before ticks 1, 2, ... (null: nothing); writes: each
    // command with its tick; left: the number still waiting or being dialled.
    void tick_data()
    {
        QTest::addColumn<QStringList>("confirms");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QStringList>("writes");
        QTest::addColumn<QString>("left");
        const QString none;
        QTest::newRow("a lone CR five ticks on; a number during a dial is dialled after it")
            << QStringList{"55 1-2", none, "222"} << 12
            << QStringList{"1 ATDT 55 1-2\r", "6 \r", "7 ATDT 222\r", "12 \r"} << "";
        QTest::newRow("empty during a dial: the dial ends on schedule, the next one dials")
            << QStringList{"111", none, "", none, none, none, "333"} << 7
            << QStringList{"1 ATDT 111\r", "6 \r", "7 ATDT 333\r"} << "333";
    }

    void tick()
    {
        QFETCH(QStringList, confirms);
        QFETCH(int, ticks);
        DialStep step;
        QStringList writes;
        for (int tick = 1; tick <= ticks; ++tick) {
            if (tick <= confirms.size() && !confirms[tick - 1].isNull())
                step.confirm(confirms[tick - 1]);
            for (const QString &text : step.tick())
                writes << QString::number(tick) + u' ' + text;
        }
        QTEST(writes, "writes");
        QTEST(step.number(), "left");
    }
};

QTEST_APPLESS_MAIN(tst_DialStep)
#include "tst_dialstep.moc"
