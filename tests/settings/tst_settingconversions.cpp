#include "platform/Failure.h"
#include "settings/SettingConversions.h"

#include <QtTest>

using namespace SettingConversions;

class tst_SettingConversions : public QObject
{
    Q_OBJECT

private slots:
    void int16_data();
    void int16();
    void int32_data();
    void int32();
    void boolean_data();
    void boolean();
};

// "ok" false: the conversion must fail, with the key and the text in the description.
void tst_SettingConversions::int16_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "10629" << true << 10629;
    QTest::newRow("max") << "32767" << true << 32767;
    QTest::newRow("min") << "-32768" << true << -32768;
    QTest::newRow("above max") << "32768" << false << 0;
    QTest::newRow("below min") << "-32769" << false << 0;
    QTest::newRow("far above") << "99999999999999999999" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blank") << " " << false << 0;
    QTest::newRow("letters") << "COM2" << false << 0;
    QTest::newRow("fraction") << "3.5" << false << 0;
    QTest::newRow("hex") << "0x10" << false << 0;
    QTest::newRow("blanks around") << " 5038 " << true << 5038;
    QTest::newRow("plus sign") << "+7" << true << 7;
    QTest::newRow("leading zeros") << "007" << true << 7;
}

void tst_SettingConversions::int16()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    try {
        const qint16 got = ToInt16(QStringLiteral("yacPort"), text);
        QVERIFY2(ok, qPrintable(QStringLiteral("converted to %1").arg(got)));
        QCOMPARE(int(got), value);
    } catch (const Failure &failure) {
        QVERIFY2(!ok, failure.what());
        QCOMPARE(failure.Source(), QStringLiteral("Settings"));
        QVERIFY(failure.Description().contains(QStringLiteral("\"yacPort\"")));
        QVERIFY(failure.Description().contains(QLatin1Char('"') + text + QLatin1Char('"')));
    }
}

void tst_SettingConversions::int32_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("value");
    QTest::newRow("twips") << "1920" << true << qint64(1920);
    QTest::newRow("negative left edge") << "-60" << true << qint64(-60);
    QTest::newRow("beyond 16 bits") << "40000" << true << qint64(40000);
    QTest::newRow("max") << "2147483647" << true << qint64(2147483647);
    QTest::newRow("min") << "-2147483648" << true << qint64(-2147483648LL);
    QTest::newRow("above max") << "2147483648" << false << qint64(0);
    QTest::newRow("empty") << "" << false << qint64(0);
    QTest::newRow("text") << "left" << false << qint64(0);
}

void tst_SettingConversions::int32()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(qint64, value);
    bool converted = false;
    qint64 got = 0;
    try {
        got = ToInt32(QStringLiteral("startx"), text);
        converted = true;
    } catch (const Failure &failure) {
        QVERIFY(failure.Description().contains(QStringLiteral("startx")));
    }
    QCOMPARE(converted, ok);
    if (ok)
        QCOMPARE(got, value);
}

void tst_SettingConversions::boolean_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("value");
    QTest::newRow("0 is off") << "0" << true << false;
    QTest::newRow("1 is on") << "1" << true << true;
    QTest::newRow("-1 is on") << "-1" << true << true;
    QTest::newRow("any number is on") << "2.5" << true << true;
    QTest::newRow("0.0 is off") << "0.0" << true << false;
    QTest::newRow("empty fails") << "" << false << false;
    QTest::newRow("words fail") << "true" << false << false;
    QTest::newRow("infinity fails") << "inf" << false << false;
}

void tst_SettingConversions::boolean()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(bool, value);
    bool converted = false;
    bool got = false;
    try {
        got = ToBoolean(QStringLiteral("newwin"), text);
        converted = true;
    } catch (const Failure &failure) {
        QVERIFY(failure.Description().contains(QStringLiteral("newwin")));
    }
    QCOMPARE(converted, ok);
    if (ok)
        QCOMPARE(got, value);
}

QTEST_APPLESS_MAIN(tst_SettingConversions)
#include "tst_settingconversions.moc"
