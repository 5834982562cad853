#include "platform/Failure.h"
#include "settings/SettingConversions.h"

#include <QtTest>

class tst_SettingConversions : public QObject
{
    Q_OBJECT

private slots:
    void convert_data();
    void convert();
};

// "ok" false: the conversion fails, naming the key and the text in the description.
void tst_SettingConversions::convert_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("value");
    const struct
    {
        const char *kind, *text;
        bool ok;
        qint64 value;
    } rows[] = {
        {"int16", "32767", true, 32767},       {"int16", "-32768", true, -32768},
        {"int16", "32768", false, 0},          {"int16", "-32769", false, 0},
        {"int16", "99999999999999999999", false, 0},
        {"int16", "", false, 0},               {"int16", " ", false, 0},
        {"int16", "COM2", false, 0},           {"int16", "3.5", false, 0},
        {"int16", "0x10", false, 0},           {"int16", " 5038 ", true, 5038},
        {"int16", "+7", true, 7},              {"int32", "-60", true, -60},
        {"int32", "40000", true, 40000},       {"int32", "2147483647", true, 2147483647},
        {"int32", "-2147483648", true, -2147483648LL},
        {"int32", "2147483648", false, 0},     {"int32", "left", false, 0},
        {"port", "40000", true, 40000},        {"port", "65535", true, 65535},
        {"port", "65536", false, 0},           {"port", "-32768", true, -32768},
        {"port", "-32769", false, 0},          {"port", "0", true, 0},
        {"bool", "0", true, 0},                {"bool", "1", true, 1},
        {"bool", "-1", true, 1},               {"bool", "2.5", true, 1},
        {"bool", "0.0", true, 0},              {"bool", "", false, 0},
        {"bool", "true", false, 0},            {"bool", "inf", false, 0},
    };
    for (const auto &row : rows)
        QTest::addRow("%s \"%s\"", row.kind, row.text)
            << row.kind << row.text << row.ok << row.value;
}

void tst_SettingConversions::convert()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(qint64, value);
    const QString key = QStringLiteral("someKey");
    try {
        const qint64 got = kind == "int16"   ? SettingConversions::ToInt16(key, text)
                           : kind == "int32" ? SettingConversions::ToInt32(key, text)
                           : kind == "port"  ? SettingConversions::ToPort(key, text)
                                             : SettingConversions::ToBoolean(key, text);
        QVERIFY2(ok, qPrintable(QStringLiteral("converted to %1").arg(got)));
        QCOMPARE(got, value);
    } catch (const Failure &failure) {
        QVERIFY2(!ok, failure.what());
        QCOMPARE(failure.Source(), QStringLiteral("Settings"));
        QVERIFY(failure.Description().contains("\"someKey\" holds \"" + text + "\""));
    }
}

QTEST_APPLESS_MAIN(tst_SettingConversions)
#include "tst_settingconversions.moc"
