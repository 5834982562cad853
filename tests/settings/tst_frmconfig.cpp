#include "fakes/FakeMainWindow.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeMonitor.h"
#include "fakes/MemorySettingsStore.h"
#include "settings/frmConfig.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

namespace {

// The dialog open over a store in memory, with fakes around it.
struct Rig
{
    // "key=text" stored settings; "startupFailed"; "fail:<why>" for StartMonitor.
    explicit Rig(const QStringList &setup = {})
        : opener(ConfigContext{g, state, memory, window, monitor, box})
    {
        g.appName = QStringLiteral("Belvane");
        g.sectionName = QStringLiteral("settings");
        state.startupFailed = setup.contains("startupFailed");
        monitor.state = &state;
        for (const QString &row : setup) {
            if (row.startsWith("fail:"))
                monitor.failWith = row.mid(5);
            else if (row.contains('='))
                memory.set(row.section('=', 0, 0), row.section('=', 1));
        }
        opener.Open();
    }
    frmConfig &dialog() const { return *opener.Current(); }
    // "key=text" into its field (newwin takes an entry's position), or "ok", "cancel", "close".
    void step(const QString &step)
    {
        QWidget *control = field(step);
        if (auto *list = qobject_cast<QComboBox *>(control))
            list->setCurrentIndex(step.section('=', 1).toInt());
        else if (auto *box = qobject_cast<QLineEdit *>(control))
            box->setText(step.section('=', 1));
        else if (step == "close")
            dialog().close();
        else
            (step == "ok" ? dialog().cmdOK() : dialog().cmdCancel())->click();
        QTest::qWait(0);
    }
    QWidget *field(const QString &keyAndText) const
    {
        return dialog().Control(
            ConfigControlName(keyAndText.section('=', 0, 0).toLatin1()).toLatin1());
    }

    Settings g;
    RunState state;
    MemorySettingsStore memory;
    FakeMainWindow window;
    FakeMonitor monitor;
    FakeMessageBox box;
    ConfigOpener opener;
};

} // namespace

// The Options dialog as a real widget on the offscreen platform, 96 dpi: 15 twips a pixel.
class tst_frmConfig : public QObject
{
    Q_OBJECT

private slots:
    void opens();
    void buttons_data();
    void buttons();
};

void tst_frmConfig::opens()
{
    Rig rig;
    frmConfig &dialog = rig.dialog();
    QCOMPARE(dialog.size(), QSize(502, 568)); // 7530 x 8520 twips, and no other
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QVERIFY(
        !(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QTRY_COMPARE(dialog.frameGeometry().center(), dialog.screen()->geometry().center());
    QCOMPARE(qobject_cast<QLabel *>(dialog.Control("Picture1"))->pixmap().size(), QSize(104, 61));
    for (const QLabel *label : dialog.findChildren<QLabel *>()) // no text cut short
        QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                 qPrintable(label->text()));

    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QStringList order;
    for (int i = 0; i < 18; ++i) {
        order.append(QApplication::focusWidget()->objectName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order.join(' '), "txtAPort txtAManager txtAPassword txtAServer txtAExtension yacPort "
                              "modemSettings comPort initString cidKey cidnameKey URL startupURL "
                              "Target newwin cmdOK cmdCancel txtAPort");

    // Opening it again (a call showed the main window meanwhile) hides the main window and
    // brings up the same dialog, not loaded anew.
    rig.step("URL=typed");
    rig.window.ShowAndActivate();
    rig.opener.Open();
    QCOMPARE(&rig.dialog(), &dialog);
    QCOMPARE(rig.window.log, (QStringList{"hide", "show", "hide"}));
    QCOMPARE(dialog.Texts()[8], QStringLiteral("typed"));
}

// Each row: the setup (see Rig); the steps: "key?text" the field shows text, else see
// Rig::step; how the box's text starts (none: no box); and the end: the dialog "open",
// "closed" (the main window back) or "ended" (the program ends). Lists are separated by "|".
void tst_frmConfig::buttons_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("after");
    const char *rows[][5] = {
        {"defaults shown; OK writes as typed, nothing trimmed", "",
         "comPort?2|cidKey?NMBR = |newwin?Pop-up|AsteriskPort?5038|cidKey= NMBR = |"
         "AsteriskPassword=p&ss;w\"d|comPort=|newwin=1|ok",
         "", "closed"},
        {"stored values shown; OK: a source cannot start",
         "newwin=1|yacPort= 10630|comPort=|fail:port 10629 is in use",
         "newwin?Browser Link!|yacPort?10630|comPort?0|newwin=0|ok",
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
    Rig rig(setup);
    QPointer<frmConfig> dialog = &rig.dialog();
    QSignalSpy end(&rig.opener, &ConfigOpener::endProgram);
    QStringList typed, entered;
    for (const QString &step : steps) {
        QVERIFY(dialog && !rig.window.visible);
        QCOMPARE(dialog->cmdCancel()->isEnabled(), !setup.contains("startupFailed"));
        if (step.section('=', 0, 0).contains('?')) {
            QWidget *field = rig.field(step.section('?', 0, 0));
            const auto *list = qobject_cast<QComboBox *>(field);
            QCOMPARE(list ? list->currentText() : field->property("text").toString(),
                     step.section('?', 1));
            continue;
        }
        if (step.contains('='))
            entered.append(step);
        else if (typed.isEmpty())
            typed = dialog->Texts();
        rig.step(step);
    }

    // OK writes all fifteen fields, as typed, in one replacement of the store; nothing else
    // writes.
    const bool wrote = steps.contains("ok");
    QCOMPARE(rig.memory.replacements.size(), int(wrote));
    QCOMPARE(rig.memory.values.size(), wrote ? 15 : setup.filter("=").size());
    for (const QString &entry : entered) {
        if (wrote)
            QCOMPARE(rig.memory.get(entry.section('=', 0, 0)), entry.section('=', 1));
    }
    QCOMPARE(rig.box.shown.size(), int(!box.isEmpty()));
    for (const FakeMessageBox::Shown &shown : rig.box.shown)
        QVERIFY2(shown.title == "Modem configuration error" && shown.text.startsWith(box),
                 qPrintable(shown.title + ": " + shown.text));
    QCOMPARE(end.size(), int(after == "ended"));
    QCOMPARE(rig.window.visible, after == "closed"); // the main window comes back
    QCOMPARE(!dialog, after != "open");
    if (dialog) // with the user's entries
        QCOMPARE(dialog->Texts(), typed);
}

QTEST_MAIN(tst_frmConfig)
#include "tst_frmconfig.moc"
