// SPDX-License-Identifier: GPL-3.0-or-later
#include "calls/CallListModel.h"
#include "calls/CallSchema.h"
#include "calls/CallStore.h"
#include "calls/frmCalls.h"
#include "dialer/DialerOpener.h"
#include "fakes/FakeBrowser.h"
#include "fakes/FakeDialer.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeMessageBox.h"
#include "pop/CallerPop.h"
#include "settings/Settings.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QtTest>

// The Calls window over a real list file in a temporary XDG_DATA_HOME: what it lists for each
// filter and search, what its actions change, which calls are bold, what its title counts.
class tst_frmCalls : public QObject
{
    Q_OBJECT

private:
    // The numbers in the view's order, unseen ones marked "*".
    static QString listed(const CallListModel &model)
    {
        QStringList numbers;
        for (int row = 0; row < model.rowCount(); ++row) {
            const QModelIndex index = model.index(row, CallListModel::Number);
            numbers << (index.data(Qt::FontRole).value<QFont>().bold() ? "*" : "") +
                           index.data().toString();
        }
        return numbers.join(',');
    }
    QTemporaryDir m_home;
    // The window over the list file, with fakes around it.
    struct Rig
    {
        Settings settings;
        FakeBrowser browser;
        FakeMainWindow window;
        FakeDialer dialer;
        FakeMessageBox box;
        CallerPop pop{settings, browser, window};
        DialerOpener opener{window, dialer, box};
        CallList list{CallStore::defaultPath()};
        frmCalls calls{list, pop, opener};
    };

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path()));
        QVERIFY(QDir().mkpath(QFileInfo(CallStore::defaultPath()).path()));
    }
    void cleanup() { QSqlDatabase::removeDatabase("writer"); }
    void init()
    {
        QFile::remove(CallStore::defaultPath());
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "writer");
        db.setDatabaseName(CallStore::defaultPath());
        QVERIFY(db.open());
        QSqlQuery query(db);
        for (const char *statement : CallSchema::kCreate)
            QVERIFY(query.exec(statement));
        // A call a minute: call_id, direction, source, origin, number, name, outcome, seen; the
        // names with quotes bound.
        QVERIFY(query.prepare(R"(INSERT INTO calls (call_id, at, direction, source, origin, number,
            name, channel, destination, outcome, detail, seen) SELECT column1, column1 * 60000,
            column2, column3, column4, column5, column6, '', '', column7, '', column8 FROM (VALUES
            (1, 'in', 'yac', '192.0.2.7', '5550100', 'Ann', 'rang', 0),
            (2, 'in', 'pbx', 'pbx', '5550101', ?, 'missed', 0),
            (3, 'in', 'pbx', 'pbx', '+15550102', ?, 'gave up', 0),
            (4, 'in', 'pbx', 'pbx', '5550103', '<b>50%_off</b>', 'answered elsewhere', 0),
            (5, 'out', 'pbx', 'pbx', '5550104', '', 'failed', 0),
            (6, 'in', 'pbx', 'pbx', '5550105', 'Dee', 'missed', 1)))"));
        query.addBindValue("=HYPERLINK(\"http://x\")");
        query.addBindValue("Bob \"Bobby\"\r\nSmith");
        QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
    }

    void actions_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("numbers");
        QTest::addColumn<QString>("title");
        const QString all = "5550105,5550104,5550103,*+15550102,*5550101,5550100";
        const auto row = [](const char *name, const char *action, const QString &numbers,
                            const char *title = "Calls (2 missed)") {
            QTest::newRow(name) << QString(action) << numbers << QString(title);
        };
        row("missed, exported", "missed export", "5550105,*+15550102,*5550101", "Calls");
        row("number on its index", "search 555010", "5550105,5550104,5550103,*5550101,5550100");
        row("number with +", "search +1555", "*+15550102");
        row("name, any case", "search bOB", "*+15550102");
        row("LIKE's characters are text", "search %_", "5550103");
        row("wildcard alone finds none", "search b_b", "");
        row("shown: seen, bold until read again", "show", all, "Calls");
        row("read again", "show reload", all.split('*').join(""), "Calls");
        row("delete the selected", "delete 0 4", "5550104,5550103,*+15550102,5550100",
            "Calls (1 missed)");
        row("clear, confirmed", "clear yes", "", "Calls");
        row("clear, refused: all, newest first", "clear no", all);
    }

    void actions()
    {
        QFETCH(QString, action);
        QFETCH(QString, numbers);
        QFETCH(QString, title);
        Rig rig;
        frmCalls &calls = rig.calls;
        const QStringList words = action.split(' ');
        if (words[0] == "missed") {
            calls.setFilter(CallList::Filter::Missed);
            calls.show();
        } else if (words[0] == "search") {
            QTest::keyClicks(calls.findChild<QLineEdit *>("txtSearch"), words[1]);
            QTRY_VERIFY(calls.model()->query().search == words[1]);
        } else if (words[0] == "show") {
            calls.show();
        } else if (words[0] == "delete") {
            calls.lstCalls()->selectionModel()->clear();
            for (const QString &row : words.mid(1))
                calls.lstCalls()->selectionModel()->select(calls.model()->index(row.toInt(), 0),
                                                           QItemSelectionModel::Select |
                                                               QItemSelectionModel::Rows);
            calls.findChild<QPushButton *>("cmdDelete")->click();
        } else if (words[0] == "clear") {
            calls.confirm = [&words](const QString &) { return words[1] == "yes"; };
            calls.findChild<QPushButton *>("cmdClear")->click();
        }
        if (words.contains("reload"))
            calls.reload();
        QCOMPARE(listed(*calls.model()), numbers);
        QCOMPARE(calls.windowTitle(), title);
        // Text that a spreadsheet would run, quotes and line ends in a name, all in one cell each.
        if (words.contains("export")) {
            QVERIFY(calls.exportTo(m_home.filePath("calls.csv")));
            QFile file(m_home.filePath("calls.csv"));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const auto at = [](int minute) {
                return QDateTime::fromMSecsSinceEpoch(minute * 60000).toString(Qt::ISODate);
            };
            QCOMPARE(QString::fromUtf8(file.readAll()),
                     "time,direction,outcome,number,name,source,origin\r\n" + at(6) +
                         ",in,missed,5550105,Dee,pbx,pbx\r\n" + at(3) +
                         ",in,gave up,'+15550102,\"Bob \"\"Bobby\"\"\r\nSmith\",pbx,pbx\r\n" +
                         at(2) +
                         ",in,missed,5550101,\"'=HYPERLINK(\"\"http://x\"\")\",pbx,pbx\r\n");
        }
    }
};

QTEST_MAIN(tst_frmCalls)
#include "tst_frmcalls.moc"
