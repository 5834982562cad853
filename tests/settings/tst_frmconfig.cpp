// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes/FakeBrowser.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeMonitor.h"
#include "fakes/MemorySettingsStore.h"
#include "settings/ConfigControls.h"
#include "settings/ConfigOpener.h"
#include "settings/Settings.h"
#include "settings/StartupStatus.h"
#include "settings/frmConfig.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
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

using KeyTexts = QList<std::pair<QString, QString>>;
// "key=text|key=text" as pairs.
KeyTexts keyTexts(const QString &list)
{
    KeyTexts pairs;
    for (const QString &pair : list.split('|', Qt::SkipEmptyParts))
        pairs.append({pair.section('=', 0, 0), pair.section('=', 1)});
    return pairs;
}
// The session's autostart entry: one made with the desktop's tools is there at first; Blocked:
// a file where its folder belongs.
enum class Entry { Users, None, Ours, Blocked };

// The stored settings, the start-up state and why StartMonitor fails (empty: it does not);
// what the fields show, what the user types (newwin takes an entry's position), each as
// "key=text|...", and presses (Reopen: a call showed the main window, then Settings was
// pressed again); how the box's "title: text" starts (empty: no box); the end: the dialog
// "open", "closed" (the main window back) or "ended" (the program ends); the autostart entry
// at the end.
struct Row
{
    const char *name;
    QString stored;
    bool startupFailed;
    QString failWith, shows, types, presses, box, after;
    Entry entry = Entry::Users;
};

const QString kLong(40000, u'u'); // more than a text box holds by default
const QString kOn = "StartWithSession=1", kOff = "StartWithSession=0";
const QByteArray kUsers = "[Desktop Entry]\nType=Application\nName=Ringscout\nExec=rs\n";

