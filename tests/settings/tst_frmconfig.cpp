#include "fakes/FakeMainWindow.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeMonitor.h"
#include "fakes/MemorySettingsStore.h"
#include "platform/IniSettingsStore.h"
#include "settings/frmConfig.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

// The keys in the order OK must write them.
const QStringList kWriteOrder{"comPort",         "yacPort",          "cidKey",
                              "cidnameKey",      "initString",       "modemSettings",
                              "newwin",          "Target",           "URL",
                              "startupURL",      "AsteriskServer",   "AsteriskPort",
                              "AsteriskManager", "AsteriskPassword", "AsteriskExtension"};

struct Rig
{
    explicit Rig(ISettingsStore *other = nullptr) : store(other ? *other : memory)
    {
        g.appName = QStringLiteral("Belvane");
        g.sectionName = QStringLiteral("settings");
        monitor.globals = &g;
    }
    frmConfig &open()
    {
        opener.Open();
        return *opener.Current();
    }
    // "key=text" rows into the store.
    void store_(const QStringList &rows)
    {
        for (const QString &row : rows)
            memory.set(row.section('=', 0, 0), row.section('=', 1));
    }

    Globals g;
    MemorySettingsStore memory;
    ISettingsStore &store;
    FakeMainWindow window;
    FakeMonitor monitor;
    FakeMessageBox box;
    ConfigOpener opener{g, store, window, monitor, box};
};

// "control=text" rows into the dialog's fields; newwin takes the entry's position.
void edit(frmConfig &dialog, const QStringList &rows)
{
    for (const QString &row : rows) {
        QWidget *control = dialog.Control(row.section('=', 0, 0).toLatin1().constData());
        if (auto *list = qobject_cast<QComboBox *>(control))
            list->setCurrentIndex(row.section('=', 1).toInt());
        else
            qobject_cast<QLineEdit *>(control)->setText(row.section('=', 1));
    }
}

} // namespace

// The Options dialog as a real widget on the offscreen platform, 96 dpi: 15 twips a pixel.
class tst_frmConfig : public QObject
{
    Q_OBJECT

private slots:
    void controls_data();
    void controls();
    void opens();
    void fieldsShow_data();
    void fieldsShow();
    void ok_data();
    void ok();
    void writeFailureKeepsTheFile_data();
    void writeFailureKeepsTheFile();
    void closing_data();
    void closing();
    void oneDialogAtATime();
};

void tst_frmConfig::controls_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("text"); // as Qt is given it: buttons and frames read "&" themselves
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<bool>("bold");
    const QString form = QStringLiteral("frmConfig");
    QTest::newRow("Picture1") << form << "" << QRect(120, 120, 1815, 975) << false;
    QTest::newRow("Frame1") << form << "Asterisk Call Notification" << QRect(120, 1320, 7215, 1575)
                            << false;
    QTest::newRow("Frame2") << form << "YAC Call Notification" << QRect(120, 3000, 7215, 855)
                            << false;
    QTest::newRow("Frame3") << form << "Modem Call Notification && Dialer Settings"
                            << QRect(120, 3960, 7215, 1575) << false;
    QTest::newRow("Frame4") << form << "Browser Ringscout Options" << QRect(120, 5640, 7215, 2295)
                            << false;
    QTest::newRow("Label14") << "Frame1"
                             << "Extensions (Comma Separated)" << QRect(2640, 1080, 2655, 255)
                             << true;
    QTest::newRow("txtAPort") << "Frame1"
                              << "" << QRect(5400, 720, 975, 285) << false;
    QTest::newRow("Label6") << "Frame4"
                            << "Browser Target" << QRect(0, 1440, 1575, 255) << true;
    // A label shows the doubled "&" as one.
    QTest::newRow("Label16") << "Frame4"
                             << "Search Format: * - Caller ID, + - Caller Name (ex. "
                                "http://crm/search.htm?phone=*&name=+)"
                             << QRect(120, 720, 6855, 255) << false;
    QTest::newRow("newwin") << "Frame4"
                            << "" << QRect(1680, 1800, 1695, 315) << false;
    QTest::newRow("cmdOK") << form << "&OK" << QRect(5040, 8040, 1095, 375) << false;
    QTest::newRow("cmdCancel") << form << "&Cancel" << QRect(6240, 8040, 1095, 375) << false;
}

