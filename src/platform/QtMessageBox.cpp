#include "platform/QtMessageBox.h"

#include <QMessageBox>

void QtMessageBox::Critical(const QString &title, const QString &text)
{
    QMessageBox::critical(nullptr, title, text, QMessageBox::Ok);
}

void QtMessageBox::Information(const QString &title, const QString &text)
{
    QMessageBox::information(nullptr, title, text, QMessageBox::Ok);
}