const QList<Row> &rows()
{
    static const QList<Row> rows{
        // Opened again, it is the same dialog with what the user typed; OK writes it untrimmed.
        {"stored values shown; Enter: a source cannot start",
         "newwin=1|yacPort= 10630|comPort=|URL=" + kLong, false, "port 10629 is in use",
         "newwin=Browser Link!|yacPort=10630|comPort=0|URL=" + kLong,
         "newwin=0|cidKey= NMBR = |StartWithSession=1", "Reopen Enter",
         "Modem configuration error: YAC listener: port 10629 is in use", "open", Entry::Ours},
        // The load fails at yacPort: each field shows its stored text, so it can be corrected.
        {"a value that does not convert; Cancel writes nothing",
         "yacPort=|newwin=x|AsteriskPort=99999", false, "",
         "yacPort=|newwin=Pop-up|AsteriskPort=99999", "Target=crm", "Cancel", "", "closed"},
        {"Escape is Cancel", "", false, "", "", "Target=crm", "Escape", "", "closed"},
        {"failed start-up: Cancel and Escape do nothing, the close box ends", "", true, "",
         "AsteriskContext=from-internal", "Target=crm", "Cancel Escape Close", "", "ended"},
        // Only the box turned off takes the entry away.
        {"box turned off", kOn, false, "", kOn, kOff, "Ok", "", "closed", Entry::None},
        // StartMonitor cleared the flag before it failed: Cancel stays off, closing does not end.
        {"failed start-up, OK fails late, close box", "", true, "port 10629 is in use", "",
         "AsteriskChannel=PJSIP/101", "Ok Cancel Close",
         "Modem configuration error: YAC listener: ", "closed"},
        // OK that fails to load a value keeps the dialog, with what the user typed.
        {"a typed value that does not convert", "", false, "", "", "yacPort=x", "Ok",
         "Modem configuration error: Settings: \"yacPort\" holds \"x\"", "open"},
        {"a count of calls that is not above 0", "", false, "", "CallList=1|CallListMax=10000",
         "CallListMax=0", "Ok",
         "Modem configuration error: Settings: \"CallListMax\" holds \"0\", which is not a "
         "whole number above 0",
         "open"},
        {"failed start-up put right by OK: the start-up page loads", "startupURL=about:start", true,
         "", "", "", "Ok", "", "closed"},
        // The sources restart with the new port; the entry's failure is told apart.
        {"autostart folder is a file", "", false, "", "", "StartWithSession=1|yacPort=10630", "Ok",
         "Start with the session: Autostart: ", "closed", Entry::Blocked},
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
    startup.setFailed(row.startupFailed);
    MemorySettingsStore memory;
    FakeMainWindow window;
    FakeMonitor monitor;
    monitor.startup = &startup;
    monitor.failWith = row.failWith.isEmpty() ? std::nullopt : std::optional(row.failWith);
    for (const auto &[key, text] : keyTexts(row.stored))
        memory.set(key, text);
    QTemporaryDir home; // the configuration folder, with the user's own autostart entry
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    QFile entry(home.filePath("autostart/com.belvane.Ringscout.desktop"));
    QVERIFY(row.entry == Entry::Blocked
                ? QFile(home.filePath("autostart")).open(QIODevice::WriteOnly)
                : QDir(home.path()).mkdir("autostart") && entry.open(QIODevice::WriteOnly) &&
                      entry.write(kUsers) > 0);
    entry.close();
    FakeMessageBox boxes;
    FakeBrowser browser;
    ConfigOpener opener(ConfigContext{g, startup, memory, window, monitor, boxes, browser});
    opener.open();
    QPointer<frmConfig> dialog = opener.current();
    // 7530 x 11895 twips, and no other; all of it on the screen (QT_SCALE_FACTOR makes it small),
    // scrolling where it must.
    auto *scroll = dialog->findChild<QScrollArea *>();
    QCOMPARE(scroll->widget()->size(), QSize(502, 793));
    QTRY_VERIFY(dialog->screen()->availableGeometry().contains(dialog->frameGeometry()));
    // Below the buttons, after them in the tab order.
    const QWidget *context = dialog->control("txtAContext");
    QCOMPARE(QRect(context->mapTo(dialog, QPoint()), context->size()), QRect(136, 616, 177, 19));
    QWidget *next = dialog->cmdCancel()->nextInFocusChain();
    while (next->focusPolicy() == Qt::NoFocus)
        next = next->nextInFocusChain();
    QCOMPARE(next, dialog->control("txtAChannel"));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QTRY_COMPARE(dialog->frameGeometry().center(), dialog->screen()->geometry().center());
    // A screen reader names a field by its label, not its frame; a list too (its name on Linux
    // is its value, its label a relation).
    QStringList said;
    for (QWidget *field : dialog->findChildren<QWidget *>()) {
        const QAccessibleInterface *face = QAccessible::queryAccessibleInterface(field);
        if (face->role() == QAccessible::EditableText)
            said.append(face->text(QAccessible::Name));
        else if (face->role() == QAccessible::ComboBox)
            said.append(
                face->relations(QAccessible::Label).value(0).first->text(QAccessible::Name));
    }
    QCOMPARE(said.join('|'), "Asterisk Manager|Asterisk Server|Password|API Port|Extensions (Comma "
                             "Separated)|YACC Port|Modem Settings|Com Port|CallerID Init String|"
                             "CallerID Key|Name Key|Search URL|Startup URL|Browser Target|Web "
                             "Link|Desk Phone|Dial Context|Calls Kept|Days Kept");
    for (const QLabel *label : dialog->findChildren<QLabel *>()) // no text cut short
        QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                 qPrintable(label->text()));

    const auto field = [&](const QString &key) {
        return dialog->control(qPrintable(configControlName(qPrintable(key))));
    };
    for (const auto &[key, text] : keyTexts(row.shows)) {
        auto *list = qobject_cast<QComboBox *>(field(key));
        QCOMPARE(list ? list->currentText() : dialog->texts().value(key), text);
    }
    for (const auto &[key, text] : keyTexts(row.types)) {
        if (auto *list = qobject_cast<QComboBox *>(field(key)))
            list->setCurrentIndex(text.toInt());
        else // a check box takes "1" or "0"
            field(key)->setProperty(field(key)->inherits("QCheckBox") ? "checked" : "text", text);
    }
    const ConfigController::Texts typed = dialog->texts();
    QSignalSpy end(&opener, &ConfigOpener::endProgram);
    for (const QString &press : row.presses.split(' ')) {
        QVERIFY(dialog && opener.current() == dialog && !window.visible);
        QCOMPARE(dialog->cmdCancel()->isEnabled(), !row.startupFailed);
        if (press == "Reopen") {
            window.showAndActivate();
            opener.open();
        } else if (press == "Close")
            dialog->close();
        else if (press == "Escape" || press == "Enter")
            QTest::keyClick(dialog->focusWidget(),
                            press == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
        else
            (press == "Ok" ? dialog->cmdOK() : dialog->cmdCancel())->click();
        QTest::qWait(0);
    }

    // OK writes every field, as typed, in one replacement of the store; nothing else writes.
    const bool wrote = row.presses.contains("Ok") || row.presses.contains("Enter");
    QCOMPARE(memory.replacements.size(), int(wrote));
    QCOMPARE(memory.values.size(), wrote ? 23 : keyTexts(row.stored).size());
    for (const auto &[key, text] : keyTexts(wrote ? row.types : QString()))
        QCOMPARE(memory.get(key), text);
    QCOMPARE(monitor.starts, int(wrote && !row.box.contains("Settings: ")));
    QCOMPARE(boxes.shown.size(), int(!row.box.isEmpty()));
    for (const FakeMessageBox::Shown &shown : boxes.shown)
        QVERIFY2((shown.title + ": " + shown.text).startsWith(row.box), qPrintable(shown.text));
    // Once it is put right, a failed start-up ends with its page, as a good one does.
    QCOMPARE(browser.log.join(' '),
             row.startupFailed && row.after == "closed" ? "pane " + g.startupURL : "");
    QCOMPARE(end.size(), int(row.after == "ended"));
    QCOMPARE(window.visible, row.after == "closed"); // the main window comes back
    QCOMPARE(!dialog, row.after != "open");
    if (dialog) // with the user's entries
        QCOMPARE(dialog->texts(), typed);
    QCOMPARE(entry.open(QIODevice::ReadOnly),
             row.entry == Entry::Users || row.entry == Entry::Ours);
    QCOMPARE(entry.readAll() == kUsers, row.entry == Entry::Users);
}

QTEST_MAIN(tst_frmConfig)
#include "tst_frmconfig.moc"