void tst_frmConfig::controls()
{
    QFETCH(QString, parent);
    QFETCH(QString, text);
    QFETCH(QRect, twips);
    QFETCH(bool, bold);
    Rig rig;
    QWidget *control = rig.open().Control(QTest::currentDataTag());
    QVERIFY(control);
    QCOMPARE(control->objectName(), QLatin1String(QTest::currentDataTag()));
    QCOMPARE(control->parentWidget()->objectName(), parent);
    auto px = [](int twips) { return qRound(twips / 15.0); };
    QCOMPARE(control->geometry(),
             QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())));
    QString shown;
    if (auto *label = qobject_cast<QLabel *>(control))
        shown = label->text();
    else if (auto *frame = qobject_cast<QGroupBox *>(control))
        shown = frame->title();
    else if (auto *button = qobject_cast<QPushButton *>(control))
        shown = button->text();
    QCOMPARE(shown, text);
    QCOMPARE(control->font().bold(), bold);
}

void tst_frmConfig::opens()
{
    Rig rig;
    frmConfig &dialog = rig.open();
    QCOMPARE(rig.window.log, QStringList{"hide"});
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Options - Ringscout v1.2.17"));
    QCOMPARE(dialog.size(), QSize(502, 568)); // 7530 x 8520 twips
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QVERIFY(
        !(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QTRY_COMPARE(dialog.frameGeometry().center(), dialog.screen()->geometry().center());
    QCOMPARE(qobject_cast<QLabel *>(dialog.Control("Picture1"))->pixmap().size(), QSize(104, 61));
    const auto *newwin = qobject_cast<QComboBox *>(dialog.Control("newwin"));
    QVERIFY(!newwin->isEditable());
    QCOMPARE(newwin->count(), 2);
    QCOMPARE(newwin->itemText(1), QStringLiteral("Browser Link!"));

    // Focus starts on the API port and goes round in the designed order.
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("txtAPort"));
    for (const char *next :
         {"txtAManager", "txtAPassword", "txtAServer", "txtAExtension", "yacPort", "modemSettings",
          "comPort", "initString", "cidKey", "cidnameKey", "URL", "startupURL", "Target", "newwin",
          "cmdOK", "cmdCancel", "txtAPort"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(next));
    }
}

void tst_frmConfig::fieldsShow_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<bool>("startupFailed");
    QTest::addColumn<QStringList>("texts"); // in the order OK writes them
    QTest::addColumn<QString>("newwinShown");
    QTest::newRow("empty store: the defaults") << QStringList{} << false
                                               << QStringList{"2",
                                                              "10629",
                                                              "NMBR = ",
                                                              "NAME = ",
                                                              "ATS0=0M0+VCID=1",
                                                              "115200,N,8,1",
                                                              "0",
                                                              "CallerID",
                                                              "https://",
                                                              "https://",
                                                              "",
                                                              "5038",
                                                              "Manager",
                                                              "",
                                                              ""}
                                               << "Pop-up";
    QTest::newRow("stored values, newwin on") << QStringList{"newwin=-1",
                                                             "yacPort= 10630",
                                                             "comPort=",
                                                             "AsteriskServer=pbx",
                                                             "AsteriskPassword=s3cret",
                                                             "AsteriskExtension=101,102",
                                                             "URL="}
                                              << true << QStringList{"0",
                                                                     "10630",
                                                                     "NMBR = ",
                                                                     "NAME = ",
                                                                     "ATS0=0M0+VCID=1",
                                                                     "115200,N,8,1",
                                                                     "1",
                                                                     "CallerID",
                                                                     "",
                                                                     "https://",
                                                                     "pbx",
                                                                     "5038",
                                                                     "Manager",
                                                                     "s3cret",
                                                                     "101,102"}
                                              << "Browser Link!";
    // The load fails at yacPort: every field shows the stored text, the bad ones included.
    QTest::newRow("a value that does not convert")
        << QStringList{"yacPort=", "comPort=3", "newwin=x", "AsteriskPort=99999",
                       "AsteriskManager=admin"}
        << true << QStringList{"3",
                               "",
                               "NMBR = ",
                               "NAME = ",
                               "ATS0=0M0+VCID=1",
                               "115200,N,8,1",
                               "0",
                               "CallerID",
                               "https://",
                               "https://",
                               "",
                               "99999",
                               "admin",
                               "",
                               ""}
        << "Pop-up";
}

