// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/DialScan.h"

#include <QTest>

namespace {

// An Asterisk 1.4 Dial event; an empty `name` leaves the CallerIDName line out.
QByteArray dial14(const QByteArray &destination, const QByteArray &number,
                  const QByteArray &name = "Front Desk")
{
    return "Event: Dial\r\nPrivilege: call,all\r\nSource: SIP/200-29\r\nDestination: " +
           destination + "\r\nCallerID: " + number + "\r\n" +
           (name.isEmpty() ? "" : "CallerIDName: " + name + "\r\n") + "SrcUniqueID: 1.41\r\n\r\n";
}

// An Asterisk 12+ dial with a calling channel, in Asterisk 22's field order.
QByteArray dialBegin(const QByteArray &name)
{
    return "Event: DialBegin\r\nChannel: PJSIP/200-0\r\nCallerIDNum: 5551234567\r\n"
           "CallerIDName: " +
           name + "\r\nDestChannel: PJSIP/101-1\r\nDestCallerIDNum: 101\r\n\r\n";
}

// An empty `number`: nothing pops.
void row(const char *tag, const QByteArray &text, const QString &extensions,
         const QString &number = {}, const QString &name = QStringLiteral("Front Desk"))
{
    QTest::newRow(tag) << text << extensions
                       << (number.isEmpty() ? QString() : number + u'|' + name);
}

} // namespace

// The dial a Manager Interface message holds, and whether its caller pops.
class tst_DialScan : public QObject
{
    Q_OBJECT

private slots:
    void firstCaller_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("extensions");
        QTest::addColumn<QString>("caller"); // number|name

        const QString num = QStringLiteral("5551234567");
        const QByteArray frontDesk = dial14("SIP/101-2a", "5551234567");

        row("number <unknown>", dial14("SIP/101-2a", "<unknown>"), "101");
        row("number of 5", dial14("SIP/101-2a", "12345"), "101");
        row("number of 6", dial14("SIP/101-2a", "123456"), "101", "123456");
        row("blanks around the values", dial14("SIP/101", " 5551234567 ", " Front Desk "), "", num);
        row("name <unknown>", dial14("SIP/101-2a", "5551234567", "<unknown>"), "101", num, "");
        row("no name", dial14("SIP/101", "5551112222", ""), "101", "5551112222", "");
        row("empty destination", dial14("", "5551234567"), "");

        // The extension list: substrings, letter case ignored, elements kept as written.
        row("substring, letter case", dial14("Local/sip/102-2a", "5551234567"), "101,SIP/102", num);
        row("field names and event in any case", dial14("SIP/101", "5551234567").toLower(), "101",
            num, "front desk");
        row("DialBegin in any case", dialBegin("X").replace("DialBegin", "dIALbEGIN"), "", num,
            "X");
        row("blank kept in the element", dial14("Local/ 102-2a", "5551234567"), "101, 102", num);
        row("a lone comma", frontDesk, ",");

        // Asterisk 12 and later: a dial without a calling channel (an originated call) has
        // only Dest... fields and no caller.
        row("originated", "Event: DialBegin\r\nDestChannel: PJSIP/101-1\r\n\r\n", "");
        row("escapes", dialBegin(R"(O\'Brien \"MOB\" C:\\x a\\\' Who\? a\nb c\)"), "", num,
            R"(O'Brien "MOB" C:\x a\' Who? a\nb c\)");

        // Asterisk 1.8 to 11: "Event: Dial" with a SubEvent, the caller in CallerIDNum.
        const QByteArray dial11 = "Event: Dial\r\nSubEvent: Begin\r\nChannel: SIP/200-0a\r\n"
                                  "Destination: SIP/101-0b\r\nCallerIDNum: 5551234567\r\n"
                                  "CallerIDName: Front Desk\r\n\r\n";
        row("1.8 Begin", dial11, "101", num);
        row("1.8 End", QByteArray(dial11).replace("SubEvent: Begin", "SubEvent: End"), "");

        // Field names inside a caller's name are text, never fields.
        const QByteArray spoof = "Event: DialBegin\r\nCallerIDNum: 5551112233\r\nCallerIDName: "
                                 "Destination: 101 CallerID: 5550009999\r\n"
                                 "DestChannel: SIP/200-0000002b\r\n\r\n";
        row("name holding 1.4 fields", spoof, "101");
        row("1.8 name holding a number",
            QByteArray(dial11).replace("Front Desk", "CallerID: 999999"), "101", num,
            "CallerID: 999999");
        row("1.8 name cut by a lone CR",
            QByteArray(dial11).replace("Front Desk", "Front\r\rCallerID: 999999"), "101", num,
            "Front");
    }

    void firstCaller()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, extensions);
        const auto caller = DialScan::callerOf(text, extensions);
        QTEST(caller ? caller->number + u'|' + caller->name : QString(), "caller");
    }
};

QTEST_APPLESS_MAIN(tst_DialScan)
#include "tst_dialscan.moc"
