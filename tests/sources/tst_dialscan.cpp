#include "sources/DialScan.h"

#include "fakes/TestSupport.h"

#include <QTest>

namespace {

// An Asterisk 1.4 Dial event; an empty `name` leaves the CallerIDName line out.
QByteArray dial14(const QByteArray &destination, const QByteArray &number,
                  const QByteArray &name = "Front Desk")
{
    QByteArray block = "Event: Dial\r\nPrivilege: call,all\r\nSource: SIP/200-00000029\r\n"
                       "Destination: " +
                       destination + "\r\nCallerID: " + number + "\r\n";
    if (!name.isEmpty())
        block += "CallerIDName: " + name + "\r\n";
    return block + "SrcUniqueID: 1204712305.41\r\nDestUniqueID: 1204712305.42\r\n\r\n";
}

// An Asterisk 12+ DialBegin with a calling channel, in the field order Asterisk 22 uses.
QByteArray dialBegin(const QByteArray &number, const QByteArray &name,
                     const QByteArray &destChannel = "PJSIP/101-00000001",
                     const QByteArray &event = "DialBegin")
{
    return "Event: " + event +
           "\r\nPrivilege: call,all\r\nChannel: PJSIP/200-00000000\r\n"
           "ChannelState: 4\r\nCallerIDNum: " +
           number + "\r\nCallerIDName: " + name +
           "\r\n"
           "ConnectedLineNum: <unknown>\r\nUniqueid: 1796581957.1\r\nDestChannel: " +
           destChannel +
           "\r\nDestCallerIDNum: 101\r\nDestCallerIDName: Reception\r\nDialString: 101\r\n\r\n";
}

// The messages of a capture that open with `head`, e.g. "Event: DialEnd\r\n".
QByteArrayList capturedMessages(const QByteArray &capture, const QByteArray &head)
{
    QByteArrayList found;
    for (qsizetype at = 0; (at = capture.indexOf(head, at)) >= 0;) {
        const qsizetype end = capture.indexOf("\r\n\r\n", at) + 4;
        found.append(capture.mid(at, end - at));
        at = end;
    }
    return found;
}

} // namespace

class tst_DialScan : public QObject
{
    Q_OBJECT

private slots:
    void firstCaller_data();
    void firstCaller();
    void unescape_data();
    void unescape();
};