void tst_frmConfig::fieldsShow()
{
    QFETCH(QStringList, stored);
    QFETCH(bool, startupFailed);
    QFETCH(QStringList, texts);
    QFETCH(QString, newwinShown);
    Rig rig;
    rig.store_(stored);
    rig.g.startupFailed = startupFailed;
    frmConfig &dialog = rig.open();
    QCOMPARE(dialog.Texts(), texts);
    QCOMPARE(qobject_cast<QComboBox *>(dialog.Control("newwin"))->currentText(), newwinShown);
    QCOMPARE(dialog.cmdCancel()->isEnabled(), !startupFailed);
}

void tst_frmConfig::ok_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("edits"); // control=text
    QTest::addColumn<QString>("monitorFails");
    QTest::addColumn<QStringList>("written"); // key=text
    QTest::addColumn<QString>("boxText");     // empty: no box, the dialog closes
    QTest::newRow("as typed, nothing trimmed")
        << QStringList{} << QStringList{"cidKey= NMBR = ",
                                        "txtAExtension=101, 102",
                                        "txtAPassword=p&ss;w\"d",
                                        "comPort=",
                                        "newwin=1",
                                        "URL=http://crm/s?p=*&n=+"}
        << "" << QStringList{"cidKey= NMBR = ",
                             "AsteriskExtension=101, 102",
                             "AsteriskPassword=p&ss;w\"d",
                             "comPort=",
                             "newwin=1",
                             "URL=http://crm/s?p=*&n=+",
                             "AsteriskManager=Manager"}
        << "";
    QTest::newRow("Pop-up stores 0") << QStringList{"newwin=1"} << QStringList{"newwin=0"} << ""
                                     << QStringList{"newwin=0"} << "";
    QTest::newRow("empty YAC port: written, then the load fails")
        << QStringList{} << QStringList{"yacPort="} << "" << QStringList{"yacPort="}
        << "Settings: \"yacPort\" holds \"\", which is not a whole number";
    QTest::newRow("a source that cannot start")
        << QStringList{} << QStringList{"Target=crm"} << "port 10629 is already in use"
        << QStringList{"Target=crm"} << "YAC listener: port 10629 is already in use";
}

void tst_frmConfig::ok()
{
    QFETCH(QStringList, stored);
    QFETCH(QStringList, edits);
    QFETCH(QString, monitorFails);
    QFETCH(QStringList, written);
    QFETCH(QString, boxText);
    Rig rig;
    rig.store_(stored);
    if (!monitorFails.isEmpty())
        rig.monitor.failWith = monitorFails;
    QPointer<frmConfig> dialog = &rig.open();
    edit(*dialog, edits);
    const QStringList typed = dialog->Texts();
    rig.memory.replacements.clear();
    rig.window.log.clear();
    dialog->cmdOK()->click();

    // All fifteen keys, every time, in one replacement of the store.
    QCOMPARE(rig.memory.replacements, QList<QStringList>{kWriteOrder});
    for (const QString &row : written)
        QCOMPARE(rig.memory.get(row.section('=', 0, 0)), row.section('=', 1));
    if (boxText.isEmpty()) {
        QVERIFY(rig.box.shown.isEmpty());
        QCOMPARE(rig.monitor.starts, 1);
        QVERIFY(rig.window.visible);
        QTRY_VERIFY(!dialog);
        return;
    }
    QCOMPARE(rig.box.shown.size(), 1);
    QCOMPARE(rig.box.shown[0].kind, QStringLiteral("critical"));
    QCOMPARE(rig.box.shown[0].title, QStringLiteral("Modem configuration error"));
    QCOMPARE(rig.box.shown[0].text, boxText);
    QCOMPARE(rig.monitor.starts, monitorFails.isEmpty() ? 0 : 1);
    QVERIFY(!rig.window.log.contains("show"));
    QTest::qWait(0);
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->Texts(), typed);
}

void tst_frmConfig::writeFailureKeepsTheFile_data()
{
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<QString>("textStart");
    QTest::newRow("folder cannot be made") << false << "Settings: cannot create ";
    QTest::newRow("disk full") << true << "Settings: cannot write ";
}

