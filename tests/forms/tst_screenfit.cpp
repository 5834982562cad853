// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/ScreenFit.h"

#include <QtTest>

// Where a stored window goes that does not fit the screens.
class tst_ScreenFit : public QObject
{
    Q_OBJECT

private slots:
    // Two screens side by side: 1280 x 1024 with a 30-pixel panel at the top, and 1920 x 1080
    // to its right. Title bars are 20 pixels high.
    void fitToScreen()
    {
        const QList<QRect> areas{QRect(0, 30, 1280, 994), QRect(1280, 0, 1920, 1080)};
        for (const auto &[requested, fitted] : std::initializer_list<std::pair<QRect, QRect>>{
                 // The body below the edge, the title bar on screen: unchanged.
                 {QRect(100, 1000, 600, 500), QRect(100, 1000, 600, 500)},
                 {QRect(0, 0, 143165576, 143165576), QRect(0, 30, 1280, 994)},
                 {QRect(1300, 0, 10000, 10000), QRect(1280, 0, 1920, 1080)}})
            QCOMPARE(::fitToScreen(requested, areas, 20), fitted);
    }

    // A fixed-size dialog on a screen area: frames 10 x 30, scroll bars 16 pixels thick.
    void fitScrolled()
    {
        for (const auto &[content, available, client] :
             std::initializer_list<std::tuple<QSize, QSize, QSize>>{
                 {{502, 657}, {1280, 994}, {502, 657}},     // fits: as designed, no scroll bar
                 {{628, 821}, {1366, 738}, {644, 708}},     // 125 % on 1366 x 768
                 {{1004, 1314}, {1280, 994}, {1020, 964}}}) // 200 % on 1280 x 1024
            QCOMPARE(::fitScrolled(content, {10, 30}, available, 16), client);
    }
};

QTEST_APPLESS_MAIN(tst_ScreenFit)
#include "tst_screenfit.moc"
