#include "app/MainProgram.h"
#include "app/Monitor.h"
#include "app/frmMain.h"
#include "dialer/frmDialer.h"
#include "fakes/FakeBrowser.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/PtyModem.h"
#include "fakes/TestSupport.h"
#include "platform/Failure.h"
#include "platform/IniSettingsStore.h"
#include "platform/QtSerialPort.h"
#include "platform/TcpSocketControl.h"
#include "settings/LoadSettings.h"
#include "settings/frmConfig.h"
#include "sources/ModemMonitor.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

// The main window wired to real sockets and a real settings file, under a window manager.
class tst_MainProgram : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startsAndListens();
    void quitKeepsTheFileAsTyped_data();
    void quitKeepsTheFileAsTyped();
    void quitStoresNormalGeometry();
    void brokenSettingLeadsIntoOptionsAndOut();
    void startupFailureReported_data();
    void startupFailureReported();
    void toggleWithoutModemRearmsTheListener();
    void toggleFailureIsShownNotFatal();
    void stopMonitorLeavesYacRunning();
    void modemPopsAndToggles();
    void dialerAndUnplug();

private:
    void set(const QString &key, const QString &value)
    {
        m_store->WriteSetting(QStringLiteral("Belvane"), QStringLiteral("settings"), key, value);
    }
    QString get(const QString &key)
    {
        return m_store->ReadSetting(QStringLiteral("Belvane"), QStringLiteral("settings"), key,
                                    QStringLiteral("absent"));
    }
    static quint16 freePort() { return TestSupport::FreeSmallPort(); }
    void makeProgram()
    {
        m_program.reset();
        m_modem = std::make_unique<QtSerialPort>(m_dir->path());
        m_program = std::make_unique<MainProgram>(
            Adapters{*m_store, m_browser, new QWidget, m_box, m_winsock1, m_wsAst, *m_modem});
    }
    // Port 3, polled every 20 ms; a lost device is looked for every 50 ms.
    void startWithModem()
    {
        set("comPort", "3");
        set("yacPort", "0");
        makeProgram();
        m_program->Modem().SetPollInterval(20);
        m_program->Modem().SetReopenInterval(50);
        m_program->Start();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<IniSettingsStore> m_store;
    FakeBrowser m_browser;
    FakeMessageBox m_box;
    TcpSocketControl m_winsock1;
    TcpSocketControl m_wsAst;
    std::unique_ptr<QtSerialPort> m_modem;
    std::unique_ptr<MainProgram> m_program;
    TestSupport::WindowManager m_openbox;
};

void tst_MainProgram::initTestCase()
{
    QVERIFY(m_openbox.Start());
}

void tst_MainProgram::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_store = std::make_unique<IniSettingsStore>(m_dir->path());
    m_box.shown.clear();
    m_box.onShow = nullptr; // a test's hook must not outlive the locals it refers to
    m_browser.log.clear();
    set("comPort", "");
    set("startupURL", "");
}

void tst_MainProgram::cleanup()
{
    m_program.reset();
    m_winsock1.Close();
    m_wsAst.Close();
}

void tst_MainProgram::startsAndListens()
{
    const quint16 port = freePort();
    set("yacPort", QString::number(port));
    makeProgram();
    m_program->Start();
    frmMain &window = m_program->MainWindow();
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowTitle(), QStringLiteral("Ringscout v1.2.17 - Belvane"));
    QCOMPARE(window.cmdToggle()->text(), QStringLiteral("Disable &Monitor"));
    QVERIFY(!window.cmdDialer()->isEnabled());
    QCOMPARE(m_winsock1.State(), int(ISocketControl::sckListening));
    QCOMPARE(m_winsock1.LocalPort(), int(port));
    QVERIFY(m_box.shown.isEmpty());
    QVERIFY(!window.lblNetFail()->isVisible()); // no Asterisk configured
}

