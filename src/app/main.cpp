#include "app/MainProgram.h"
#include "platform/IniSettingsStore.h"
#include "platform/QtMessageBox.h"
#include "platform/QtSerialPort.h"
#include "platform/TcpSocketControl.h"
#include "platform/WebEngineBrowser.h"

#include <QApplication>
#include <QWebEngineView>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Belvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Ringscout"));

    IniSettingsStore store;
    QtMessageBox box;
    WebEngineBrowser browser;
    TcpSocketControl winsock1;
    TcpSocketControl wsAst;
    QtSerialPort modem;
    MainProgram program(store, browser, browser.Pane(), box, winsock1, wsAst, modem);
    QObject::connect(&program, &MainProgram::quitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    program.Start();
    return app.exec();
}