void tst_DialScan::firstCaller_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("extensions");
    QTest::addColumn<bool>("popped");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("name");

    const QByteArray frontDesk = dial14("SIP/101-0000002a", "5551234567");
    const QByteArray other = dial14("SIP/200-0000002b", "5559876543", "Other Caller");

    // Asterisk 1.4: "Destination: " and "CallerID: " anywhere in the block.
    QTest::newRow("1.4 front desk") << frontDesk << "101" << true << "5551234567"
                                    << "Front Desk";
    QTest::newRow("1.4 any destination") << other << "" << true << "5559876543"
                                         << "Other Caller";
    QTest::newRow("1.4 other extension") << other << "101" << false << ""
                                         << "";
    QTest::newRow("number <unknown>") << dial14("SIP/101-2a", "<unknown>") << "101" << false << ""
                                      << "";
    QTest::newRow("number of 5") << dial14("SIP/101-2a", "12345") << "101" << false << ""
                                 << "";
    QTest::newRow("number of 6") << dial14("SIP/101-2a", "123456") << "101" << true << "123456"
                                 << "Front Desk";
    QTest::newRow("blanks around the values")
        << dial14("SIP/101-2a", "  5551234567 ", "  Front Desk  ") << "101" << true << "5551234567"
        << "Front Desk";
    QTest::newRow("blanks do not make a number")
        << dial14("SIP/101-2a", "  12345  ") << "101" << false << ""
        << "";
    QTest::newRow("name <unknown>")
        << dial14("SIP/101-2a", "5551234567", "<unknown>") << "101" << true << "5551234567"
        << "";
    QTest::newRow("name of two letters")
        << dial14("SIP/101-2a", "5551234567", "Jo") << "101" << true << "5551234567"
        << "Jo";
    QTest::newRow("no name after a named block that did not pop")
        << other + dial14("SIP/101-2c", "5551112222", "") << "101" << true << "5551112222"
        << "";
    QTest::newRow("skipped block, then one that pops")
        << dial14("SIP/101-2a", "<unknown>") + frontDesk << "101" << true << "5551234567"
        << "Front Desk";
    QTest::newRow("two matching blocks pop once, the first")
        << frontDesk + dial14("SIP/101-2d", "5553334444", "Second") << "101" << true << "5551234567"
        << "Front Desk";
    QTest::newRow("empty destination") << dial14("", "5551234567") << "" << false << ""
                                       << "";
    QTest::newRow("empty number") << dial14("SIP/101-2a", "") << "" << false << ""
                                  << "";
    QTest::newRow("destination after the empty line")
        << QByteArray("Event: Dial\r\nCallerID: 5551234567\r\n\r\nDestination: SIP/101-2a\r\n"
                      "\r\n")
        << "" << false << ""
        << "";
    QTest::newRow("a later block has its own fields")
        << QByteArray(
               "Event: Dial\r\nCallerID: 5550000000\r\n\r\nDestination: SIP/101-2a\r\n\r\n") +
               dial14("SIP/101-2e", "5551234567")
        << "101" << true << "5551234567"
        << "Front Desk";
    QTest::newRow("tags in small letters")
        << QByteArray("event: dial\r\ndestination: SIP/101-2a\r\ncallerid: 5551234567\r\n"
                      "calleridname: Front Desk\r\n\r\n")
        << "101" << true << "5551234567"
        << "Front Desk";
    QTest::newRow("block without its empty line") << frontDesk.chopped(2) << "101" << false << ""
                                                  << "";
    QTest::newRow("block past 32767 bytes")
        << "Event: VarSet\r\nValue: " + QByteArray(40000, 'x') + "\r\n\r\n" + frontDesk << "101"
        << true << "5551234567"
        << "Front Desk";

    // The extension list: substrings, letter case ignored, elements kept as written.
    QTest::newRow("list, small letters")
        << dial14("sip/102-2a", "5551234567") << "101,102" << true << "5551234567"
        << "Front Desk";
    QTest::newRow("blank after the comma")
        << dial14("SIP/102-2a", "5551234567") << "101, 102" << false << ""
        << "";
    QTest::newRow("blank kept in the element")
        << dial14("Local/ 102-2a", "5551234567") << "101, 102" << true << "5551234567"
        << "Front Desk";
    QTest::newRow("substring 1010")
        << dial14("SIP/1010-2a", "5551234567") << "101" << true << "5551234567"
        << "Front Desk";
    QTest::newRow("substring 2101")
        << dial14("SIP/2101-2a", "5551234567") << "101" << true << "5551234567"
        << "Front Desk";
    QTest::newRow("empty elements passed over") << frontDesk << ",,101," << true << "5551234567"
                                                << "Front Desk";
    QTest::newRow("a lone comma") << frontDesk << "," << false << ""
                                  << "";

    // Asterisk 12 and later, from a real Asterisk 22 session: the originated call's DialBegin
    // has only Dest... fields, the dialplan's Dial() has the caller.
    const QByteArray capture = TestSupport::Fixture(QStringLiteral("ami/login-ok-call.bin"));
    QTest::newRow("capture, 101") << capture << "101" << true << "5551234567"
                                  << "Front Desk";
    QTest::newRow("capture, any") << capture << "" << true << "5551234567"
                                  << "Front Desk";
    QTest::newRow("capture, inner") << capture << "INNER" << true << "5551234567"
                                    << "Front Desk";
    QTest::newRow("capture, only the originate's destination") << capture << "test" << false << ""
                                                               << "";
    QTest::newRow("capture, other extension") << capture << "102" << false << ""
                                              << "";
    QTest::newRow("capture, DialEnd never pops")
        << capturedMessages(capture, "Event: DialEnd\r\n").join() << "" << false << ""
        << "";
    QTest::newRow("DialBegin with Dest... fields only")
        << capturedMessages(capture, "Event: DialBegin\r\n")
               .value(0)
               .replace("<unknown>", "5551234567")
        << "" << false << ""
        << "";
    QTest::newRow("DialState never pops")
        << dialBegin("5551234567", "Front Desk", "PJSIP/101-1", "DialState") << "" << false << ""
        << "";
    QTest::newRow("DialBegin, name <unknown>")
        << dialBegin("5551234567", "<unknown>") << "101" << true << "5551234567"
        << "";
    QTest::newRow("DialBegin, number of 3") << dialBegin("201", "Front Desk") << "" << false << ""
                                            << "";
    QTest::newRow("DialBegin, blank after the comma")
        << dialBegin("5551234567", "Front Desk") << "100, 101" << false << ""
        << "";
    QTest::newRow("DialBegin, escapes")
        << dialBegin("5551234567", R"(Mary O\'Brien \"MOB\" C:\\x)") << "" << true << "5551234567"
        << R"(Mary O'Brien "MOB" C:\x)";
    QTest::newRow("DialBegin, UTF-8 name")
        << dialBegin("5551234567", "J\xc3\xbcrgen M\xc3\xbcller") << "" << true << "5551234567"
        << QStringLiteral("Jürgen Müller");
    QTest::newRow("DialBegin, Windows-1252 name")
        << dialBegin("5551234567", "Jos\xe9 \x80") << "" << true << "5551234567"
        << QStringLiteral("José €");
    QTest::newRow("DialBegin in a value")
        << "UserEvent: DialBegin\r\n" + dialBegin("5551234567", "X").mid(18) << "" << false << ""
        << "";

    // Asterisk 1.8 to 11: "Event: Dial" with a SubEvent, the caller in CallerIDNum.
    const QByteArray dial11 =
        "Event: Dial\r\nPrivilege: call,all\r\nSubEvent: Begin\r\n"
        "Channel: SIP/200-0000000a\r\nDestination: SIP/101-0000000b\r\n"
        "CallerIDNum: 5551234567\r\nCallerIDName: Front Desk\r\n"
        "UniqueID: 1381.10\r\nDestUniqueID: 1381.11\r\nDialstring: 101\r\n\r\n";
    QTest::newRow("1.8 Dial Begin") << dial11 << "101" << true << "5551234567"
                                    << "Front Desk";
    QTest::newRow("1.8 Dial End")
        << QByteArray(
               "Event: Dial\r\nPrivilege: call,all\r\nSubEvent: End\r\n"
               "Channel: SIP/200-0000000a\r\nUniqueID: 1381.10\r\nDialStatus: ANSWER\r\n\r\n")
        << "" << false << ""
        << "";
    QTest::newRow("1.8 Dial End with caller fields")
        << QByteArray(dial11).replace("SubEvent: Begin", "SubEvent: End") << "" << false << ""
        << "";
    QTest::newRow("1.8 Dial without SubEvent")
        << QByteArray(dial11).replace("SubEvent: Begin\r\n", "") << "" << false << ""
        << "";
}

