// SPDX-License-Identifier: GPL-3.0-or-later
#include "calls/CallStore.h"

#include "calls/CallSchema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <span>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcCalls, "ringscout.calls", QtWarningMsg)

namespace {

// Step n brings a file of user_version n to n + 1; a new layout adds a step.
const std::span<const char *const> kSteps[] = {CallSchema::kCreate};
static_assert(std::size(kSteps) == CallSchema::kVersion);

// SQLite's extended result codes keep the primary code in the low byte.
constexpr int kSqliteCorrupt = 11, kSqliteNotADb = 26;
// How long a writer waits for another's lock: off the user-interface thread, never a pop's.
constexpr int kBusyTimeoutMs = 2000;
constexpr int kRetryMs = 60000;

bool corrupt(const QSqlError &error)
{
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == kSqliteCorrupt || code == kSqliteNotADb;
}

// At most kMaxText characters, never half of a surrogate pair; "" for none, as NULL would
// break the columns' NOT NULL.
QString cut(const QString &text)
{
    if (text.isNull())
        return QStringLiteral("");
    if (text.size() <= CallSchema::kMaxText)
        return text;
    const qsizetype n =
        CallSchema::kMaxText - int(text[CallSchema::kMaxText - 1].isHighSurrogate());
    return text.left(n);
}

QLatin1StringView sourceWord(const Call &call)
{
    switch (call.source) {
    case Call::Source::Modem:
        return QLatin1StringView("modem");
    case Call::Source::Yac:
        return QLatin1StringView("yac");
    case Call::Source::Asterisk:
        break;
    }
    return QLatin1StringView("pbx");
}

// Ours to write: a plain file (or none yet) of this user, not a link someone put in its place,
// and not made read-only (which would not stop root).
bool ours(const QString &path, bool directory)
{
    struct stat st = {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT;
    const bool kind = directory ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
    if (kind && st.st_uid == ::geteuid() && (st.st_mode & S_IWUSR))
        return true;
    qCDebug(lcCalls) << "not written:" << path
                     << "is a link, another user's, read-only or of another kind";
    return false;
}

} // namespace

QString CallStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/calls.sqlite");
}

CallStore::CallStore(QString path, QObject *parent)
    : QObject(parent), m_path(std::move(path)),
      m_connection(QStringLiteral("ringscout-calls-%1").arg(quintptr(this), 0, 16))
{}

CallStore::~CallStore()
{
    close();
}

void CallStore::close()
{
    m_ready = false;
    m_insert.reset(); // a QSqlQuery() would take the default connection, maybe another thread's
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

bool CallStore::open()
{
    close();
    m_retry = QDeadlineTimer(kRetryMs);
    if (!safeToWrite() || !connectFile())
        return false;
    Health health = prepare();
    if (health == Health::Corrupt) {
        moveAside();
        health = safeToWrite() && connectFile() ? prepare() : Health::Unusable;
    }
    if (health != Health::Ok) {
        close();
        return false;
    }
    m_insert.emplace(m_db);
    // A ring group rings two of the desk's extensions for one call: one row, by its ID.
    if (!m_insert->prepare(QStringLiteral(
            "INSERT INTO calls (call_id, at, direction, source, origin, number, name, channel, "
            "destination, outcome, detail) SELECT ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '' WHERE NOT "
            "EXISTS (SELECT 1 FROM calls WHERE call_id = ?)"))) {
        fault("preparing the insert", m_insert->lastError());
        close();
        return false;
    }
    m_ready = true;
    return true;
}

// The folder is made 0700 and a new file 0600; an existing file loses any group and other
// bits but is never made writable: a read-only list stays read-only.
bool CallStore::safeToWrite() const
{
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!ours(folder, true) || !QDir().mkpath(folder) ||
        !QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        qCDebug(lcCalls) << "cannot use the folder" << folder;
        return false;
    }
    for (const char *suffix : {"", "-wal", "-shm"}) {
        if (!ours(m_path + QLatin1StringView(suffix), false))
            return false;
    }
    const QByteArray file = QFile::encodeName(m_path);
    struct stat st = {};
    if (::lstat(file.constData(), &st) == 0) {
        ::chmod(file.constData(), st.st_mode & S_IRWXU);
        return true;
    }
    const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0) {
        qCDebug(lcCalls) << "cannot create" << m_path << ":" << strerror(errno);
        return false;
    }
    ::close(fd);
    return true;
}

bool CallStore::connectFile()
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(m_path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (m_db.open())
        return true;
    fault("opening", m_db.lastError());
    close();
    return false;
}

// Read first, as the file may be unreadable, newer or another program's; then WAL, so that a
// reader (the Calls window) never waits on a write and a killed writer leaves the file whole,
// and NORMAL, so that a write costs no fsync of its own.
CallStore::Health CallStore::prepare()
{
    QSqlQuery query(m_db);
    if (!exec(QStringLiteral("PRAGMA quick_check"), &query) || !query.next())
        return corrupt(query.lastError()) ? Health::Corrupt : Health::Unusable;
    if (const QString check = query.value(0).toString(); check != u"ok") {
        qCDebug(lcCalls) << "quick_check of" << m_path << "says" << check.left(200);
        return Health::Corrupt;
    }
    query.finish();
    const int version = layout();
    if (version < 0)
        return Health::Unusable;
    for (const char *pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL"}) {
        if (!exec(QString::fromLatin1(pragma)))
            return Health::Unusable;
    }
    return version == CallSchema::kVersion ? Health::Ok : migrate(version);
}

