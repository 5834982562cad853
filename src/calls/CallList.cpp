// SPDX-License-Identifier: GPL-3.0-or-later
#include "calls/CallList.h"

#include "base/LogText.h"
#include "calls/CallCsv.h"
#include "calls/CallSchema.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>
#include <unistd.h>

namespace {
Q_LOGGING_CATEGORY(lcCallList, "ringscout.calls", QtWarningMsg)

const QString kColumns =
    QStringLiteral("row, at, direction, outcome, number, name, source, origin, seen");

// "+1-555", "0100": what a user types for a number.
bool isNumberSearch(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^\\+?[0-9][0-9-]*$"));
    return number.match(text).hasMatch();
}

// LIKE's own characters in the user's text match themselves.
QString likePattern(QString text)
{
    text.replace(QLatin1String("\\"), QLatin1String("\\\\"))
        .replace(QLatin1String("%"), QLatin1String("\\%"))
        .replace(QLatin1String("_"), QLatin1String("\\_"));
    return QLatin1Char('%') + text + QLatin1Char('%');
}

QString placeholders(qsizetype count)
{
    QStringList marks(count, QStringLiteral("?"));
    return marks.join(QLatin1Char(','));
}
} // namespace

CallList::CallList(QString path) : m_path(std::move(path))
{
    static std::atomic<int> count;
    m_connection = QStringLiteral("ringscout-calllist-%1").arg(++count);
}

