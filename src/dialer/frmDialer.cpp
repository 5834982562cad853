// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialer/frmDialer.h"

#include "dialer/DialerControls.h"
#include "forms/FormBuilder.h"

#include <QLineEdit>
#include <QPushButton>

frmDialer::frmDialer(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDialer"));
    setWindowTitle(QStringLiteral("Phone Dialer"));
    const QHash<QString, QWidget *> controls = buildForm(*this, kDialerControls);
    m_txtNumber = qobject_cast<QLineEdit *>(controls.value(QStringLiteral("txtNumber")));
    m_OKButton = qobject_cast<QPushButton *>(controls.value(QStringLiteral("OKButton")));
    m_cmdCancel = qobject_cast<QPushButton *>(controls.value(QStringLiteral("cmdCancel")));
    m_OKButton->setDefault(true);
    const TwipsScale scale = scaleOf(*this);
    setFixedSize(scale.toPixels(kDialerClientWidth), scale.toPixels(kDialerClientHeight));

    connect(m_OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::accepted, this, [this] { emit numberConfirmed(m_txtNumber->text()); });
    connect(this, &QDialog::rejected, this, &frmDialer::dismissed);
}

void frmDialer::showAndFocus()
{
    show();
    raise();
    activateWindow();
    m_txtNumber->setFocus();
}

void frmDialer::setWaiting(const QString &awaited)
{
    m_OKButton->setEnabled(awaited.isEmpty());
    setWindowTitle(awaited.isEmpty() ? QStringLiteral("Phone Dialer")
                                     : QStringLiteral("Phone Dialer - %1…").arg(awaited));
}
