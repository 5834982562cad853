// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <functional>
#include <optional>

class QIODevice;

// The call list as the Calls window reads and edits it, over a connection of its own to the
// store's file: pages newest first by keyset (so a million calls page as fast as a hundred),
// the unseen missed count, marking seen, deleting and the CSV export. A file that is missing,
// not yet a list, or another user's gives an empty list and is never created or written.
class CallList
{
public:
    enum class Filter { All, Missed };

    // One call as the window shows it.
    struct Entry
    {
        qint64 row = 0;
        qint64 at = 0; // ms since 1970 UTC
        QString direction, outcome, number, name, source, origin;
        bool unseen = false; // a missed call not looked at yet
    };

    // The calls after `after` (the last entry of the page before; none: the newest).
    struct Query
    {
        Filter filter = Filter::All;
        QString search;
        std::optional<Entry> after;
        int limit = 200;
    };

    // The store's file: calls.sqlite in the application's data folder.

    explicit CallList(QString path);
    ~CallList();
    CallList(const CallList &) = delete;
    CallList &operator=(const CallList &) = delete;

    // Of the numbers a search begins, this many or more are found faster newest first than
    // through the number's index, which must then sort them all.
    static constexpr int kDenseNumbers = 5000;

    // The SQL and its bound values for one page; digits alone search numbers that begin with
    // them (`byNumberIndex`: through the number's index), other text numbers and names that
    // hold it.
    static std::pair<QString, QVariantList> pageSql(const Query &query, bool byNumberIndex = true);

    QList<Entry> page(const Query &query);
    int unseenMissed();
    // False, with error() saying why, when the file could not be written.
    bool markSeen(const QList<qint64> &rows);
    bool markAllMissedSeen();
    bool remove(const QList<qint64> &rows);
    bool clear();
    // Every call the filter and search select, newest first, as CSV (RFC 4180, UTF-8).
    bool exportCsv(const Query &query, QIODevice &out);
    QString error() const { return m_error; }

private:
    // The connection, opened when the file has become a list; nullptr otherwise.
    QSqlDatabase *database();
    bool run(const QString &sql, const QVariantList &values = {});
    // `sql` with %1 where the rows' placeholders go, run for the rows.
    bool runOnRows(const QString &sql, const QList<qint64> &rows);
    bool forEach(const Query &query, const std::function<void(const Entry &)> &each);
    bool fewNumbersBegin(QSqlDatabase &db, const QString &search);

    QString m_path;
    QString m_connection;
    std::optional<QSqlDatabase> m_database;
    bool m_writable = false;
    QString m_error;
};