// The file's layout; -1 for a newer program's, or another program's database under our name.
int CallStore::layout()
{
    QSqlQuery query(m_db);
    if (!exec(QStringLiteral("PRAGMA user_version"), &query) || !query.next())
        return -1;
    const int version = query.value(0).toInt();
    const bool foreign = version == 0 &&
                         exec(QStringLiteral("SELECT count(*) FROM sqlite_master"), &query) &&
                         query.next() && query.value(0).toInt() > 0;
    if (version >= 0 && version <= CallSchema::kVersion && !foreign)
        return version;
    qCDebug(lcCalls) << "not written:" << m_path << "has layout" << version
                     << (foreign ? "and tables of another program" : "of a newer Ringscout");
    return -1;
}

CallStore::Health CallStore::migrate(int version)
{
    QSqlDatabase &db = m_db;
    db.transaction();
    for (int step = version; step < CallSchema::kVersion; ++step) {
        for (const char *statement : kSteps[step]) {
            if (!exec(QString::fromLatin1(statement))) {
                db.rollback();
                return Health::Unusable;
            }
        }
    }
    // A number of our own, not a value: PRAGMA takes no bound ones.
    if (!exec(QStringLiteral("PRAGMA user_version = %1").arg(CallSchema::kVersion)) ||
        !db.commit()) {
        db.rollback();
        return Health::Unusable;
    }
    return Health::Ok;
}

bool CallStore::exec(const QString &statement, QSqlQuery *query)
{
    QSqlQuery own(m_db);
    QSqlQuery &q = query ? *query : own;
    if (q.exec(statement))
        return true;
    fault(statement.toLatin1().constData(), q.lastError());
    return false;
}

// The file and its journal go aside together, under the time: the journal belongs to it.
void CallStore::moveAside()
{
    close();
    const QString base = m_path + QStringLiteral(".corrupt-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = base;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = base + u'-' + QString::number(n);
    if (!QFile::rename(m_path, aside)) {
        qCDebug(lcCalls) << "cannot move the unreadable" << m_path << "aside";
        return;
    }
    for (const char *suffix : {"-wal", "-shm"})
        QFile::rename(m_path + QLatin1StringView(suffix), aside + QLatin1StringView(suffix));
    qCDebug(lcCalls) << "unreadable call list moved to" << aside;
    emit movedAside(QStringLiteral("The call list could not be read, so Ringscout has started a "
                                   "new one. The old list was kept as %1.")
                        .arg(QDir::toNativeSeparators(aside)));
}

bool CallStore::ensureOpen()
{
    return m_ready || (m_retry.hasExpired() && open());
}

bool CallStore::record(const Call &call, QLatin1StringView outcome)
{
    if (!ensureOpen())
        return false;
    bool done = insert(call, outcome);
    // Broken under us: set aside now, and the call starts the fresh list.
    if (!done && corrupt(m_insert->lastError()) && open())
        done = insert(call, outcome);
    if (done && m_insert->numRowsAffected() > 0)
        emit recorded(call);
    return done;
}

bool CallStore::insert(const Call &call, QLatin1StringView outcome)
{
    const QVariantList values{
        call.id,
        call.recognised.toMSecsSinceEpoch(),
        call.direction == Call::Direction::Out ? QStringLiteral("out") : QStringLiteral("in"),
        QString(sourceWord(call)),
        cut(call.origin),
        cut(call.number),
        cut(call.name),
        cut(call.channel),
        cut(call.destination),
        QString(outcome),
        call.id,
    };
    for (int i = 0; i < values.size(); ++i)
        m_insert->bindValue(i, values[i]);
    if (m_insert->exec())
        return true;
    fault("recording a call", m_insert->lastError());
    return false;
}

bool CallStore::end(const CallEnd &end)
{
    if (!ensureOpen())
        return false;
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral(
        "UPDATE calls SET outcome = ?, detail = ?, ended = ? WHERE row = (SELECT max(row) FROM "
        "calls WHERE call_id = ? AND ended IS NULL)"));
    query.addBindValue(QString(CallSchema::word(end.outcome)));
    query.addBindValue(cut(end.detail));
    query.addBindValue(end.at.toMSecsSinceEpoch());
    query.addBindValue(end.id);
    if (!query.exec()) {
        fault("recording how a call ended", query.lastError());
        return false;
    }
    if (query.numRowsAffected() > 0)
        emit changed();
    return true;
}

void CallStore::prune(int maxCalls, int days, const QDateTime &now)
{
    if (!ensureOpen())
        return;
    QSqlQuery query(m_db);
    int removed = 0;
    if (days > 0) {
        query.prepare(QStringLiteral("DELETE FROM calls WHERE at < ?"));
        query.addBindValue(now.addDays(-days).toMSecsSinceEpoch());
        removed += query.exec() ? query.numRowsAffected() : 0;
    }
    if (maxCalls > 0) {
        query.prepare(QStringLiteral("DELETE FROM calls WHERE row IN (SELECT row FROM calls "
                                     "ORDER BY at DESC, row DESC LIMIT -1 OFFSET ?)"));
        query.addBindValue(maxCalls);
        removed += query.exec() ? query.numRowsAffected() : 0;
    }
    if (query.lastError().isValid())
        fault("removing old calls", query.lastError());
    qCDebug(lcCalls) << "old calls removed:" << removed;
    if (removed > 0)
        emit changed();
}

void CallStore::fault(const char *what, const QSqlError &error)
{
    qCDebug(lcCalls).nospace() << m_path << ": " << what << ": " << error.text() << " ("
                               << error.nativeErrorCode() << ')';
}
