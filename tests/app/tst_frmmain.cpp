// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frmMain.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QPushButton>
#include <QtTest>

// The main window as a real widget on the offscreen platform, which has 96 dpi: 15 twips a
// pixel.
class tst_frmMain : public QObject
{
    Q_OBJECT

private slots:
    void controlsFollowResize();
    void netFailMark();
};

// The row ends 150 twips inside the right edge: 8865 - 6525 = 2340 twips = 156 px.
void tst_frmMain::controlsFollowResize()
{
    auto *browser = new QWidget;
    frmMain window(browser);
    // Before monitoring was ever started: no modem to dial with (the switch offers to start).
    QVERIFY(!window.cmdDialer()->isEnabled());
    window.show();
    window.resize(QSize(591, 524) - (window.frameGeometry().size() - window.size()));
    QTRY_COMPARE(window.frameGeometry().size(), QSize(591, 524));
    QCOMPARE(browser->geometry(), QRect(1, 32, 586, 492));
    QCOMPARE(window.lblNetFail()->geometry(), QRect(0, 0, 33, 25)); // 495 x 375 twips
    QCOMPARE(QAccessible::queryAccessibleInterface(window.lblNetFail())->text(QAccessible::Name),
             "Network failure"); // what a screen reader calls it
    // 120 twips from the top, 255 high, 105 apart; widths 1095, 855, 1215, 1575, 1215 twips.
    QString row; // each button's caption and place in px
    for (const char *name : {"cmdQuit", "cmdDialer", "cmdHide", "cmdToggle", "cmdSettings"}) {
        const auto *button = window.findChild<QPushButton *>(name);
        QDebug(&row).noquote() << button->text() << button->geometry();
    }
    QCOMPARE(row, "&Quit QRect(156,8 73x17) &Dial QRect(236,8 57x17) &Hide QRect(300,8 81x17) "
                  "&Enable Monitor QRect(388,8 105x17) &Settings QRect(500,8 81x17) ");
    QTest::mouseClick(window.cmdHide(), Qt::LeftButton);
    QTRY_VERIFY(window.isMinimized());
    QVERIFY(window.isVisible()); // Hide minimises: still on the task bar
    window.restoreNormal();
    QTRY_VERIFY(!window.isMinimized());
}

// The mark in the window: pure red, inside its 495 x 375 twips box in the top-left corner and
// nowhere else; the bold 15.75 pt (21 px) Webdings "~" where that font exists (ctest runs this
// again as tst_frmmain_webdings, where a serif font answers to that name), else a drawn sign.
void tst_frmMain::netFailMark()
{
    const bool webdings = QFontDatabase::hasFamily(QStringLiteral("Webdings"));
    QVERIFY(webdings || !qEnvironmentVariableIsSet("RINGSCOUT_WANT_WEBDINGS"));
    frmMain window(new QWidget);
    window.setNetFailVisible(true);
    const QImage seen = window.grab().toImage();
    QRect ink; // where red shows, also blended into the background at the glyph's edges
    int pure = 0;
    for (int y = 0; y < seen.height(); ++y) {
        for (int x = 0; x < seen.width(); ++x) {
            const QColor c = seen.pixelColor(x, y);
            if (c.red() - qMax(c.green(), c.blue()) > 64)
                ink |= QRect(x, y, 1, 1);
            pure += c == QColor(255, 0, 0);
        }
    }
    QVERIFY(QRect(0, 0, 33, 25).contains(ink) && pure > 0);
    // A "~" is wider than 3/5 of its em; a bold stroke is fully red along half its width.
    QVERIFY(!webdings || (ink.width() >= 21 * 3 / 5 && pure >= ink.width() / 2));
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
