// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Call.h"

#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <optional>

// "ringscout.calls": every fault of the call list's file, and what was done about it.
Q_DECLARE_LOGGING_CATEGORY(lcCalls)

// The call list's SQLite file: opens it safely (never another user's file or a link), keeps
// its layout current, writes each call and its end with bound values only, removes old calls,
// and sets a corrupt file aside for a fresh one. Every fault is logged and swallowed: a call
// that cannot be written is lost from the list, never from the screen. Used from one thread.
class CallStore : public QObject
{
    Q_OBJECT

public:
    // calls.sqlite in the program's data folder (~/.local/share/Belvane/Ringscout/).
    static QString defaultPath();

    explicit CallStore(QString path = defaultPath(), QObject *parent = nullptr);
    ~CallStore() override;

    const QString &path() const { return m_path; }
    // The database is open and its layout current; open() tries again.
    bool isOpen() const { return m_ready; }
    bool open();
    void close();

    // A new row with this outcome word; opens the file first if need be.
    bool record(const Call &call, QLatin1StringView outcome);
    // The outcome of the newest call of this id that has none yet.
    bool end(const CallEnd &end);
    // Keeps at most `maxCalls` calls and none older than `days` days before `now`; a limit of
    // 0 or less is no limit, so a bad setting never empties the list.
    void prune(int maxCalls, int days, const QDateTime &now);

signals:
    void recorded(const Call &call);
    // Rows were changed or removed.
    void changed();
    // The file could not be read and was set aside; `text` tells the user where it is.
    void movedAside(const QString &text);

private:
    enum class Health { Ok, Corrupt, Unusable };
    bool safeToWrite() const;
    bool connectFile();
    Health prepare();
    int layout();
    Health migrate(int version);
    bool exec(const QString &statement, QSqlQuery *query = nullptr);
    void moveAside();
    bool ensureOpen();
    bool insert(const Call &call, QLatin1StringView outcome);
    void fault(const char *what, const class QSqlError &error);

    QString m_path;
    QString m_connection;
    QSqlDatabase m_db;
    std::optional<QSqlQuery> m_insert;
    bool m_ready = false;
    // A failed open is tried again at the next write, but not at every one of a burst.
    QDeadlineTimer m_retry;
};