// "%G" marks where the four geometry lines go; the rest of the file is kept byte for byte.
void tst_MainProgram::quitKeepsTheFileAsTyped_data()
{
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("quit");
    const QByteArray readme = "; my desk\n[settings]\nAsteriskExtension=101,102\n"
                              "modemSettings=115200,N,8,1\nyacPort=0\n"
                              "URL=http://127.0.0.1:9/search?phone=*&name=+";
    const QByteArray geometry = "\nstartx=%X\nstarty=%Y\nstartw=%W\nstarth=%H";
    QTest::newRow("as in the README") << readme + "\n" << readme + geometry + "\n";
    QByteArray crlf = readme + "\n", crlfQuit = readme + geometry + "\n";
    QTest::newRow("CR LF") << crlf.replace("\n", "\r\n") << crlfQuit.replace("\n", "\r\n");
    QTest::newRow("keys outside [settings], one stored")
        << QByteArray("startx=1\n[settings]\nAsteriskExtension=101,102\nstartw = 9000 ; wide\n"
                      "yacPort=0\n\n[other]\nstarty=5")
        << QByteArray("startx=1\n[settings]\nAsteriskExtension=101,102\nstartw = %W ; wide\n"
                      "yacPort=0\nstartx=%X\nstarty=%Y\nstarth=%H\n\n[other]\nstarty=5");
}

void tst_MainProgram::quitKeepsTheFileAsTyped()
{
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, quit);
    const QString path = m_store->FilePath(QStringLiteral("Belvane"));
    QFile file(path);
    for (int run = 0; run < 3; ++run) {
        if (run == 0) { // as an editor leaves it: readable by everyone
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(typed);
            file.close();
            QVERIFY(file.setPermissions(file.permissions() | QFile::ReadOther));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("readable by its owner only"));
        } else if (run == 1) { // said once
            QTest::failOnWarning(QRegularExpression("readable by its owner only"));
        }
        makeProgram();
        m_program->Start();
        QCOMPARE(file.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
        QCOMPARE(m_program->Record().AsteriskExtension, QStringLiteral("101,102"));
        const QList<int> normal = m_program->MainWindow().NormalGeometryTwips();
        m_program->MainWindow().cmdQuit()->click();
        QByteArray expected = quit;
        expected.replace("%X", QByteArray::number(normal[0]))
            .replace("%Y", QByteArray::number(normal[1]))
            .replace("%W", QByteArray::number(normal[2]))
            .replace("%H", QByteArray::number(normal[3]));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), expected);
        file.close();
        m_program.reset();
    }
}

// Quit from a maximised window, and from one minimised while maximised, stores where the
// window stands in its normal state; the next start puts it back there.
void tst_MainProgram::quitStoresNormalGeometry()
{
    set("yacPort", "0");
    makeProgram();
    m_program->Start();
    frmMain &window = m_program->MainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.setGeometry(150, 120, 700, 520);
    QTRY_COMPARE(window.geometry(), QRect(150, 120, 700, 520));
    const QList<int> normal = window.NormalGeometryTwips();
    QSignalSpy quit(m_program.get(), &MainProgram::quitRequested);
    window.showMaximized();
    QTRY_VERIFY(window.isMaximized() && window.width() > 700);
    window.cmdQuit()->click();
    QCOMPARE(QStringList({get("startx"), get("starty"), get("startw"), get("starth")}),
             QStringList({QString::number(normal[0]), QString::number(normal[1]),
                          QString::number(normal[2]), QString::number(normal[3])}));
    set("startx", "1");
    window.showMinimized();
    QTRY_VERIFY(window.isMinimized());
    window.cmdQuit()->click();
    QCOMPARE(get("startx"), QString::number(normal[0]));
    QCOMPARE(quit.size(), 2);

    // Closing from the title bar also ends the program, but saves nothing.
    set("startx", "1");
    window.close();
    QCOMPARE(quit.size(), 3);
    QCOMPARE(get("startx"), QStringLiteral("1"));
    set("startx", QString::number(normal[0]));

    m_program.reset();
    makeProgram();
    m_program->Start();
    QVERIFY(QTest::qWaitForWindowExposed(&m_program->MainWindow()));
    QTRY_COMPARE(m_program->MainWindow().NormalGeometryTwips(), normal);
}

