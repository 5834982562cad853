#include "dialer/DialStep.h"

#include <QtTest>

// The dial step over scripted ticks and confirmations of the dialog.
class tst_DialStep : public QObject
{
    Q_OBJECT

private slots:
    // "ok <text>" confirms the text after the first blank; "tick N" runs N ticks. What is
    // written, "<tick>:<text>" with CR as "~", then the number and the count left at the end.
    void script_data()
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

    void script()
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

QTEST_APPLESS_MAIN(tst_DialStep)
#include "tst_dialstep.moc"
