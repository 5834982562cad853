#include "platform/QtMessageBox.h"

#include <QMessageBox>

void QtMessageBox::Critical(const QString &title, const QString &text)
{
    QMessageBox::critical(nullptr, title, text, QMessageBox::Ok);
}

void QtMessageBox::Message(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.exec();
}
