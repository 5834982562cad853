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

using Lefts = std::array<int, 5>;
Q_DECLARE_METATYPE(Lefts)

void tst_Layout::layout_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("browserWidth");
    QTest::addColumn<int>("browserHeight");
    // cmdQuit, cmdDialer, cmdHide, cmdToggle, cmdSettings
    QTest::addColumn<Lefts>("lefts");
    // The designed row ends 150 twips inside the outer right edge: 7500 + 1215 = 8865 - 150.
    QTest::newRow("designed size")
        << 8865.0 << 7860.0 << 8785 << 7380 << Lefts{2340, 3540, 4500, 5820, 7500};
    QTest::newRow("wide") << 28800.0 << 16200.0 << 28720 << 15720
                          << Lefts{22275, 23475, 24435, 25755, 27435};
    QTest::newRow("exactly 6525") << 6525.0 << 3000.0 << 6445 << 2520
                                  << Lefts{0, 1200, 2160, 3480, 5160};
    QTest::newRow("just below 6525")
        << 6524.0 << 3000.0 << 6444 << 2520 << Lefts{0, 1200, 2160, 3480, 5160};
    QTest::newRow("below 80 x 480") << 60.0 << 300.0 << 0 << 0 << Lefts{0, 1200, 2160, 3480, 5160};
    QTest::newRow("exactly 80 x 480")
        << 80.0 << 480.0 << 0 << 0 << Lefts{0, 1200, 2160, 3480, 5160};
    QTest::newRow("fractional twips round")
        << 7000.4 << 1000.6 << 6920 << 521 << Lefts{475, 1675, 2635, 3955, 5635};
}

void tst_Layout::layout()
{
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(int, browserWidth);
    QFETCH(int, browserHeight);
    QFETCH(Lefts, lefts);

    const MainLayout layout = ComputeMainLayout(width, height);
    QCOMPARE(layout.browserLeft, 10);
    QCOMPARE(layout.browserTop, 480);
    QCOMPARE(layout.browserWidth, browserWidth);
    QCOMPARE(layout.browserHeight, browserHeight);
    QCOMPARE(layout.buttonLeft, lefts);
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
