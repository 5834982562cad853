// SPDX-License-Identifier: GPL-3.0-or-later
#include "Version.h"
#include "app/MainProgram.h"
#include "platform/IniSettingsStore.h"
#include "platform/QtMessageBox.h"
#include "platform/QtSerialPort.h"
#include "platform/TcpSocketControl.h"
#include "platform/WebEngineBrowser.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QWebEngineView>

#include <cstdio>
#include <cstring>

namespace {

// --help and --version answer without a display; every other argument is left to Qt and
// the browser engine, which take options of their own ("--remote-debugging-port=9222").
bool asksForInformation(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char *option : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

int showInformation(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromUtf8(Version::Title));
    QCoreApplication::setApplicationVersion(QString::fromUtf8(Version::Text));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows your search page for the caller while the telephone rings. "
                       "Settings: $XDG_CONFIG_HOME/%1.ini (usually ~/.config/%1.ini). "
                       "To check the call sources without a real call, see ringscout-sim --help.")
            .arg(QLatin1String(Version::SettingsApplication)));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.parse(app.arguments());
    // Qt's texts, with the licence under the version and where to report problems after the help.
    if (parser.isSet(QStringLiteral("version")))
        std::printf("%s %s\n%s\n", Version::Title, Version::Text, Version::Notice);
    else
        std::fputs(qPrintable(parser.helpText() + QLatin1String(Version::HelpEnding)), stdout);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (asksForInformation(argc, argv))
        return showInformation(argc, argv);

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QString::fromUtf8(Version::CompanyName));
    QCoreApplication::setApplicationName(QString::fromUtf8(Version::Title));

    IniSettingsStore store(QString::fromUtf8(Version::SettingsApplication),
                           QString::fromUtf8(Version::SettingsSection));
    QtMessageBox box;
    WebEngineBrowser browser;
    TcpSocketControl winsock1;
    TcpSocketControl wsAst;
    QtSerialPort modem;
    MainProgram program({store, browser, browser.Pane(), box, winsock1, wsAst, modem});
    QObject::connect(&program, &MainProgram::quitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    program.Start();
    return app.exec();
}
