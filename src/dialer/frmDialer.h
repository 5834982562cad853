// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// The Phone Dialer dialog: the user types a number and confirms it. Made once and then only
// hidden and shown, so the field keeps the last number typed. Enter confirms; Escape and the
// close box leave it like Cancel.
class frmDialer : public QDialog
{
    Q_OBJECT

public:
    explicit frmDialer(QWidget *parent = nullptr);

    QLineEdit *txtNumber() const { return m_txtNumber; }
    QPushButton *OKButton() const { return m_OKButton; }
    QPushButton *cmdCancel() const { return m_cmdCancel; }

    // Shows the dialog, not modal, with the input focus in the number field.
    void showAndFocus();
    // While `awaited` says what the number waits for ("connecting to the PBX"), the title
    // says it and OK is held back; "" ends the wait.
    void setWaiting(const QString &awaited);

signals:
    // OK, with the text exactly as typed (empty included); the dialog is hidden already.
    void numberConfirmed(const QString &number);
    // Cancel, Escape or the close box; the dialog is hidden already.
    void dismissed();

private:
    QLineEdit *m_txtNumber;
    QPushButton *m_OKButton;
    QPushButton *m_cmdCancel;
};
