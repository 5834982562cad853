// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainProgram.h"
#include "app/Monitor.h"
#include "app/frmMain.h"
#include "base/TelLink.h"
#include "dialer/frmDialer.h"
#include "e2e/HttpRecorder.h"
#include "fakes/FakeBrowser.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/PtyModem.h"
#include "fakes/TestSupport.h"
#include "platform/IniSettingsStore.h"
#include "platform/NamedBrowserWindow.h"
#include "platform/QtSerialPort.h"
#include "platform/TcpSocketControl.h"
#include "platform/WebEngineBrowser.h"
#include "sources/ModemMonitor.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QWebEnginePage>
#include <QtTest>

// The main window wired to real sockets, a real serial port and a real settings file, and the
// real browser engine against a web server on 127.0.0.1, under a window manager.
class tst_MainProgram : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // openbox runs its --startup command once it manages the screen.
        const QString ready = m_dir.filePath(QStringLiteral("openbox-ready"));
        m_openbox.start(QStringLiteral("openbox"), {"--sm-disable", "--startup", "touch " + ready});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(ready), 10000);
    }
    void cleanupTestCase()
    {
        m_openbox.terminate();
        m_openbox.waitForFinished(5000);
    }
    void cleanup()
    {
        m_program.reset();
        m_Winsock1.Close();
        m_wsAst.Close();
    }
    void quitStoresNormalGeometry();
    void modem();
    void browser();

public slots:
    // Stands in for the desktop's handler of other programs' addresses.
    void open(const QUrl &url) { m_opened << url; }

private:
    void set(const QString &key, const QString &value) { m_store.WriteSetting(key, value); }
    // No modem and no YAC listener unless `settings` say otherwise. Port 3 is polled every
    // 20 ms; a lost device is looked for every 50 ms.
    frmMain &start(const ISettingsStore::KeyValues &settings = {})
    {
        m_program.reset();
        m_store.writeSettings(ISettingsStore::KeyValues{{"comPort", ""}, {"yacPort", "0"}} +
                              settings);
        m_program = std::make_unique<MainProgram>(
            Adapters{m_store, m_browser, new QWidget, m_box, m_Winsock1, m_wsAst, m_serial});
        m_program->modem().setIntervals({.poll = 20, .reopen = 50});
        m_program->start();
        return m_program->mainWindow();
    }

    QTemporaryDir m_dir;
    IniSettingsStore m_store{QStringLiteral("Belvane"), QStringLiteral("settings"), m_dir.path()};
    FakeBrowser m_browser;
    FakeMessageBox m_box;
    TcpSocketControl m_Winsock1, m_wsAst;
    QtSerialPort m_serial{m_dir.path()};
    std::unique_ptr<MainProgram> m_program;
    QProcess m_openbox;
    QList<QUrl> m_opened;
};

// Quit from a maximised window, and from one minimised while maximised, stores where the
// window stands in its normal state; the next start puts it back there. Closing from the
// title bar also ends the program, but saves nothing; a failed save does not keep it running.
void tst_MainProgram::quitStoresNormalGeometry()
{
    frmMain &window = start();
    // Laid out again once framed: the row ends 150 twips inside the outer right edge.
    QTRY_VERIFY(window.frameGeometry().width() > window.width() &&
                window.cmdQuit()->x() * 15 == window.frameGeometry().width() * 15 - 6525);
    window.setGeometry(150, 120, 700, 520);
    QTRY_COMPARE(window.geometry(), QRect(150, 120, 700, 520));
    const QRect frame = window.frameGeometry();
    const QRect normal(frame.x() * 15, frame.y() * 15, frame.width() * 15, frame.height() * 15);
    const auto get = [&](const char *key) { return m_store.ReadSetting(key, {}).toInt(); };
    const auto quitStores = [&] {
        window.cmdQuit()->click();
        const QRect stored(get("startx"), get("starty"), get("startw"), get("starth"));
        set("startx", "1");
        return stored;
    };
    QSignalSpy quit(m_program.get(), &MainProgram::quitRequested);
    window.showMaximized();
    QTRY_VERIFY(window.isMaximized() && window.frameGeometry().width() > frame.width());
    QCOMPARE(quitStores(), normal);
    window.showMinimized();
    QTRY_VERIFY(window.isMinimized());
    QCOMPARE(quitStores(), normal);
    window.close();
    QCOMPARE(quit.size(), 3);
    QCOMPARE(get("startx"), 1);

    set("startx", QString::number(frame.x() * 15));
    QTRY_COMPARE(start().frameGeometry(), frame);
    QVERIFY(QFile::remove(m_store.filePath()) && QDir().mkdir(m_store.filePath()));
    QSignalSpy ended(m_program.get(), &MainProgram::quitRequested);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot"));
    m_program->mainWindow().cmdQuit()->click();
    QCOMPARE(ended.size(), 1);
    QVERIFY(QDir().rmdir(m_store.filePath()));
}