void tst_MainProgram::brokenSettingLeadsIntoOptionsAndOut()
{
    const quint16 port = freePort();
    set("yacPort", QString::number(port));
    makeProgram();
    m_program->Start();
    QTest::mouseClick(m_program->MainWindow().cmdSettings(), Qt::LeftButton);
    auto yacBox = [&] { return m_program->Options().Current()->findChild<QLineEdit *>("yacPort"); };
    yacBox()->clear();
    m_program->Options().Current()->cmdOK()->click();
    QCOMPARE(m_box.shown.size(), 1);
    QCOMPARE(m_box.shown[0].title, QStringLiteral("Modem configuration error"));
    QVERIFY(!m_program->MainWindow().isVisible());

    // The next start fails on the stored empty port: the box, then the dialog without Cancel.
    m_program.reset();
    m_winsock1.Close();
    makeProgram();
    m_program->Start();
    QCOMPARE(m_box.shown.size(), 2);
    QCOMPARE(m_box.shown[1].title, QStringLiteral("Modem Initialization Failure"));
    QPointer<frmConfig> options = m_program->Options().Current();
    QVERIFY(options && options->isVisible() && !options->cmdCancel()->isEnabled());
    QVERIFY(!m_program->MainWindow().isVisible());
    yacBox()->setText(QString::number(port));
    options->cmdOK()->click();
    QCOMPARE(m_box.shown.size(), 2);
    QVERIFY(m_program->MainWindow().isVisible());
    QTRY_VERIFY(!options);
    QCOMPARE(m_winsock1.LocalPort(), int(port));
}

void tst_MainProgram::startupFailureReported_data()
{
    QTest::addColumn<bool>("settingsFolder"); // a folder where the settings file belongs
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toggle");
    QTest::newRow("YAC port in use") << false << "YAC listener: "
                                     << "Disable &Monitor";
    QTest::newRow("settings file unreadable")
        << true << "Settings: cannot read %1: file to open is a directory"
        << "&Enable Monitor";
}

void tst_MainProgram::startupFailureReported()
{
    QFETCH(bool, settingsFolder);
    QFETCH(QString, text);
    QFETCH(QString, toggle);
    QTcpServer squatter;
    QVERIFY(TestSupport::ListenOnSmallPort(squatter, QHostAddress::Any));
    set("yacPort", QString::number(squatter.serverPort()));
    const QString path = m_store->FilePath(QStringLiteral("Belvane"));
    if (settingsFolder)
        QVERIFY(QFile::remove(path) && QDir().mkdir(path));
    makeProgram();
    m_program->Start();
    QCOMPARE(m_box.shown.size(), 1);
    QCOMPARE(m_box.shown[0].title, QStringLiteral("Modem Initialization Failure"));
    if (settingsFolder)
        text = text.arg(path);
    QVERIFY2(m_box.shown[0].text.startsWith(text), qPrintable(m_box.shown[0].text));
    QCOMPARE(m_winsock1.State(), int(ISocketControl::sckClosed));
    QVERIFY(m_program->State().startupFailed);
    QCOMPARE(m_program->MainWindow().cmdToggle()->text(), toggle);
    QVERIFY(!m_program->MainWindow().cmdDialer()->isEnabled());
    // The main window waits behind the Options dialog.
    QVERIFY(!m_program->MainWindow().isVisible());
    QVERIFY(m_program->Options().Current());
}

void tst_MainProgram::toggleWithoutModemRearmsTheListener()
{
    const quint16 port = freePort();
    set("yacPort", QString::number(port));
    makeProgram();
    m_program->Start();
    QCOMPARE(m_winsock1.State(), int(ISocketControl::sckListening));

    // A YAC server that connected and has not finished is dropped by the click.
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(client.waitForConnected(3000));
    QTRY_COMPARE(m_winsock1.State(), int(ISocketControl::sckConnected));

    QPushButton *toggle = m_program->MainWindow().cmdToggle();
    for (int click = 0; click < 2; ++click) {
        QTest::mouseClick(toggle, Qt::LeftButton);
        QCOMPARE(m_winsock1.State(), int(ISocketControl::sckListening));
        QCOMPARE(toggle->text(), QStringLiteral("Disable &Monitor"));
        QVERIFY(!m_program->MainWindow().cmdDialer()->isEnabled());
    }
    QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);
    QVERIFY(m_box.shown.isEmpty());
}

