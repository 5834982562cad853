#include "app/frmMain.h"
#include "platform/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
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
    void geometryInTwips_data();
    void geometryInTwips();
    void messageBoxIcons_data();
    void messageBoxIcons();
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
    // Before monitoring was ever started: it can be started, and there is no modem to dial.
    QCOMPARE(window.cmdToggle()->text(), QStringLiteral("&Enable Monitor"));
    QVERIFY(!window.cmdDialer()->isEnabled());
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
    window.SetDialerEnabled(true);
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

void tst_frmMain::geometryInTwips_data()
{
    QTest::addColumn<QRect>("stored"); // pixels, stored as twips; 0 leaves a value as it is
    QTest::addColumn<QRect>("expected");
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QTest::newRow("fits: applied as stored") << QRect(60, 90, 700, 500) << QRect(60, 90, 700, 500);
    QTest::newRow("no size: moved only") << QRect(120, 90, 0, 0) << QRect(120, 90, 0, 0);
    QTest::newRow("2147483647 twips: the screen")
        << QRect(0, 0, 2147483647, 2147483647) << QRect(screen.topLeft(), screen.size());
}

void tst_frmMain::geometryInTwips()
{
    QFETCH(QRect, stored);
    QFETCH(QRect, expected);
    frmMain window(new QWidget);
    const double tpp = window.TwipsPerPixel();
    auto twips = [tpp](int pixels) { return pixels > 100000 ? pixels : qRound(pixels * tpp); };
    // Applied before the window is shown, as at start-up.
    window.SetGeometryTwips(twips(stored.x()), twips(stored.y()), twips(stored.width()),
                            twips(stored.height()));
    window.show();
    if (expected.isEmpty()) // the designed client area in its frame
        expected.setSize(QSize(583, 490) + window.frameGeometry().size() - window.size());
    QTRY_COMPARE(window.frameGeometry(), expected);
    QCOMPARE(window.NormalGeometryTwips(),
             (QList<int>{qRound(expected.x() * tpp), qRound(expected.y() * tpp),
                         qRound(expected.width() * tpp), qRound(expected.height() * tpp)}));
}

// The boxes have one OK button; only failures carry the stop icon.
void tst_frmMain::messageBoxIcons_data()
{
    QTest::addColumn<bool>("critical");
    QTest::addColumn<int>("icon");
    QTest::newRow("failure") << true << int(QMessageBox::Critical);
    QTest::newRow("refused login: no icon") << false << int(QMessageBox::NoIcon);
}

void tst_frmMain::messageBoxIcons()
{
    QFETCH(bool, critical);
    QFETCH(int, icon);
    QtMessageBox boxes;
    int seenIcon = -1;
    QString seenText;
    QTimer::singleShot(0, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            seenIcon = box->icon();
            seenText = box->windowTitle() + '|' + box->text();
            QCOMPARE(box->buttons().size(), qsizetype(1));
            box->button(QMessageBox::Ok)->click();
        }
    });
    if (critical)
        boxes.Critical(QStringLiteral("Title"), QStringLiteral("Text"));
    else
        boxes.Message(QStringLiteral("Title"), QStringLiteral("Text"));
    QCOMPARE(seenIcon, icon);
    QCOMPARE(seenText, QStringLiteral("Title|Text"));
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
