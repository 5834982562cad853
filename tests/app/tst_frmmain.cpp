// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frmMain.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
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
    QCOMPARE(window.TwipsPerPixel(), 15.0);
    // Before monitoring was ever started: it can be started, and there is no modem to dial.
    QCOMPARE(window.cmdToggle()->text(), QStringLiteral("&Enable Monitor"));
    QVERIFY(!window.cmdDialer()->isEnabled());
    window.show();
    window.resize(QSize(591, 524) - (window.frameGeometry().size() - window.size()));
    QTRY_COMPARE(window.frameGeometry().size(), QSize(591, 524));
    QCOMPARE(browser->geometry(), QRect(1, 32, 586, 492));
    QCOMPARE(window.lblNetFail()->geometry(), QRect(0, 0, 33, 25)); // 495 x 375 twips
    // 120 twips from the top, 255 high, 105 apart; widths 1095, 855, 1215, 1575, 1215 twips.
    for (const QString row :
         {"cmdQuit|&Quit|0|73", "cmdDialer|&Dial|80|57", "cmdHide|&Hide|144|81",
          "cmdToggle|&Enable Monitor|232|105", "cmdSettings|&Settings|344|81"}) {
        const QStringList field = row.split('|');
        const auto *button = window.findChild<QPushButton *>(field[0]);
        QVERIFY2(button && button->text() == field[1], qPrintable(row));
        QCOMPARE(button->geometry(), QRect(156 + field[2].toInt(), 8, field[3].toInt(), 17));
    }
    // Focus order: Quit, Hide, Toggle, Settings, the pane, Dial.
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.SetDialerEnabled(true);
    window.cmdQuit()->setFocus();
    for (const char *next : {"cmdHide", "cmdToggle", "cmdSettings", "browser", "cmdDialer"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(next));
    }
    QTest::mouseClick(window.cmdHide(), Qt::LeftButton);
    QTRY_VERIFY(window.isMinimized());
    QVERIFY(window.isVisible()); // Hide minimises: still on the task bar
    window.RestoreNormal();
    QTRY_VERIFY(!window.isMinimized());
}

// Pure red: the bold 15.75 pt Webdings "~" where that font exists, else a drawn sign. ctest runs
// this again (tst_frmmain_webdings) where a serif font answers to the name Webdings.
void tst_frmMain::netFailMark()
{
    const bool webdings = QFontDatabase::hasFamily(QStringLiteral("Webdings"));
    QVERIFY(webdings || !qEnvironmentVariableIsSet("RINGSCOUT_WANT_WEBDINGS"));
    frmMain window(new QWidget);
    QImage seen(QSize(33, 25), QImage::Format_ARGB32_Premultiplied);
    seen.fill(Qt::transparent);
    window.lblNetFail()->render(&seen, {}, {}, {}); // the mark alone, without the window
    if (!webdings) {                                // a drawn sign, its stroke through the middle
        QCOMPARE(seen.pixelColor(16, 12), QColor(255, 0, 0));
        return;
    }
    QImage expected(seen.size(), QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::transparent);
    QPainter painter(&expected);
    QFont font(QStringLiteral("Webdings"));
    font.setPointSizeF(15.75);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(255, 0, 0));
    painter.drawText(expected.rect(), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("~"));
    painter.end();
    QCOMPARE(seen, expected);
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
