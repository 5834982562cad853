// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/NetFailMark.h"

#include <QFontDatabase>
#include <QPainter>

NetFailMark::NetFailMark(QWidget *parent)
    : QWidget(parent), m_hasWebdings(QFontDatabase::hasFamily(QStringLiteral("Webdings")))
{
    setToolTip(tr("The connection to the Asterisk server is down"));
}

void NetFailMark::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor red(255, 0, 0);
    if (m_hasWebdings) {
        QFont font(QStringLiteral("Webdings"));
        font.setPointSizeF(15.75);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(red);
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("~"));
        return;
    }
    const int side = qMin(width(), height()) - 4;
    const QRectF circle((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    painter.setPen(QPen(red, qMax(2.0, side / 7.0)));
    painter.drawEllipse(circle);
    painter.drawLine(circle.topLeft() + QPointF(side * 0.15, side * 0.15),
                     circle.bottomRight() - QPointF(side * 0.15, side * 0.15));
}