void tst_DialScan::firstCaller()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, extensions);
    QFETCH(bool, popped);
    QFETCH(QString, number);
    QFETCH(QString, name);

    QVERIFY(!text.isEmpty());
    const auto caller = DialScan::FirstCaller(text, extensions);
    QCOMPARE(caller.has_value(), popped);
    if (caller) {
        QCOMPARE(caller->number, number);
        QCOMPARE(caller->name, name);
    }
}

void tst_DialScan::unescape_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("plain");

    QTest::newRow("none") << "Front Desk"
                          << "Front Desk";
    QTest::newRow("quote") << R"(O\'Brien)"
                           << "O'Brien";
    QTest::newRow("double quotes") << R"(\"Boss\")"
                                   << R"("Boss")";
    QTest::newRow("backslash before a quote") << R"(a\\\')"
                                              << R"(a\')";
    QTest::newRow("question mark") << R"(Who\?)"
                                   << "Who?";
    QTest::newRow("other escapes stay") << R"(a\nb)"
                                        << R"(a\nb)";
    QTest::newRow("trailing backslash") << R"(ab\)"
                                        << R"(ab\)";
}

void tst_DialScan::unescape()
{
    QFETCH(QString, value);
    QFETCH(QString, plain);
    QCOMPARE(DialScan::Unescape(value), plain);
}

QTEST_APPLESS_MAIN(tst_DialScan)
#include "tst_dialscan.moc"