// The switch stops and starts the modem, "&Dial" only while its port is open, and the Phone
// Dialer; a modem unplugged and plugged in again. The modem's own part is tst_modemmonitor's.
void tst_MainProgram::modem()
{
    PtyModem far;
    QVERIFY(far.linkAs(m_dir.path(), 3));
    frmMain &window =
        start({{"comPort", "3"}, {"yacPort", QString::number(TestSupport::freeSmallPort())}});
    QCOMPARE(m_Winsock1.State(), int(ISocketControl::sckListening));
    QTest::mouseClick(window.cmdToggle(), Qt::LeftButton);
    QVERIFY(!window.cmdDialer()->isEnabled() && !m_serial.PortOpen());
    m_program->record().yacPort = 0; // as after Options: the next start closes the listener
    QTest::mouseClick(window.cmdToggle(), Qt::LeftButton);
    QVERIFY(m_serial.PortOpen() && m_Winsock1.State() == ISocketControl::sckClosed);
    // A port that fails to open is shown in a box; monitoring stays off, the program goes on.
    QVERIFY(QFile::link(m_dir.filePath("ttyACM9"), m_dir.filePath("Belvane/com4")));
    m_program->record().comPort = 4;
    QTest::mouseClick(window.cmdToggle(), Qt::LeftButton);
    QTest::mouseClick(window.cmdToggle(), Qt::LeftButton);
    QCOMPARE(m_box.shown.size(), 1);
    QCOMPARE(m_box.shown[0].kind + '|' + m_box.shown[0].title + '|' + m_box.shown[0].text.left(13),
             "critical|Ringscout|Serial port 4");
    QVERIFY(!m_program->monitoring().pollEnabled() && !window.cmdDialer()->isEnabled());
    m_program->record().comPort = 3;
    QTest::mouseClick(window.cmdToggle(), Qt::LeftButton);
    QVERIFY(m_program->monitoring().pollEnabled() && window.cmdDialer()->isEnabled());

    // "&Dial" hides the main window for the dialer; its close box returns as Cancel does,
    // dialling nothing. (Enter dials: tst_program; the dialer's own part: tst_dialeropener.)
    QTest::mouseClick(window.cmdDialer(), Qt::LeftButton);
    frmDialer *dialer = m_program->dialer();
    QVERIFY(!window.isVisible() && QTest::qWaitForWindowActive(dialer));
    dialer->OKButton()->setFocus();
    QTest::keyClick(dialer, Qt::Key_N, Qt::AltModifier); // "&Number:" keeps its access key
    QCOMPARE(QApplication::focusWidget(), dialer->txtNumber());
    dialer->close();
    QVERIFY(window.isVisible() && m_program->modem().dialStep().number().isEmpty());
    // The field shows what the modem gets, from a page's link, a paste or the keys; a number the
    // modem would take as commands is refused in a box, and nothing is sent.
    for (const auto &[given, shown, sent] : QList<std::tuple<QString, QString, QByteArray>>{
             {"tel:%E2%80%AE0010555", "0010555", "ATDT 0010555\r\r"},
             {"paste \u202E555\u20280100", "5550100", "ATDT 5550100\r\r"},
             {"tel:5551234%3BS0%3D1", "5551234", "ATDT 5551234\r\r"},
             {"5551234;", "5551234;", ""},
             {"1-800-FLOWERS", "1-800-FLOWERS", ""},
             {"9,T555P1W!@", "9,T555P1W!@", "ATDT 9,T555P1W!@\r\r"}}) {
        const qsizetype bytes = far.received.size(), boxes = m_box.shown.size();
        if (given.startsWith("tel:")) {
            m_program->answer(TelLink::dialNumber(QUrl(given)).value_or("-"));
        } else {
            QTest::mouseClick(window.cmdDialer(), Qt::LeftButton);
            dialer->txtNumber()->clear();
            QGuiApplication::clipboard()->setText(given.mid(6));
            given.startsWith("paste ") ? dialer->txtNumber()->paste()
                                       : QTest::keyClicks(dialer->txtNumber(), given);
        }
        QCOMPARE(dialer->txtNumber()->text(), shown);
        QTest::keyClick(dialer->txtNumber(), Qt::Key_Return);
        QTRY_COMPARE(m_box.shown.size(), boxes + sent.isEmpty());
        QTRY_COMPARE(far.received.mid(bytes), sent);
        QVERIFY(!sent.isEmpty() || (m_program->modem().dialStep().number().isEmpty() &&
                                    m_box.shown.last().text.startsWith(
                                        "The number cannot be dialled through the modem: it holds "
                                        "\";\", a letter other")));
    }

    // Unplugged, monitoring shows as off, with no box; plugged in again, it is back on.
    far.Close();
    QTRY_COMPARE(window.cmdToggle()->text(), QStringLiteral("&Enable Monitor"));
    PtyModem again;
    QVERIFY(again.linkAs(m_dir.path(), 3));
    QTRY_COMPARE(window.cmdToggle()->text(), QStringLiteral("Disable &Monitor"));
    QCOMPARE(m_box.shown.size(), 3);
}