void tst_MainProgram::toggleFailureIsShownNotFatal()
{
    set("yacPort", QString::number(freePort()));
    makeProgram();
    m_program->Start();
    // Another program takes the port; the listener is re-armed by the click and fails.
    m_winsock1.Close();
    QTcpServer squatter;
    QVERIFY(squatter.listen(QHostAddress::Any, quint16(m_program->Record().yacPort)));
    QTest::mouseClick(m_program->MainWindow().cmdToggle(), Qt::LeftButton);
    QCOMPARE(m_box.shown.size(), 1);
    QCOMPARE(m_box.shown[0].kind, QStringLiteral("critical"));
    QCOMPARE(m_box.shown[0].title, QStringLiteral("Ringscout"));
    QVERIFY(m_box.shown[0].text.contains(QString::number(squatter.serverPort())));
}

void tst_MainProgram::stopMonitorLeavesYacRunning()
{
    set("yacPort", QString::number(freePort()));
    makeProgram();
    m_program->Start();
    m_program->Monitoring().StopMonitor();
    QCOMPARE(m_program->MainWindow().cmdToggle()->text(), QStringLiteral("&Enable Monitor"));
    QCOMPARE(m_winsock1.State(), int(ISocketControl::sckListening));
    // yacPort 0: the next start closes the listener and leaves it closed.
    set("yacPort", "0");
    LoadSettings(m_program->Record(), *m_store, m_program->MainWindow()); // as after Options
    m_program->Monitoring().StartMonitor();
    QCOMPARE(m_winsock1.State(), int(ISocketControl::sckClosed));
    QCOMPARE(m_program->MainWindow().cmdToggle()->text(), QStringLiteral("Disable &Monitor"));
}

// The modem through the program: a call pops, the monitoring button stops and starts it, and a
// port that fails to open stops the poll until the next click.
void tst_MainProgram::modemPopsAndToggles()
{
    PtyModem far;
    QVERIFY(far.LinkAs(m_dir->path(), 3));
    set("URL", "http://crm/?p=*&n=+");
    // A start-up that fails before the modem opens leaves "&Dial" off: nothing would dial.
    set("AsteriskPort", "x");
    startWithModem();
    QVERIFY(!m_program->MainWindow().cmdDialer()->isEnabled());
    set("AsteriskPort", "5038");

    startWithModem();
    frmMain &window = m_program->MainWindow();
    QTRY_COMPARE(far.received, QByteArray("ATS0=0M0+VCID=1\r"));
    far.Write("RING\r\nNMBR = 8475550001\r\nNAME = U.S.ROBOTICS\r\n");
    QTRY_VERIFY(m_browser.log.contains("pane http://crm/?p=8475550001&n=U%2ES%2EROBOTICS"));

    QTest::mouseClick(window.cmdToggle(), Qt::LeftButton);
    QVERIFY(!window.cmdDialer()->isEnabled() && !m_modem->PortOpen());
    far.received.clear();
    QTest::mouseClick(window.cmdToggle(), Qt::LeftButton);
    QVERIFY(window.cmdDialer()->isEnabled() && m_modem->PortOpen());
    QTRY_COMPARE(far.received, QByteArray("ATS0=0M0+VCID=1\r"));

    const QString missing = m_dir->filePath("ttyACM9");
    QVERIFY(QFile::link(missing, m_dir->filePath("Belvane/com4")));
    m_program->Record().comPort = 4;
    try {
        m_program->Monitoring().StartMonitor();
        QFAIL("opened a missing device");
    } catch (const Failure &failure) {
        QCOMPARE(failure.Text(),
                 "Serial port 4: cannot open " + missing + ": No such file or directory");
    }
    QVERIFY(!m_program->Monitoring().PollEnabled() && !window.cmdDialer()->isEnabled());
    QCOMPARE(window.cmdToggle()->text(), QStringLiteral("&Enable Monitor"));
    m_program->Record().comPort = 3;
    QTest::mouseClick(window.cmdToggle(), Qt::LeftButton);
    QVERIFY(m_program->Monitoring().PollEnabled() && window.cmdDialer()->isEnabled());
}

