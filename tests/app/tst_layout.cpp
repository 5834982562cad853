#include "app/Layout.h"

#include <QtTest>

class tst_Layout : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
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

QTEST_APPLESS_MAIN(tst_Layout)
#include "tst_layout.moc"
