// SPDX-License-Identifier: GPL-3.0-or-later
// Timed harness: the Calls window over a list of 1,000,000 calls. Makes the file once (one
// INSERT ... WITH RECURSIVE), then times, from the click to the rows painted: opening the
// window, a number search and the Missed filter; and how much the process grows (VmRSS) with
// the window open. Waits on paint events, never in a loop of its own.
//   xvfb-run -a build/bench/bench_calls_window [file] [runs]
#include "calls/CallListModel.h"
#include "calls/CallSchema.h"
#include "calls/frmCalls.h"
#include "dialer/DialerOpener.h"
#include "fakes/FakeBrowser.h"
#include "fakes/FakeDialer.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeMessageBox.h"
#include "pop/CallerPop.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kCalls = 1000000;

bool makeList(const QString &path)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
    db.setDatabaseName(path);
    QSqlQuery query(db);
    bool ok = db.open() && query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) &&
              db.transaction() && query.exec(QString::fromLatin1(CallSchema::kCreate[0]));
    // One call a minute; one in five missed, one in eleven given up; unseen only the newest.
    ok = ok &&
         query.exec(
             QStringLiteral(
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                 "INSERT INTO calls (call_id, at, direction, source, origin, number, name, "
                 "channel, destination, outcome, detail, ended, seen) "
                 "SELECT 'c' || i, 1700000000000 + i * 60000, "
                 "CASE WHEN i % 13 = 0 THEN 'out' ELSE 'in' END, 'pbx', 'pbx.example:5038', "
                 "printf('555%07d', (i * 7919) % 10000000), 'Caller ' || i, 'PJSIP/trunk', "
                 "'PJSIP/101', CASE WHEN i % 5 = 0 THEN 'missed' WHEN i % 11 = 0 THEN 'gave up' "
                 "ELSE 'answered' END, '', NULL, CASE WHEN i > %1 - 50 THEN 0 ELSE 1 END "
                 "FROM n")
                 .arg(kCalls));
    for (std::size_t i = 1; ok && i < std::size(CallSchema::kCreate); ++i)
        ok = query.exec(QString::fromLatin1(CallSchema::kCreate[i]));
    ok = ok && db.commit();
    if (!ok)
        std::fprintf(stderr, "cannot make the list: %s\n", qPrintable(query.lastError().text()));
    query = QSqlQuery();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("make"));
    return ok;
}

double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}

// Runs `act`, then the event loop until the list it gives has painted its rows.
double timePainted(const std::function<QTableView *()> &act)
{
    QEventLoop loop;
    struct Watch : QObject
    {
        QEventLoop *loop;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                QTimer::singleShot(0, loop, &QEventLoop::quit);
            return false;
        }
    } watch;
    watch.loop = &loop;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    QTableView *view = act(); // paints only once the loop runs
    view->viewport()->installEventFilter(&watch);
    loop.exec();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    view->viewport()->removeEventFilter(&watch);
    return ms;
}

void report(const char *what, QList<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%-28s median %7.2f ms   max %7.2f ms   (n=%lld)\n", what, ms[ms.size() / 2],
                ms.back(), qlonglong(ms.size()));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString path =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("calls-1m.sqlite");
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 20;
    if (!QFile::exists(path) && !makeList(path))
        return 1;
    Settings settings;
    FakeBrowser browser;
    FakeMainWindow window;
    FakeDialer dialer;
    FakeMessageBox box;
    CallerPop pop(settings, browser, window);
    DialerOpener opener(window, dialer, box);
    // The window system and its fonts are there before the first window, as in the program.
    QWidget warm;
    warm.show();
    app.processEvents();
    const double before = residentMiB();

    QList<double> open, number, numberShort, missed, name, all;
    double grown = 0;
    for (int run = 0; run < runs; ++run) {
        std::unique_ptr<CallList> list;
        std::unique_ptr<frmCalls> calls;
        open << timePainted([&] {
            list = std::make_unique<CallList>(path);
            calls = std::make_unique<frmCalls>(*list, pop, opener);
            calls->show();
            return calls->lstCalls();
        });
        if (calls->model()->rowCount() == 0)
            return std::fprintf(stderr, "the list is empty\n"), 1;
        auto *search = calls->findChild<QLineEdit *>(QStringLiteral("txtSearch"));
        // The search box waits for a pause in the typing; timed from the search itself.
        numberShort << timePainted([&] {
            search->setText(QStringLiteral("555"));
            calls->reload();
            return calls->lstCalls();
        });
        number << timePainted([&] {
            search->setText(QStringLiteral("5551234"));
            calls->reload();
            return calls->lstCalls();
        });
        name << timePainted([&] {
            search->setText(QStringLiteral("Caller 99999"));
            calls->reload();
            return calls->lstCalls();
        });
        search->clear();
        missed << timePainted([&] {
            calls->setFilter(CallList::Filter::Missed);
            return calls->lstCalls();
        });
        all << timePainted([&] {
            calls->setFilter(CallList::Filter::All);
            return calls->lstCalls();
        });
        grown = std::max(grown, residentMiB() - before);
    }
    report("open, first rows painted", open);
    report("number search (5551234)", number);
    report("number search (555, all)", numberShort);
    report("name search (Caller 99999)", name);
    report("Missed filter", missed);
    report("back to All", all);
    std::printf("%-28s %7.1f MiB (VmRSS, most of %d runs)\n", "grown with the window open", grown,
                runs);
    return 0;
}
