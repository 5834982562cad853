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
    QCOMPARE(window.lblNetFail()->geometry(), QRect(0, 0, qRound(495 / tpp), qRound(375 / tpp)));
}

void tst_frmMain::layoutFollowsResize_data()
{
    // The window's outer size in pixels.
    QTest::addColumn<int>("widthPx");
    QTest::addColumn<int>("heightPx");
    QTest::addColumn<int>("quitLeftTwips");
    QTest::newRow("designed") << 591 << 524 << 2340;
    QTest::newRow("wide") << 1600 << 900 << 17475;
    QTest::newRow("narrower than the row") << 300 << 200 << 0;
    QTest::newRow("tiny") << 4 << 20 << 0;
}

void tst_frmMain::layoutFollowsResize()
{
    QFETCH(int, widthPx);
    QFETCH(int, heightPx);
    QFETCH(int, quitLeftTwips);
    auto *pane = new QWidget;
    frmMain window(pane);
    window.show();
    const QSize frame = window.frameGeometry().size() - window.size();
    window.resize(QSize(widthPx, heightPx) - frame);
    QTRY_COMPARE(window.frameGeometry().size(), QSize(widthPx, heightPx));
    // The offscreen screen has 96 dpi: 15 twips a pixel.
    QCOMPARE(window.TwipsPerPixel(), 15.0);

    auto px = [](int twips) { return qRound(twips / 15.0); };
    QCOMPARE(pane->geometry(), QRect(px(10), px(480), px(qMax(0, widthPx * 15 - 80)),
                                     px(qMax(0, heightPx * 15 - 480))));
    // Left to right with 105 twips between them; 120 twips from the top, 255 twips high.
    const QList<QPushButton *> row{window.cmdQuit(), window.cmdDialer(), window.cmdHide(),
                                   window.cmdToggle(), window.cmdSettings()};
    const int widths[] = {1095, 855, 1215, 1575, 1215};
    int left = quitLeftTwips;
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(row[i]->geometry(), QRect(px(left), 8, px(widths[i]), 17));
        left += widths[i] + 105;
    }

    // Focus order: Quit, Hide, Toggle, Settings, the pane, Dial.
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.cmdQuit()->setFocus();
    for (const char *next : {"cmdHide", "cmdToggle", "cmdSettings", "browser", "cmdDialer"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(next));
    }
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
    QCOMPARE(window.NormalGeometryTwips(), (QList<int>{qRound(120 * tpp), qRound(90 * tpp),
                                                       qRound(700 * tpp), qRound(500 * tpp)}));
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