// A pop with a target goes to the window of that name, brought up from behind another, and
// leaves the minimised main window alone; once the user closes it, the next call opens one.
// (What the browser makes of an address: tst_urlpolicy.)
void tst_MainProgram::browser()
{
    HttpRecorder web;
    QVERIFY(web.start());
    WebEngineBrowser engine;
    frmMain window(engine.pane());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // Tab order with the engine's own focus widget, made once a page shows.
    engine.navigate(web.url(QStringLiteral("/tabs")));
    QTRY_VERIFY(web.requests().contains(QStringLiteral("/tabs")) && engine.pane()->focusProxy());
    window.setDialerEnabled(true);
    window.cmdQuit()->setFocus();
    const auto holds = [](const QWidget *widget) {
        return widget->hasFocus() || widget->isAncestorOf(QApplication::focusWidget());
    };
    for (const char *next : {"cmdHide", "cmdToggle", "cmdSettings", "browser", "cmdDialer"}) {
        const QWidget *want = window.findChild<QWidget *>(next); // the pane: the engine's widget
        // An empty page hands Tab on, though the engine may first spend one on the document.
        for (int tab = 0; tab < 2 && !holds(want) && (tab == 0 || holds(engine.pane())); ++tab) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            (void)QTest::qWaitFor([&] { return holds(want); }, 3000);
        }
        QVERIFY2(holds(want), next);
    }
    // A click on a page's tel: or callto: link dials; another program opens any other address
    // only after a Yes in a box that names it. The page's console is logged quoted.
    for (const char *scheme : {"mailto", "sip", "x-made-up"})
        QDesktopServices::setUrlHandler(scheme, this, "open");
    QStringList dialled;
    connect(&engine, &IBrowser::dialRequested, this, [&](const QString &n) { dialled << n; });
    const QList<std::pair<QString, QString>> links{{"mailto:someone@example.com", "No"},
                                                   {"sip:101@pbx.example", "Yes"},
                                                   {"x-made-up:%E2%80%AEfdp.exe", "No"},
                                                   {"callto:+1-555-0100", "+1-555-0100"}};
    QString page = "<body style='margin:0'>"; // one band of the page for each link
    for (const auto &[link, answer] : links)
        page += "<a href='" + link + "' style='display:block;height:25vh'>x</a>";
    QSignalSpy loaded(engine.pane(), &QWebEngineView::loadFinished);
    engine.pane()->setHtml(page, web.url("/"));
    QVERIFY(loaded.wait(20000));
    for (int i = 0; i < links.size(); ++i) {
        const QString &link = links[i].first, &answer = links[i].second;
        // A page takes clicks a moment after it has loaded; the first may still meet the page
        // before, with its tel: link.
        QMessageBox *box = nullptr;
        const QString shown = "\n\n" + QUrl(link).toString(QUrl::FullyEncoded) + "\n\n";
        const auto answered = [&] {
            box = window.findChild<QMessageBox *>();
            // A late box of the link before (a click the loaded page took twice) is refused.
            if (box && !box->text().contains(shown) && box->isVisible()) {
                box->button(QMessageBox::No)->click();
                box = nullptr;
            }
            return dialled.contains(answer) || (box && box->isVisible()) || !m_opened.isEmpty();
        };
        for (int click = 0; click < 20 && !answered(); ++click) {
            QTest::mouseClick(engine.pane()->focusProxy(), Qt::LeftButton, {},
                              {10, engine.pane()->height() * (i * 2 + 1) / 8});
            if (QTest::qWaitFor(answered, 3000))
                break;
        }
        if (answer != "Yes" && answer != "No") {
            QVERIFY(dialled.contains(answer) && !(box && box->isVisible()));
            continue;
        }
        QVERIFY(box);
        QVERIFY2(box->text().contains(shown), qPrintable(box->text()));
        QVERIFY(m_opened.isEmpty());
        box->button(answer == "Yes" ? QMessageBox::Yes : QMessageBox::No)->click();
        QTRY_VERIFY(!window.findChild<QMessageBox *>());
        QCOMPARE(m_opened, answer == "Yes" ? QList<QUrl>{QUrl(link)} : QList<QUrl>{});
        m_opened.clear();
    }
    for (const char *scheme : {"mailto", "sip", "x-made-up"})
        QDesktopServices::unsetUrlHandler(scheme);
    const TestSupport::LogLines lines(QStringLiteral("ringscout.page=true"));
    engine.pane()->page()->runJavaScript("console.error('a\\nringscout.ami: FORGED\\u001b[2J')");
    QTRY_COMPARE(lines.filter("FORGED").size(), 1);
    QVERIFY2(lines.filter("FORGED")[0].startsWith(
                 R"(ringscout.page: error "a\nringscout.ami: FORGED\u001B[2J" at )"),
             qPrintable(lines.join('\n')));
    window.showMinimized();
    QTRY_VERIFY(window.isMinimized());
    const QString target = QStringLiteral("CallerID");
    const auto call = [&](const QString &page) { // a pop as the caller pop makes it
        engine.navigateNamed(target, web.url(page));
        return QTest::qWaitFor([&] { return web.requests().contains(page); }, 20000);
    };
    QVERIFY(call("/named?phone=5551234567"));
    QPointer<NamedBrowserWindow> first = engine.namedWindow(target);
    QVERIFY(first && first->windowTitle() == target);

    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &other);
    QVERIFY(call("/named?phone=5559876543"));
    QTRY_COMPARE(QApplication::activeWindow(), first.data());
    QCOMPARE(engine.namedWindow(target), first.data());
    QVERIFY(window.isMinimized());

    first->close();
    QTRY_VERIFY(first.isNull() && !engine.namedWindow(target));
    QVERIFY(call("/named?phone=5551112222"));
}

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    tst_MainProgram test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainprogram.moc"
