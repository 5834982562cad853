// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/TelLink.h"

#include <QtTest>

// The number a page's "tel:" or "callto:" link dials.
class tst_TelLink : public QObject
{
    Q_OBJECT

private slots:
    // The link, and the number it dials; "-" for a link that is no "tel:" link.
    void dialNumber()
    {
        for (const auto &[link, number] : QList<std::pair<QString, QString>>{
                 {"tel:+1-555-0100;ext=22", "+1-555-0100"},
                 {"TEL:555%0D%0AATH0;ext=22", "555ATH0"}, // a line end never reaches the modem
                 {"tel:%20555%200100%09", "555 0100"},
                 {"tel:", ""},
                 {"tel:%E2%80%AE0010555", "0010555"}, // shown as it is dialled, not reversed
                 {"tel:555%E2%80%A8%C2%85%F3%A0%80%81%E2%81%A60100", "5550100"},
                 {"tel:5551234%3BS0%3D1", "5551234"}, // an encoded ";" ends the number too
                 {"callto:+1-555-0100", "+1-555-0100"},
                 {"callto://5550100", "-"}, // a calling program's user, read as 0.84.176.20
                 {"http://crm/tel:555", "-"}})
            QCOMPARE(link + " -> " + TelLink::dialNumber(QUrl(link)).value_or("-"),
                     link + " -> " + number);
    }
};

QTEST_APPLESS_MAIN(tst_TelLink)
#include "tst_tellink.moc"