void tst_frmConfig::writeFailureKeepsTheFile()
{
    QFETCH(bool, diskFull);
    QFETCH(QString, textStart);
    QTemporaryDir dir;
    QString configDir = dir.path();
    if (!diskFull) {
        // A file where the folder should be: nothing can be created below it.
        QFile blocker(dir.path() + QStringLiteral("/blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        configDir = blocker.fileName() + QStringLiteral("/config");
    }
    IniSettingsStore store(configDir);
    const QString path = store.FilePath(QStringLiteral("Belvane"));
    if (diskFull)
        store.WriteSetting(QStringLiteral("Belvane"), QStringLiteral("settings"),
                           QStringLiteral("yacPort"), QStringLiteral("10629"));
    QFile file(path);
    const QByteArray before = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.close();

    Rig rig(&store);
    QPointer<frmConfig> dialog = &rig.open();
    edit(*dialog, {"txtAServer=pbx.example"});
    // Files of this process may not grow past their present size, as on a full disk.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (diskFull) {
        rlimit small = saved;
        small.rlim_cur = rlim_t(before.size());
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    dialog->cmdOK()->click();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(rig.box.shown.size(), 1);
    QCOMPARE(rig.box.shown[0].title, QStringLiteral("Modem configuration error"));
    QVERIFY2(rig.box.shown[0].text.startsWith(textStart + path), qPrintable(rig.box.shown[0].text));
    QCOMPARE(rig.monitor.starts, 0);
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(qobject_cast<QLineEdit *>(dialog->Control("txtAServer"))->text(), "pbx.example");
    QCOMPARE(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), before);
    QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files),
             diskFull ? QStringList{"Belvane.ini"} : QStringList{}); // no temporary left behind
}

void tst_frmConfig::closing_data()
{
    QTest::addColumn<bool>("startupFailed");
    QTest::addColumn<QString>("monitorFails");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("ended");
    QTest::newRow("Cancel") << false << "" << QStringList{"cancel"} << true << false;
    QTest::newRow("Cancel after a failed start-up")
        << true << "" << QStringList{"cancel"} << false << false;
    QTest::newRow("close box") << false << "" << QStringList{"close"} << true << false;
    QTest::newRow("close box after a failed start-up")
        << true << "" << QStringList{"close"} << true << true;
    QTest::newRow("OK after a failed start-up") << true << "" << QStringList{"ok"} << true << false;
    // StartMonitor cleared the flag before it failed: Cancel stays off, closing no longer ends.
    QTest::newRow("close box after an OK that failed late")
        << true << "port 10629 is already in use" << QStringList{"ok", "cancel", "close"} << true
        << false;
}

void tst_frmConfig::closing()
{
    QFETCH(bool, startupFailed);
    QFETCH(QString, monitorFails);
    QFETCH(QStringList, actions);
    QFETCH(bool, closed);
    QFETCH(bool, ended);
    Rig rig;
    rig.g.startupFailed = startupFailed;
    if (!monitorFails.isEmpty())
        rig.monitor.failWith = monitorFails;
    QPointer<frmConfig> dialog = &rig.open();
    QSignalSpy end(&rig.opener, &ConfigOpener::endProgram);
    edit(*dialog, {"Target=edited"});
    for (const QString &action : actions) {
        QVERIFY(dialog);
        if (action == QLatin1String("cancel")) {
            QCOMPARE(dialog->cmdCancel()->isEnabled(), !startupFailed);
            dialog->cmdCancel()->click();
        } else if (action == QLatin1String("ok")) {
            dialog->cmdOK()->click();
        } else {
            dialog->close();
        }
        QTest::qWait(0);
    }
    QCOMPARE(!dialog, closed);
    QCOMPARE(end.size(), ended ? 1 : 0);
    // Closing without ending brings the main window back.
    QCOMPARE(rig.window.visible, closed && !ended);
    if (!actions.contains("ok"))
        QCOMPARE(rig.memory.get("Target"), QString()); // nothing written
}

void tst_frmConfig::oneDialogAtATime()
{
    Rig rig;
    frmConfig *first = &rig.open();
    edit(*first, {"URL=typed"});
    rig.window.ShowAndActivate(); // a call brought the main window up meanwhile
    QCOMPARE(&rig.open(), first);
    QCOMPARE(rig.window.log, (QStringList{"hide", "show", "hide"}));
    QCOMPARE(qobject_cast<QLineEdit *>(first->Control("URL"))->text(), "typed"); // not reloaded
    QVERIFY(QTest::qWaitForWindowActive(first));
}

QTEST_MAIN(tst_frmConfig)
#include "tst_frmconfig.moc"