// The Phone Dialer, and a modem that is unplugged and plugged in again.
void tst_MainProgram::dialerAndUnplug()
{
    PtyModem far;
    QVERIFY(far.LinkAs(m_dir->path(), 3));
    startWithModem();
    frmMain &window = m_program->MainWindow();
    QTRY_COMPARE(far.received, QByteArray("ATS0=0M0+VCID=1\r"));

    // "&Dial" hides the main window for the dialer; Enter dials and brings it back.
    far.received.clear();
    QTest::mouseClick(window.cmdDialer(), Qt::LeftButton);
    frmDialer *dialer = m_program->Dialer();
    QVERIFY(!window.isVisible() && dialer->isVisible());
    QCOMPARE(dialer->windowTitle(), QStringLiteral("Phone Dialer"));
    QCOMPARE(dialer->size(), QSize(439, 34)); // 6585 x 510 twips at 15 twips a pixel
    QCOMPARE(dialer->txtNumber()->geometry(), QRect(72, 8, 265, 19)); // 1080, 120, 3975, 285
    QCOMPARE(dialer->OKButton()->nextInFocusChain(), dialer->cmdCancel());
    QTRY_COMPARE(QApplication::focusWidget(), dialer->txtNumber());
    QTest::keyClicks(dialer->txtNumber(), " 555-0100");
    QTest::keyClick(dialer->txtNumber(), Qt::Key_Return);
    QVERIFY(window.isVisible() && !dialer->isVisible());
    QTRY_COMPARE(far.received, QByteArray("ATDT  555-0100\r\r"));

    // Made once: the number is still there; the close box returns as Cancel does.
    QTest::mouseClick(window.cmdDialer(), Qt::LeftButton);
    QCOMPARE(m_program->Dialer(), dialer);
    QCOMPARE(dialer->txtNumber()->text(), QStringLiteral(" 555-0100"));
    dialer->close();
    QVERIFY(window.isVisible() && m_program->State().dialNumber.isEmpty());

    // Unplugged: the port is closed at once and monitoring shows as off, with no box; plugged
    // in again, the modem is initialised and monitoring is back on.
    QSignalSpy lost(m_modem.get(), &ISerialPort::DeviceLost);
    far.Close();
    QTRY_COMPARE(window.cmdToggle()->text(), QStringLiteral("&Enable Monitor"));
    QVERIFY(!window.cmdDialer()->isEnabled() && !m_program->Monitoring().PollEnabled());
    PtyModem quiet(false);
    QVERIFY(quiet.LinkAs(m_dir->path(), 3));
    QTRY_COMPARE(window.cmdToggle()->text(), QStringLiteral("Disable &Monitor"));
    QVERIFY(window.cmdDialer()->isEnabled() && m_program->Monitoring().PollEnabled());
    // This far end makes Qt report its loss again and again until the port is closed.
    quiet.Close();
    QTRY_COMPARE(window.cmdToggle()->text(), QStringLiteral("&Enable Monitor"));
    QTest::qWait(200); // tries to reopen find no device
    QCOMPARE(lost.size(), 2);
    PtyModem again;
    QVERIFY(again.LinkAs(m_dir->path(), 3));
    QTRY_COMPARE(again.received, QByteArray("ATS0=0M0+VCID=1\r"));
    QTRY_COMPARE(window.cmdToggle()->text(), QStringLiteral("Disable &Monitor"));
    QVERIFY(m_box.shown.isEmpty());
}

QTEST_MAIN(tst_MainProgram)
#include "tst_mainprogram.moc"
