#include "app/Layout.h"
#include "app/ScreenFit.h"

#include <QtTest>

class tst_Layout : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void fitToScreen_data();
    void fitToScreen();
};

void tst_Layout::layout_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("browserWidth");
    QTest::addColumn<int>("browserHeight");
    QTest::addColumn<int>("quitLeft");
    QTest::newRow("designed size") << 8865.0 << 7860.0 << 8785 << 7380 << 2340;
    QTest::newRow("wide") << 28800.0 << 16200.0 << 28720 << 15720 << 22275;
    QTest::newRow("exactly 6525") << 6525.0 << 3000.0 << 6445 << 2520 << 0;
    QTest::newRow("just below 6525") << 6524.0 << 3000.0 << 6444 << 2520 << 0;
    QTest::newRow("narrow") << 3000.0 << 3000.0 << 2920 << 2520 << 0;
    QTest::newRow("below 80 x 480") << 60.0 << 300.0 << 0 << 0 << 0;
    QTest::newRow("exactly 80 x 480") << 80.0 << 480.0 << 0 << 0 << 0;
    QTest::newRow("fractional twips round") << 7000.4 << 1000.6 << 6920 << 521 << 475;
    QTest::newRow("minimised to nothing") << 0.0 << 0.0 << 0 << 0 << 0;
}

void tst_Layout::layout()
{
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(int, browserWidth);
    QFETCH(int, browserHeight);
    QFETCH(int, quitLeft);

    const MainLayout layout = ComputeMainLayout(width, height);
    QCOMPARE(layout.browserLeft, 10);
    QCOMPARE(layout.browserTop, 480);
    QCOMPARE(layout.browserWidth, browserWidth);
    QCOMPARE(layout.browserHeight, browserHeight);
    QCOMPARE(layout.buttonLeft[0], quitLeft);
    // Each button stands 105 twips right of the previous one's right edge.
    const int widths[] = {1095, 855, 1215, 1575};
    for (int i = 1; i < 5; ++i)
        QCOMPARE(layout.buttonLeft[i], layout.buttonLeft[i - 1] + widths[i - 1] + 105);
    // Once the row is pushed right, it ends 150 twips inside the outer right edge.
    if (quitLeft > 0)
        QCOMPARE(layout.buttonLeft[4] + 1215, int(std::nearbyint(width)) - 150);
}

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
