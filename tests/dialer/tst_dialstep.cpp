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
    // "ok <text>" confirms the text after the first blank, blanks included; "tick N" runs N
    // ticks. Writes: "<tick>:<text>". Then the number and the count left at the end.
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("ticks");
    const auto row = [](const char *name, const QStringList &script, const QStringList &writes,
                        const QString &number,
                        int ticks) { QTest::newRow(name) << script << writes << number << ticks; };
    row("dial, then a lone CR five ticks later", {"ok 5551234", "tick 7"},
        {"1:ATDT 5551234\r", "6:\r"}, "", 0);
    row("empty while idle: nothing", {"ok ", "tick 3"}, {}, "", 0);
    row("a new number before the first tick replaces it", {"ok 111", "ok 222", "tick 1"},
        {"1:ATDT 222\r"}, "222", 1);
    row("a number during a dial is dialled after its lone CR",
        {"ok 111", "tick 2", "ok 222", "tick 10"},
        {"1:ATDT 111\r", "6:\r", "7:ATDT 222\r", "12:\r"}, "", 0);
    row("empty during a dial: the dial ends on schedule, the next one dials",
        {"ok 111", "tick 2", "ok ", "tick 4", "ok 333", "tick 1"},
        {"1:ATDT 111\r", "6:\r", "7:ATDT 333\r"}, "333", 1);
    row("empty during a dial withdraws a waiting number",
        {"ok 111", "tick 1", "ok 222", "ok ", "tick 8"}, {"1:ATDT 111\r", "6:\r"}, "", 0);
}

void tst_DialStep::script()
{
    QFETCH(QStringList, script);
    QString number, next;
    qint16 ticks = 0;
    const DialStep::State state{number, ticks, next};
    QStringList writes;
    int tick = 0;
    for (const QString &event : script) {
        const QString argument = event.section(QLatin1Char(' '), 1);
        if (event.startsWith(QLatin1String("ok ")))
            DialStep::Confirm(state, argument);
        for (int i = event.startsWith(QLatin1String("tick")) ? argument.toInt() : 0; i > 0; --i) {
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
