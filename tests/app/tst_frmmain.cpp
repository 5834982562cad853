#include "app/frmMain.h"
#include "platform/QtMessageBox.h"

#include <QApplication>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QtTest>

// The main window as a real widget on the offscreen platform, which has 96 dpi: 15 twips a
// pixel.
class tst_frmMain : public QObject
{
    Q_OBJECT

private slots:
    void controlsFollowResize_data();
    void controlsFollowResize();
    void netFailMark_data();
    void netFailMark();
    void messageBoxIcons_data();
    void messageBoxIcons();
};

void tst_frmMain::controlsFollowResize_data()
{
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QRect>("pane");
    QTest::addColumn<int>("quitLeft");
    // The row ends 150 twips inside the right edge: 8865 - 6525 = 2340 twips = 156 px.
    QTest::newRow("designed") << QSize(591, 524) << QRect(1, 32, 586, 492) << 156;
    QTest::newRow("wide") << QSize(1600, 900) << QRect(1, 32, 1595, 868) << 1165;
    QTest::newRow("tiny: the row from the left edge") << QSize(4, 20) << QRect(1, 32, 0, 0) << 0;
}

void tst_frmMain::controlsFollowResize()
{
    QFETCH(QSize, outer);
    QFETCH(QRect, pane);
    QFETCH(int, quitLeft);
    auto *browser = new QWidget;
    frmMain window(browser);
    QCOMPARE(window.TwipsPerPixel(), 15.0);
    // Before monitoring was ever started: it can be started, and there is no modem to dial.
    QCOMPARE(window.cmdToggle()->text(), QStringLiteral("&Enable Monitor"));
    QVERIFY(!window.cmdDialer()->isEnabled());
    window.show();
    window.resize(outer - (window.frameGeometry().size() - window.size()));
    QTRY_COMPARE(window.frameGeometry().size(), outer);
    QCOMPARE(browser->geometry(), pane);
    QCOMPARE(window.lblNetFail()->geometry(), QRect(0, 0, 33, 25)); // 495 x 375 twips
    // 120 twips from the top, 255 high, 105 apart; widths 1095, 855, 1215, 1575, 1215 twips.
    const QList<std::pair<const char *, QString>> row{{"cmdQuit", "&Quit"},
                                                      {"cmdDialer", "&Dial"},
                                                      {"cmdHide", "&Hide"},
                                                      {"cmdToggle", "&Enable Monitor"},
                                                      {"cmdSettings", "&Settings"}};
    const int lefts[] = {0, 80, 144, 232, 344}, widths[] = {73, 57, 81, 105, 81};
    for (int i = 0; i < 5; ++i) {
        auto *button = window.findChild<QPushButton *>(QLatin1String(row[i].first));
        QVERIFY2(button, row[i].first);
        QCOMPARE(button->text(), row[i].second);
        QCOMPARE(button->geometry(), QRect(quitLeft + lefts[i], 8, widths[i], 17));
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

// Red: the bold 15.75 pt Webdings "~" where that font exists, else a drawn sign. Without the
// font, its row runs again in a child whose font set-up lets a serif font answer to the name.
void tst_frmMain::netFailMark_data()
{
    QTest::addColumn<bool>("webdings");
    QTest::newRow("drawn") << false;
    QTest::newRow("Webdings") << true;
}

void tst_frmMain::netFailMark()
{
    QFETCH(bool, webdings);
    if (webdings != QFontDatabase::hasFamily(QStringLiteral("Webdings"))) {
        if (!webdings)
            QSKIP("Webdings is installed: the mark is never drawn here");
        QVERIFY2(qEnvironmentVariableIsEmpty("FONTCONFIG_FILE"), "the stand-in is not taken");
        QTemporaryFile conf;
        QVERIFY(conf.open());
        conf.write("<fontconfig><include>/etc/fonts/fonts.conf</include><alias binding=\"same\">"
                   "<family>Webdings</family><prefer><family>DejaVu Serif</family></prefer>"
                   "</alias></fontconfig>");
        conf.close();
        QProcess child;
        child.setProcessChannelMode(QProcess::MergedChannels);
        qputenv("FONTCONFIG_FILE", conf.fileName().toLocal8Bit());
        child.start(QCoreApplication::applicationFilePath(), {"netFailMark:Webdings"});
        qunsetenv("FONTCONFIG_FILE");
        QVERIFY(child.waitForFinished(60000));
        const QByteArray out = child.readAll();
        QVERIFY2(child.exitCode() == 0 && out.contains("PASS   : tst_frmMain::netFailMark"), out);
        return;
    }
    frmMain window(new QWidget);
    QImage seen(window.lblNetFail()->size(), QImage::Format_ARGB32_Premultiplied);
    seen.fill(Qt::transparent);
    window.lblNetFail()->render(&seen, {}, {}, {}); // the mark alone, without the window
    QImage expected(QSize(33, 25), QImage::Format_ARGB32_Premultiplied); // 495 x 375 twips
    expected.fill(Qt::transparent);
    if (webdings) {
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
    QCOMPARE(seen.size(), expected.size());
    int solid = 0; // pure red, and red blended into nothing at its edges
    for (int y = 0; y < seen.height(); ++y) {
        for (int x = 0; x < seen.width(); ++x) {
            const QRgb pixel = seen.pixel(x, y);
            QVERIFY(qRed(pixel) == qAlpha(pixel) && qGreen(pixel) == 0 && qBlue(pixel) == 0);
            solid += qAlpha(pixel) == 255;
        }
    }
    QVERIFY2(solid > 8, qPrintable(QString::number(solid)));
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
    QString seen;
    QTimer::singleShot(0, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            seen = QString("%1|%2|%3|%4").arg(box->icon()).arg(box->buttons().size());
            seen = seen.arg(box->windowTitle(), box->text());
            box->button(QMessageBox::Ok)->click();
        }
    });
    if (critical)
        boxes.Critical(QStringLiteral("Title"), QStringLiteral("Text"));
    else
        boxes.Message(QStringLiteral("Title"), QStringLiteral("Text"));
    QCOMPARE(seen, QString("%1|1|Title|Text").arg(icon));
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
