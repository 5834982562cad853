#include "sources/YacMessage.h"

#include <QTest>

class tst_YacMessage : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void firstMessage_data();
    void firstMessage();
};

void tst_YacMessage::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isCall");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("number");

    const QString longName(32761, QLatin1Char('N'));

    QTest::newRow("plain call") << "@CALLJOHN DOE~5551234567" << true << "JOHN DOE"
                                << "5551234567";
    QTest::newRow("empty name") << "@CALL~5551234567" << true << ""
                                << "5551234567";
    QTest::newRow("empty number") << "@CALLJOHN DOE~" << true << "JOHN DOE"
                                  << "";
    QTest::newRow("only the first ~ separates") << "@CALLANN~12~34" << true << "ANN"
                                                << "12~34";
    QTest::newRow("line end stays on the number") << "@CALLJOHN DOE~5551234567\r\n"
                                                  << true << "JOHN DOE"
                                                  << "5551234567\r\n";
    QTest::newRow("non-ASCII name") << "@CALLJOSÉ ÑÚÑEZ~555" << true << "JOSÉ ÑÚÑEZ"
                                    << "555";
    QTest::newRow("separator at position 32767")
        << "@CALL" + longName + "~1" << true << longName << "1";
    QTest::newRow("separator past position 32767") << "@CALL" + longName + "X~1" << false << ""
                                                   << "";
    QTest::newRow("tag in small letters") << "@call JOHN~555" << false << ""
                                          << "";
    QTest::newRow("shorter than the tag") << "@CAL" << false << ""
                                          << "";
    QTest::newRow("tag alone") << "@CALL" << false << ""
                               << "";
    QTest::newRow("no ~") << "@CALLJOHN DOE 5551234567" << false << ""
                          << "";
    QTest::newRow("tag not at the start") << " @CALLJOHN~555" << false << ""
                                          << "";
    QTest::newRow("not a call") << "HELLO~555" << false << ""
                                << "";
}

void tst_YacMessage::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, isCall);
    QFETCH(QString, name);
    QFETCH(QString, number);

    const auto call = YacMessage::Parse(text);
    QCOMPARE(call.has_value(), isCall);
    if (call) {
        QCOMPARE(call->name, name);
        QCOMPARE(call->number, number);
    }
}

void tst_YacMessage::firstMessage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("first");

    QTest::newRow("one message") << "@CALLA~1\r\n"
                                 << "@CALLA~1\r\n";
    QTest::newRow("second message cut off") << "@CALLA~1\r\n@CALLB~2\r\n"
                                            << "@CALLA~1\r\n";
    QTest::newRow("third message too") << "@CALLA~1@CALLB~2@CALLC~3"
                                       << "@CALLA~1";
    QTest::newRow("tag right after the tag") << "@CALL@CALLB~2"
                                             << "@CALL";
    QTest::newRow("small letters are no second tag") << "@CALLA~1@callB~2"
                                                     << "@CALLA~1@callB~2";
    QTest::newRow("junk before a call") << "HELLO@CALLB~2"
                                        << "HELLO";
    QTest::newRow("empty") << ""
                           << "";
}

void tst_YacMessage::firstMessage()
{
    QFETCH(QString, text);
    QFETCH(QString, first);

    QCOMPARE(YacMessage::FirstMessage(text), first);
}

QTEST_APPLESS_MAIN(tst_YacMessage)
#include "tst_yacmessage.moc"
