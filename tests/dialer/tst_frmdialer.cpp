#include "dialer/frmDialer.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// The Phone Dialer dialog on the offscreen platform (96 dpi: 15 twips to the pixel).
class tst_frmDialer : public QObject
{
    Q_OBJECT

private slots:
    void controls_data();
    void controls();
    void confirmAndLeave();
};

void tst_frmDialer::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips"); // left, top, width, height as designed
    QTest::addColumn<QString>("text");
    QTest::newRow("Label1") << "Label1" << QRect(0, 120, 855, 255) << "&Number:";
    QTest::newRow("txtNumber") << "txtNumber" << QRect(1080, 120, 3975, 285) << "";
    QTest::newRow("OKButton") << "OKButton" << QRect(5160, 120, 495, 255) << "&OK";
    QTest::newRow("cmdCancel") << "cmdCancel" << QRect(5760, 120, 735, 255) << "&Cancel";
}

void tst_frmDialer::controls()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    frmDialer dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Phone Dialer"));
    QCOMPARE(dialog.size(), QSize(439, 34)); // 6585 x 510 twips inside
    QWidget *control = dialog.findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(),
             QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
    const QVariant text = control->property("text");
    QTEST(text.toString(), "text");

    // Tab order: the number, OK, Cancel; the label's access key leads to the number.
    QCOMPARE(dialog.txtNumber()->nextInFocusChain(), dialog.OKButton());
    QCOMPARE(dialog.OKButton()->nextInFocusChain(), dialog.cmdCancel());
    QCOMPARE(dialog.findChild<QLabel *>("Label1")->buddy(), dialog.txtNumber());
}

void tst_frmDialer::confirmAndLeave()
{
    frmDialer dialog;
    QSignalSpy confirmed(&dialog, &frmDialer::numberConfirmed);
    QSignalSpy dismissed(&dialog, &frmDialer::dismissed);

    // Enter in the field is OK, with the text exactly as typed.
    dialog.ShowAndFocus();
    QTest::keyClicks(dialog.txtNumber(), " 555-CALL ");
    QTest::keyClick(dialog.txtNumber(), Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(confirmed.size(), 1);
    QCOMPARE(confirmed[0][0].toString(), QStringLiteral(" 555-CALL "));

    // Escape, the close box and Cancel each leave without a number.
    dialog.ShowAndFocus();
    QTest::keyClick(dialog.txtNumber(), Qt::Key_Escape);
    dialog.ShowAndFocus();
    dialog.close();
    dialog.ShowAndFocus();
    QTest::mouseClick(dialog.cmdCancel(), Qt::LeftButton);
    QCOMPARE(dismissed.size(), 3);
    QCOMPARE(confirmed.size(), 1);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.txtNumber()->text(), QStringLiteral(" 555-CALL "));
}

QTEST_MAIN(tst_frmDialer)
#include "tst_frmdialer.moc"
