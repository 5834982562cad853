// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeMonitor.h"
#include "fakes/MemorySettingsStore.h"
#include "settings/ConfigControls.h"
#include "settings/ConfigOpener.h"
#include "settings/Settings.h"
#include "settings/StartupStatus.h"
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

namespace {

enum class Do { Shows, Types, Reopen, Ok, Cancel, Close };

// What the user does: sees `text` in the field of `key`, types it there (newwin takes an
// entry's position), opens Settings again after a call showed the main window, or presses a
// button.
struct Step
{
    Do what;
    QString key = {};
    QString text = {};
};

// The stored settings, the start-up state and why StartMonitor fails (empty: it does not);
// the steps; how the box's text starts (empty: no box); the end: the dialog "open", "closed"
// (the main window back) or "ended" (the program ends).
struct Row
{
    const char *name;
    QList<std::pair<QString, QString>> stored;
    bool startupFailed;
    QString failWith;
    QList<Step> steps;
    QString box;
    QString after;
};

const QString kLong(40000, u'u'); // more than a text box holds by default

const QList<Row> &rows()
{
    static const QList<Row> rows{
        // Opened again, it is the same dialog with what the user typed; OK writes it untrimmed.
        {"stored values shown; OK: a source cannot start",
         {{"newwin", "1"}, {"yacPort", " 10630"}, {"comPort", ""}, {"URL", kLong}},
         false,
         "port 10629 is in use",
         {{Do::Shows, "newwin", "Browser Link!"},
          {Do::Shows, "yacPort", "10630"},
          {Do::Shows, "comPort", "0"},
          {Do::Shows, "URL", kLong},
          {Do::Types, "newwin", "0"},
          {Do::Types, "cidKey", " NMBR = "},
          {Do::Reopen},
          {Do::Ok}},
         "YAC listener: port 10629 is in use",
         "open"},
        // The load fails at yacPort: each field shows its stored text, so it can be corrected.
        {"a value that does not convert; Cancel writes nothing",
         {{"yacPort", ""},
          {"newwin", "x"},
          {"AsteriskPort", "99999"},
          {"AsteriskManager", "admin"}},
         false,
         "",
         {{Do::Shows, "yacPort", ""},
          {Do::Shows, "newwin", "Pop-up"},
          {Do::Shows, "AsteriskPort", "99999"},
          {Do::Shows, "AsteriskManager", "admin"},
          {Do::Types, "Target", "crm"},
          {Do::Cancel}},
         "",
         "closed"},
        {"failed start-up: Cancel does nothing, the close box ends",
         {},
         true,
         "",
         {{Do::Types, "Target", "crm"}, {Do::Cancel}, {Do::Close}},
         "",
         "ended"},
        // StartMonitor cleared the flag before it failed: Cancel stays off, closing does not end.
        {"failed start-up, OK fails late, close box",
         {},
         true,
         "port 10629 is in use",
         {{Do::Ok}, {Do::Cancel}, {Do::Close}},
         "YAC listener: ",
         "closed"},
    };
    return rows;
}

} // namespace

void tst_frmConfig::buttons_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < rows().size(); ++i)
        QTest::newRow(rows()[i].name) << i;
}

void tst_frmConfig::buttons()
{
    QFETCH(int, index);
    const Row &row = rows()[index];
    Settings g;
    StartupStatus startup;
    startup.SetFailed(row.startupFailed);
    MemorySettingsStore memory;
    FakeMainWindow window;
    FakeMonitor monitor;
    monitor.startup = &startup;
    if (!row.failWith.isEmpty())
        monitor.failWith = row.failWith;
    for (const auto &[key, text] : row.stored)
        memory.set(key, text);
    FakeMessageBox boxes;
    ConfigOpener opener(ConfigContext{g, startup, memory, window, monitor, boxes});
    opener.Open();
    QPointer<frmConfig> dialog = opener.Current();
    QCOMPARE(dialog->size(), QSize(502, 568)); // 7530 x 8520 twips, and no other
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QTRY_COMPARE(dialog->frameGeometry().center(), dialog->screen()->geometry().center());
    for (const QLabel *label : dialog->findChildren<QLabel *>()) // no text cut short
        QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                 qPrintable(label->text()));

    QSignalSpy end(&opener, &ConfigOpener::endProgram);
    ConfigController::Texts typed;
    QList<Step> entered;
    for (const Step &step : row.steps) {
        QVERIFY(dialog && opener.Current() == dialog && !window.visible);
        QCOMPARE(dialog->cmdCancel()->isEnabled(), !row.startupFailed);
        QWidget *field = dialog->Control(qPrintable(ConfigControlName(qPrintable(step.key))));
        auto *list = qobject_cast<QComboBox *>(field);
        if (step.what == Do::Shows) {
            QCOMPARE(list ? list->currentText() : field->property("text").toString(), step.text);
            continue;
        }
        if (step.what == Do::Types)
            entered.append(step);
        else if (typed.isEmpty())
            typed = dialog->Texts();
        if (list && step.what == Do::Types)
            list->setCurrentIndex(step.text.toInt());
        else if (step.what == Do::Types)
            field->setProperty("text", step.text);
        else if (step.what == Do::Reopen) {
            window.ShowAndActivate();
            opener.Open();
        } else if (step.what == Do::Close)
            dialog->close();
        else
            (step.what == Do::Ok ? dialog->cmdOK() : dialog->cmdCancel())->click();
        QTest::qWait(0);
    }

    // OK writes all fifteen fields, as typed, in one replacement of the store; nothing else
    // writes.
    const bool wrote = std::any_of(row.steps.begin(), row.steps.end(),
                                   [](const Step &step) { return step.what == Do::Ok; });
    QCOMPARE(memory.replacements.size(), int(wrote));
    QCOMPARE(memory.values.size(), wrote ? 15 : row.stored.size());
    for (const Step &step : wrote ? entered : QList<Step>())
        QCOMPARE(memory.get(step.key), step.text);
    QCOMPARE(boxes.shown.size(), int(!row.box.isEmpty()));
    for (const FakeMessageBox::Shown &shown : boxes.shown)
        QVERIFY2(shown.title == "Modem configuration error" && shown.text.startsWith(row.box),
                 qPrintable(shown.title + ": " + shown.text));
    QCOMPARE(end.size(), int(row.after == "ended"));
    QCOMPARE(window.visible, row.after == "closed"); // the main window comes back
    QCOMPARE(!dialog, row.after != "open");
    if (dialog) // with the user's entries
        QCOMPARE(dialog->Texts(), typed);
}

QTEST_MAIN(tst_frmConfig)
#include "tst_frmconfig.moc"
