// SPDX-License-Identifier: GPL-3.0-or-later
#include "calls/CallListModel.h"

#include "calls/CallSchema.h"

#include <QBrush>
#include <QDateTime>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

namespace {

// An arrow out of the corner for a call out, into it for a call in; red when missed.
QPixmap arrow(bool out, const QColor &colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 2));
    const QPointF tail = out ? QPointF(3, 13) : QPointF(13, 3);
    const QPointF head = out ? QPointF(13, 3) : QPointF(3, 13);
    painter.drawLine(tail, head);
    const QPointF side = out ? QPointF(-6, 0) : QPointF(6, 0);
    const QPointF down = out ? QPointF(0, 6) : QPointF(0, -6);
    painter.drawPolyline(QPolygonF({head + side, head, head + down}));
    return pixmap;
}

QString sourceText(const CallList::Entry &entry)
{
    const QString way = entry.source == QLatin1String("yac")     ? QStringLiteral("YAC")
                        : entry.source == QLatin1String("pbx")   ? QStringLiteral("PBX")
                        : entry.source == QLatin1String("modem") ? QStringLiteral("Modem")
                                                                 : entry.source;
    return entry.origin.isEmpty() ? way : way + QStringLiteral(" (%1)").arg(entry.origin);
}

} // namespace

CallListModel::CallListModel(CallList &list, QObject *parent)
    : QAbstractTableModel(parent), m_list(list), m_inIcon(arrow(false, Qt::darkGreen)),
      m_outIcon(arrow(true, Qt::darkBlue)), m_missedIcon(arrow(false, Qt::red))
{}

void CallListModel::reload(CallList::Filter filter, const QString &search)
{
    beginResetModel();
    m_query = {filter, search, std::nullopt, kPageSize};
    m_entries = m_list.page(m_query);
    m_more = m_entries.size() == kPageSize;
    endResetModel();
    emit fetched();
}

bool CallListModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_more;
}

void CallListModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent) || m_entries.isEmpty())
        return;
    m_query.after = m_entries.back();
    const QList<CallList::Entry> more = m_list.page(m_query);
    m_more = more.size() == kPageSize;
    if (more.isEmpty())
        return;
    beginInsertRows({}, int(m_entries.size()), int(m_entries.size() + more.size() - 1));
    m_entries.append(more);
    endInsertRows();
    emit fetched();
}

QList<qint64> CallListModel::unseenRows() const
{
    QList<qint64> rows;
    for (const CallList::Entry &entry : m_entries) {
        if (entry.unseen)
            rows.append(entry.row);
    }
    return rows;
}

int CallListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int CallListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

bool CallListModel::missed(const CallList::Entry &entry)
{
    return entry.outcome == CallSchema::kMissed || entry.outcome == CallSchema::kGaveUp;
}

QString CallListModel::visible(const QString &text)
{
    QString shown = text;
    for (QChar &c : shown) {
        if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode()); // "␍", "␊": the control pictures
        else if (c.unicode() == 0x7f)
            c = QChar(0x2421);
    }
    return shown;
}

QVariant CallListModel::display(const CallList::Entry &entry, int column) const
{
    switch (column) {
    case Time:
        return QDateTime::fromMSecsSinceEpoch(entry.at).toLocalTime().toString(
            QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case Kind:
        return (entry.direction == QLatin1String("out") ? QStringLiteral("Out, ")
                                                        : QStringLiteral("In, ")) +
               entry.outcome;
    case Number:
        return visible(entry.number);
    case Name:
        return visible(entry.name);
    case Source:
        return visible(sourceText(entry));
    }
    return {};
}

QVariant CallListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size())
        return {};
    const CallList::Entry &entry = m_entries.at(index.row());
    const bool isMissed = missed(entry);
    switch (role) {
    case Qt::DisplayRole:
        return display(entry, index.column());
    case Qt::DecorationRole:
        if (index.column() == Kind) {
            return isMissed                                  ? m_missedIcon
                   : entry.direction == QLatin1String("out") ? m_outIcon
                                                             : m_inIcon;
        }
        return {};
    case Qt::ForegroundRole:
        return isMissed && index.column() == Kind ? QBrush(Qt::red) : QVariant();
    case Qt::FontRole:
        if (entry.unseen) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::ToolTipRole:
        return index.column() == Name || index.column() == Number ? display(entry, index.column())
                                                                  : QVariant();
    }
    return {};
}

QVariant CallListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const kTitles[] = {"Time", "Call", "Number", "Name", "Source"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(kTitles[section])
                                                 : QVariant();
}
