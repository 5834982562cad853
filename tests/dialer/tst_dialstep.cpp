#include "dialer/DialStep.h"

#include <QtTest>

// The dial step over scripted ticks and confirmations of the dialog.
class tst_DialStep : public QObject
{
    Q_OBJECT

private slots:
    void script_data();
    void script();
};

void tst_DialStep::script_data()
{
    // Script: "ok <text>" confirms the text (all after the blank, blanks included); "tick N"
    // runs N ticks. Writes: "<tick>:<text>".
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<QString>("number"); // left at the end
    QTest::addColumn<int>("ticks");

    QTest::newRow("seven digits: dial, then a lone CR five ticks later")
        << QStringList{"ok 5551234", "tick 7"} << QStringList{"1:ATDT 5551234\r", "6:\r"} << ""
        << 0;
    QTest::newRow("sent exactly as typed")
        << QStringList{"ok  555-CALL x9 ", "tick 1"} << QStringList{"1:ATDT  555-CALL x9 \r"}
        << " 555-CALL x9 " << 1;
    QTest::newRow("empty while idle: nothing")
        << QStringList{"ok ", "tick 3"} << QStringList{} << "" << 0;
    QTest::newRow("a new number before the first tick replaces it")
        << QStringList{"ok 111", "ok 222", "tick 1"} << QStringList{"1:ATDT 222\r"} << "222" << 1;
    QTest::newRow("a number during a dial is dialled after its lone CR")
        << QStringList{"ok 111", "tick 2", "ok 222", "tick 10"}
        << QStringList{"1:ATDT 111\r", "6:\r", "7:ATDT 222\r", "12:\r"} << "" << 0;
    QTest::newRow("empty during a dial: the dial ends on schedule, the next one dials")
        << QStringList{"ok 111", "tick 2", "ok ", "tick 4", "ok 333", "tick 2"}
        << QStringList{"1:ATDT 111\r", "6:\r", "7:ATDT 333\r"} << "333" << 2;
    QTest::newRow("empty during a dial withdraws a waiting number")
        << QStringList{"ok 111", "tick 1", "ok 222", "ok ", "tick 8"}
        << QStringList{"1:ATDT 111\r", "6:\r"} << "" << 0;
}

void tst_DialStep::script()
{
    QFETCH(QStringList, script);
    QString number;
    qint16 ticks = 0;
    QString next;
    const DialStep::State state{number, ticks, next};

    QStringList writes;
    int tick = 0;
    for (const QString &event : script) {
        const QString argument = event.section(QLatin1Char(' '), 1);
        if (event.startsWith(QLatin1String("ok "))) {
            DialStep::Confirm(state, argument);
            continue;
        }
        for (int i = argument.toInt(); i > 0; --i) {
            ++tick;
            for (const QString &text : DialStep::Tick(state))
                writes << QString::number(tick) + QLatin1Char(':') + text;
        }
    }
    QTEST(writes, "writes");
    QTEST(number, "number");
    QTEST(int(ticks), "ticks");
}

QTEST_APPLESS_MAIN(tst_DialStep)
#include "tst_dialstep.moc"
