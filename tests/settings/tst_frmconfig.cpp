// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeMonitor.h"
#include "fakes/MemorySettingsStore.h"
#include "settings/frmConfig.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

// The Options dialog as a real widget on the offscreen platform, 96 dpi: 15 twips a pixel.
class tst_frmConfig : public QObject
{
    Q_OBJECT

private slots:
    void buttons_data();
    void buttons();
};

// Each row: the setup: "key=text" stored settings, "startupFailed", "fail:<why>" for
// StartMonitor; the steps: "key?text" the field shows text, "key=text" into
// its field (newwin takes an entry's position), "reopen" (a call showed the main window, then
// Settings again), "ok", "cancel" or "close"; how the box's text starts (none: no box); and the
// end: the dialog "open", "closed" (the main window back) or "ended" (the program ends).
void tst_frmConfig::buttons_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("after");
    const char *rows[][5] = {
        // Opened again, it is the same dialog with what the user typed; OK writes it untrimmed.
        {"stored values shown; OK: a source cannot start",
         "newwin=1|yacPort= 10630|comPort=|fail:port 10629 is in use",
         "newwin?Browser Link!|yacPort?10630|comPort?0|newwin=0|cidKey= NMBR = |reopen|ok",
         "YAC listener: port 10629 is in use", "open"},
        // The load fails at yacPort: each field shows its stored text, so it can be corrected.
        {"a value that does not convert; Cancel writes nothing",
         "yacPort=|newwin=x|AsteriskPort=99999|AsteriskManager=admin",
         "yacPort?|newwin?Pop-up|AsteriskPort?99999|AsteriskManager?admin|Target=crm|cancel", "",
         "closed"},
        {"failed start-up: Cancel does nothing, the close box ends", "startupFailed",
         "Target=crm|cancel|close", "", "ended"},
        // StartMonitor cleared the flag before it failed: Cancel stays off, closing does not end.
        {"failed start-up, OK fails late, close box", "startupFailed|fail:port 10629 is in use",
         "ok|cancel|close", "YAC listener: ", "closed"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QString(row[1]).split('|', Qt::SkipEmptyParts)
                              << QString(row[2]).split('|') << row[3] << row[4];
}

void tst_frmConfig::buttons()
{
    QFETCH(QStringList, setup);
    QFETCH(QStringList, steps);
    QFETCH(QString, box);
    QFETCH(QString, after);
    Settings g;
    g.appName = QStringLiteral("Belvane");
    g.sectionName = QStringLiteral("settings");
    RunState state;
    state.startupFailed = setup.contains("startupFailed");
    MemorySettingsStore memory;
    FakeMainWindow window;
    FakeMonitor monitor;
    monitor.state = &state;
    for (const QString &row : setup) {
        if (row.startsWith("fail:"))
            monitor.failWith = row.mid(5);
        else if (row.contains('='))
            memory.set(row.section('=', 0, 0), row.section('=', 1));
    }
    FakeMessageBox boxes;
    ConfigOpener opener(ConfigContext{g, state, memory, window, monitor, boxes});
    opener.Open();
    QPointer<frmConfig> dialog = opener.Current();
    QCOMPARE(dialog->size(), QSize(502, 568)); // 7530 x 8520 twips, and no other
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QTRY_COMPARE(dialog->frameGeometry().center(), dialog->screen()->geometry().center());
    for (const QLabel *label : dialog->findChildren<QLabel *>()) // no text cut short
        QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                 qPrintable(label->text()));

    QSignalSpy end(&opener, &ConfigOpener::endProgram);
    QStringList typed, entered;
    for (const QString &step : steps) {
        QVERIFY(dialog && opener.Current() == dialog && !window.visible);
        QCOMPARE(dialog->cmdCancel()->isEnabled(), !setup.contains("startupFailed"));
        const qsizetype at = step.indexOf(QRegularExpression("[=?]"));
        const QString key = step.left(at), text = step.mid(at + 1);
        QWidget *field =
            at < 0 ? nullptr : dialog->Control(qPrintable(ConfigControlName(qPrintable(key))));
        auto *list = qobject_cast<QComboBox *>(field);
        if (field && step[at] == '?') {
            QCOMPARE(list ? list->currentText() : field->property("text").toString(), text);
            continue;
        }
        if (field)
            entered.append(step);
        else if (typed.isEmpty())
            typed = dialog->Texts();
        if (list)
            list->setCurrentIndex(text.toInt());
        else if (field)
            field->setProperty("text", text);
        else if (step == "reopen") {
            window.ShowAndActivate();
            opener.Open();
        } else if (step == "close")
            dialog->close();
        else
            (step == "ok" ? dialog->cmdOK() : dialog->cmdCancel())->click();
        QTest::qWait(0);
    }

    // OK writes all fifteen fields, as typed, in one replacement of the store; nothing else
    // writes.
    const bool wrote = steps.contains("ok");
    QCOMPARE(memory.replacements.size(), int(wrote));
    QCOMPARE(memory.values.size(), wrote ? 15 : setup.filter("=").size());
    for (const QString &entry : wrote ? entered : QStringList())
        QCOMPARE(memory.get(entry.section('=', 0, 0)), entry.section('=', 1));
    QCOMPARE(boxes.shown.size(), int(!box.isEmpty()));
    for (const FakeMessageBox::Shown &shown : boxes.shown)
        QVERIFY2(shown.title == "Modem configuration error" && shown.text.startsWith(box),
                 qPrintable(shown.title + ": " + shown.text));
    QCOMPARE(end.size(), int(after == "ended"));
    QCOMPARE(window.visible, after == "closed"); // the main window comes back
    QCOMPARE(!dialog, after != "open");
    if (dialog) // with the user's entries
        QCOMPARE(dialog->Texts(), typed);
}

QTEST_MAIN(tst_frmConfig)
#include "tst_frmconfig.moc"
