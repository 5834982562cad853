#include "app/ScreenFit.h"

#include <QtTest>

// Where a window goes that does not fit the screens; the main window's own table checks the
// layout of its controls.
class tst_Layout : public QObject
{
    Q_OBJECT

private slots:
    void fitToScreen_data();
    void fitToScreen();
};

// Two screens side by side: 1280 x 1024 with a 30-pixel panel at the top, and 1920 x 1080
// to its right. Title bars are 20 pixels high.
void tst_Layout::fitToScreen_data()
{
    QTest::addColumn<QRect>("requested");
    QTest::addColumn<QRect>("fitted");
    QTest::newRow("fits: unchanged") << QRect(100, 200, 600, 500) << QRect(100, 200, 600, 500);
    QTest::newRow("body below the edge: title bar on screen, unchanged")
        << QRect(100, 1000, 600, 500) << QRect(100, 1000, 600, 500);
    QTest::newRow("huge: the whole area")
        << QRect(0, 0, 143165576, 143165576) << QRect(0, 30, 1280, 994);
    QTest::newRow("huge on the second screen")
        << QRect(1300, 0, 10000, 10000) << QRect(1280, 0, 1920, 1080);
    QTest::newRow("off to the right")
        << QRect(143165576, 100, 600, 500) << QRect(2600, 100, 600, 500);
    QTest::newRow("above the panel") << QRect(100, -40, 600, 500) << QRect(100, 30, 600, 500);
    QTest::newRow("below the bottom") << QRect(100, 2000, 600, 500) << QRect(100, 1004, 600, 500);
    QTest::newRow("straddling: kept whole on the first")
        << QRect(1000, 100, 600, 500) << QRect(680, 100, 600, 500);
}

void tst_Layout::fitToScreen()
{
    QFETCH(QRect, requested);
    QFETCH(QRect, fitted);
    QCOMPARE(FitToScreen(requested, {QRect(0, 30, 1280, 994), QRect(1280, 0, 1920, 1080)}, 20),
             fitted);
}

QTEST_APPLESS_MAIN(tst_Layout)
#include "tst_layout.moc"