CallList::~CallList()
{
    if (m_database) {
        m_database->close();
        m_database.reset();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

QSqlDatabase *CallList::database()
{
    if (m_database && m_database->tables().contains(QStringLiteral("calls")))
        return &*m_database;
    const QFileInfo file(m_path);
    if (!file.isFile())
        return nullptr; // opening would make the file: that is the store's to do
    if (!m_database) {
        m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        m_database->setDatabaseName(m_path);
        // Never a second user's or another program's copy: read it, leave it as it is.
        m_writable = file.ownerId() == ::geteuid();
        m_database->setConnectOptions(m_writable ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=500")
                                                 : QStringLiteral("QSQLITE_OPEN_READONLY"));
    }
    if (!m_database->isOpen() && !m_database->open()) {
        m_error = m_database->lastError().text();
        qCInfo(lcCallList) << "cannot open" << LogText(m_path) << LogText(m_error);
        return nullptr;
    }
    return m_database->tables().contains(QStringLiteral("calls")) ? &*m_database : nullptr;
}

std::pair<QString, QVariantList> CallList::pageSql(const Query &query, bool byNumberIndex)
{
    QStringList where;
    QVariantList values;
    if (query.filter == Filter::Missed)
        where.append(QLatin1String(CallSchema::kMissedWhere));
    const QString search = query.search.trimmed();
    if (isNumberSearch(search)) {
        // A range on the number's index: the numbers that begin as typed.
        where.append(byNumberIndex ? QStringLiteral("number >= ? AND number < ?")
                                   : QStringLiteral("+number >= ? AND +number < ?"));
        QString above = search;
        above.back() = QChar(above.back().unicode() + 1);
        values << search << above;
    } else if (!search.isEmpty()) {
        where.append(QStringLiteral("(number LIKE ? ESCAPE '\\' OR name LIKE ? ESCAPE '\\')"));
        values << likePattern(search) << likePattern(search);
    }
    if (query.after) {
        where.append(QStringLiteral("(at, row) < (?, ?)"));
        values << query.after->at << query.after->row;
    }
    QString sql = QStringLiteral("SELECT %1 FROM calls").arg(kColumns);
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY at DESC, row DESC");
    if (query.limit > 0)
        sql += QStringLiteral(" LIMIT %1").arg(query.limit);
    return {sql, values};
}

bool CallList::forEach(const Query &query, const std::function<void(const Entry &)> &each)
{
    QSqlDatabase *db = database();
    if (!db)
        return false;
    const QString search = query.search.trimmed();
    const auto [sql, values] =
        pageSql(query, !isNumberSearch(search) || fewNumbersBegin(*db, search));
    QSqlQuery select(*db);
    select.setForwardOnly(true);
    select.prepare(sql);
    for (const QVariant &value : values)
        select.addBindValue(value);
    if (!select.exec()) {
        m_error = select.lastError().text();
        qCInfo(lcCallList) << "cannot read the list:" << LogText(m_error);
        return false;
    }
    while (select.next()) {
        each({select.value(0).toLongLong(), select.value(1).toLongLong(),
              select.value(2).toString(), select.value(3).toString(), select.value(4).toString(),
              select.value(5).toString(), select.value(6).toString(), select.value(7).toString(),
              select.value(8).toInt() == 0 && (select.value(3).toString() == CallSchema::kMissed ||
                                               select.value(3).toString() == CallSchema::kGaveUp)});
    }
    return true;
}

bool CallList::fewNumbersBegin(QSqlDatabase &db, const QString &search)
{
    QString above = search;
    above.back() = QChar(above.back().unicode() + 1);
    QSqlQuery count(db);
    count.prepare(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM calls WHERE number >= ? "
                                 "AND number < ? LIMIT %1)")
                      .arg(kDenseNumbers));
    count.addBindValue(search);
    count.addBindValue(above);
    return count.exec() && count.next() && count.value(0).toInt() < kDenseNumbers;
}

QList<CallList::Entry> CallList::page(const Query &query)
{
    QList<Entry> entries;
    forEach(query, [&entries](const Entry &entry) { entries.append(entry); });
    return entries;
}

int CallList::unseenMissed()
{
    QSqlDatabase *db = database();
    if (!db)
        return 0;
    QSqlQuery count(*db);
    if (!count.exec(QStringLiteral("SELECT count(*) FROM calls WHERE seen = 0 AND %1")
                        .arg(QLatin1String(CallSchema::kMissedWhere))) ||
        !count.next())
        return 0;
    return count.value(0).toInt();
}

bool CallList::run(const QString &sql, const QVariantList &values)
{
    QSqlDatabase *db = database();
    if (!db)
        return false;
    if (!m_writable) {
        m_error = QStringLiteral("%1 belongs to another user; it is left as it is")
                      .arg(QDir::toNativeSeparators(m_path));
        return false;
    }
    QSqlQuery statement(*db);
    statement.prepare(sql);
    for (const QVariant &value : values)
        statement.addBindValue(value);
    if (statement.exec())
        return true;
    m_error = statement.lastError().text();
    qCInfo(lcCallList) << "cannot change the list:" << LogText(m_error);
    return false;
}

bool CallList::markSeen(const QList<qint64> &rows)
{
    return runOnRows(QStringLiteral("UPDATE calls SET seen = 1 WHERE seen = 0 AND row IN (%1)"),
                     rows);
}

bool CallList::markAllMissedSeen()
{
    return run(QStringLiteral("UPDATE calls SET seen = 1 WHERE seen = 0 AND %1")
                   .arg(QLatin1String(CallSchema::kMissedWhere)));
}

bool CallList::remove(const QList<qint64> &rows)
{
    return runOnRows(QStringLiteral("DELETE FROM calls WHERE row IN (%1)"), rows);
}

// In bounded batches: SQLite takes a limited count of bound values per statement.
bool CallList::runOnRows(const QString &sql, const QList<qint64> &rows)
{
    for (qsizetype at = 0; at < rows.size(); at += 500) {
        const QList<qint64> batch = rows.mid(at, 500);
        if (!run(sql.arg(placeholders(batch.size())), {batch.begin(), batch.end()}))
            return false;
    }
    return true;
}

bool CallList::clear()
{
    return run(QStringLiteral("DELETE FROM calls"));
}

bool CallList::exportCsv(const Query &query, QIODevice &out)
{
    Query all = query;
    all.after.reset();
    all.limit = 0;
    bool written = out.write(CallCsv::record({QStringLiteral("time"), QStringLiteral("direction"),
                                              QStringLiteral("outcome"), QStringLiteral("number"),
                                              QStringLiteral("name"), QStringLiteral("source"),
                                              QStringLiteral("origin")})) > 0;
    const bool read = forEach(all, [&](const Entry &entry) {
        const QString time =
            QDateTime::fromMSecsSinceEpoch(entry.at).toLocalTime().toString(Qt::ISODate);
        written = written &&
                  out.write(CallCsv::record({time, entry.direction, entry.outcome, entry.number,
                                             entry.name, entry.source, entry.origin})) > 0;
    });
    if (!written)
        m_error = out.errorString();
    return written && (read || !database());
}
