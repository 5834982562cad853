// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/TelLink.h"

#include <QtTest>

// The number a page's "tel:" link dials; "-" for a link that is no "tel:" link.
class tst_TelLink : public QObject
{
    Q_OBJECT

private slots:
    void dialNumber_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("number");
        QTest::newRow("parameters dropped") << "tel:+1-555-0100;ext=22"
                                            << "+1-555-0100";
        QTest::newRow("a line end never reaches the modem") << "TEL:555%0D%0AATH0;ext=22"
                                                            << "555ATH0";
        QTest::newRow("blanks at the ends") << "tel:%20555%200100%09"
                                            << "555 0100";
        QTest::newRow("no number") << "tel:"
                                   << "";
        QTest::newRow("other scheme") << "http://crm/tel:555"
                                      << "-";
    }
    void dialNumber()
    {
        QFETCH(QString, link);
        QTEST(TelLink::dialNumber(QUrl(link)).value_or(QStringLiteral("-")), "number");
    }
};

QTEST_APPLESS_MAIN(tst_TelLink)
#include "tst_tellink.moc"
