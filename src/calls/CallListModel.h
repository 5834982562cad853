// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calls/CallList.h"

#include <QAbstractTableModel>
#include <QPixmap>

// The Calls window's rows: the list newest first, a page at a time as the view scrolls, with
// the direction and outcome as an icon and a word (missed in red) and unseen missed calls bold.
class CallListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Time, Kind, Number, Name, Source, ColumnCount };
    static constexpr int kPageSize = 200;

    explicit CallListModel(CallList &list, QObject *parent = nullptr);

    // Reads the first page again for this filter and search.
    void reload(CallList::Filter filter, const QString &search);
    const CallList::Query &query() const { return m_query; }
    const CallList::Entry &entry(int row) const { return m_entries.at(row); }
    // The unseen missed calls loaded so far.
    QList<qint64> unseenRows() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    // Names and numbers as text: line ends and other control characters show as symbols.
    static QString visible(const QString &text);
    static bool missed(const CallList::Entry &entry);

signals:
    // A page came in.
    void fetched();

private:
    QVariant display(const CallList::Entry &entry, int column) const;

    CallList &m_list;
    CallList::Query m_query;
    QList<CallList::Entry> m_entries;
    bool m_more = false;
    QPixmap m_inIcon, m_outIcon, m_missedIcon;
};
