// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialer/frmDialer.h"

#include "base/TelLink.h"
#include "dialer/DialerControls.h"
#include "forms/FormBuilder.h"
#include "forms/ScreenFit.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

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
    // What the field shows is what is dialled: a pasted or a page's number loses what would be
    // sent unseen or would show its digits in another order.
    connect(m_txtNumber, &QLineEdit::textChanged, this, [this](const QString &text) {
        const QString shown = TelLink::visibleText(text);
        if (shown == text)
            return;
        const int cursor = m_txtNumber->cursorPosition();
        m_txtNumber->setText(shown);
        m_txtNumber->setCursorPosition(int(TelLink::visibleText(text.left(cursor)).size()));
    });
    connect(this, &QDialog::accepted, this, [this] { emit numberConfirmed(m_txtNumber->text()); });
    connect(this, &QDialog::rejected, this, &frmDialer::dismissed);
}

void frmDialer::showAndFocus()
{
    show();
    // Shown again after its screen went away, it would stay where that screen was.
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    const QRect outer = frameGeometry();
    const int frameTop = geometry().top() - outer.top();
    const QRect fitted = fitToScreen(
        outer, areas, frameTop > 0 ? frameTop : style()->pixelMetric(QStyle::PM_TitleBarHeight));
    if (fitted.topLeft() != outer.topLeft())
        move(fitted.topLeft());
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
