#include "app/Layout.h"
#include "app/frmMain.h"

#include <QApplication>
#include <QPushButton>
#include <QtTest>

// The main window as a real widget on the offscreen platform.
class tst_frmMain : public QObject
{
    Q_OBJECT

private slots:
    void controlsByName();
    void layoutFollowsResize_data();
    void layoutFollowsResize();
    void hideMinimises();
    void geometryInTwips();
};

void tst_frmMain::controlsByName()
{
    frmMain window(new QWidget);
    for (const char *name : {"cmdQuit", "cmdDialer", "cmdHide", "cmdToggle", "cmdSettings"})
        QVERIFY2(window.findChild<QPushButton *>(QLatin1String(name)), name);
    QVERIFY(window.findChild<QWidget *>(QStringLiteral("lblNetFail")));
    QCOMPARE(window.cmdQuit()->text(), QStringLiteral("&Quit"));
    QCOMPARE(window.cmdDialer()->text(), QStringLiteral("&Dial"));
    QCOMPARE(window.cmdHide()->text(), QStringLiteral("&Hide"));
    QCOMPARE(window.cmdSettings()->text(), QStringLiteral("&Settings"));
    window.SetToggleCaption(QStringLiteral("Disable &Monitor"));
    QCOMPARE(window.cmdToggle()->text(), QStringLiteral("Disable &Monitor"));
    // The mark sits in the top-left corner, 495 x 375 twips.
    const double tpp = window.TwipsPerPixel();
    QCOMPARE(window.lblNetFail()->geometry(),
             QRect(0, 0, qRound(495 / tpp), qRound(375 / tpp)));
}

void tst_frmMain::layoutFollowsResize_data()
{
    QTest::addColumn<int>("widthPx");
    QTest::addColumn<int>("heightPx");
    QTest::newRow("designed") << 583 << 490;
    QTest::newRow("wide") << 1600 << 900;
    QTest::newRow("narrower than the row") << 300 << 200;
    QTest::newRow("tiny") << 4 << 20;
}

void tst_frmMain::layoutFollowsResize()
{
    QFETCH(int, widthPx);
    QFETCH(int, heightPx);
    auto *pane = new QWidget;
    frmMain window(pane);
    window.show();
    window.resize(widthPx, heightPx);
    QTRY_COMPARE(window.size(), QSize(widthPx, heightPx));

    const double tpp = window.TwipsPerPixel();
    const QSize outer = window.frameGeometry().size();
    const MainLayout expected = ComputeMainLayout(outer.width() * tpp, outer.height() * tpp);
    auto px = [tpp](int twips) { return qRound(twips / tpp); };
    QCOMPARE(pane->geometry(), QRect(px(10), px(480), px(expected.browserWidth),
                                     px(expected.browserHeight)));
    const QList<QPushButton *> buttons{window.cmdQuit(), window.cmdDialer(), window.cmdHide(),
                                       window.cmdToggle(), window.cmdSettings()};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(buttons[i]->x(), px(expected.buttonLeft[i]));
        QCOMPARE(buttons[i]->y(), px(120));
        QCOMPARE(buttons[i]->width(), px(kButtonWidths[i]));
    }
    QVERIFY(pane->width() >= 0 && pane->height() >= 0);
}

void tst_frmMain::hideMinimises()
{
    frmMain window(new QWidget);
    window.show();
    QTest::mouseClick(window.cmdHide(), Qt::LeftButton);
    QTRY_VERIFY(window.isMinimized());
    QVERIFY(window.isVisible()); // still on the task bar
    window.RestoreNormal();
    QTRY_VERIFY(!window.isMinimized());
}

void tst_frmMain::geometryInTwips()
{
    frmMain window(new QWidget);
    window.show();
    const double tpp = window.TwipsPerPixel();
    window.SetLeftTwips(qRound(120 * tpp));
    window.SetTopTwips(qRound(90 * tpp));
    window.SetWidthTwips(qRound(700 * tpp));
    window.SetHeightTwips(qRound(500 * tpp));
    QTRY_COMPARE(window.frameGeometry(), QRect(120, 90, 700, 500));
    QCOMPARE(window.NormalGeometryTwips(),
             (QList<int>{qRound(120 * tpp), qRound(90 * tpp), qRound(700 * tpp),
                         qRound(500 * tpp)}));
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
