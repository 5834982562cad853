#include "app/MainProgram.h"
#include "app/Monitor.h"
#include "app/frmMain.h"
#include "fakes/FakeBrowser.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/TestSupport.h"
#include "platform/IniSettingsStore.h"
#include "platform/TcpSocketControl.h"
#include "settings/frmConfig.h"
#include "settings/LoadSettings.h"

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
        m_program = std::make_unique<MainProgram>(
            Adapters{*m_store, m_browser, new QWidget, m_box, m_winsock1, m_wsAst});
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<IniSettingsStore> m_store;
    FakeBrowser m_browser;
    FakeMessageBox m_box;
    TcpSocketControl m_winsock1;
    TcpSocketControl m_wsAst;
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

QTEST_MAIN(tst_MainProgram)
#include "tst_mainprogram.moc"
