// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QtMessageBox.h"

#include <QMessageBox>

namespace {

// Failure texts carry what peers and pages sent (an AMI message, a setting's text): shown as
// plain text, so no markup in them is ever rendered.
void show(QMessageBox::Icon icon, const QString &title, const QString &text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

void QtMessageBox::critical(const QString &title, const QString &text)
{
    show(QMessageBox::Critical, title, text);
}

bool QtMessageBox::question(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

void QtMessageBox::message(const QString &title, const QString &text)
{
    show(QMessageBox::NoIcon, title, text);
}
