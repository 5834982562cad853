// SPDX-License-Identifier: GPL-3.0-or-later
#include "Version.h"
#include "app/CallsDesk.h"
#include "app/CommandLine.h"
#include "app/InstanceRequest.h"
#include "app/MainProgram.h"
#include "app/SingleInstance.h"
#include "base/TelLink.h"
#include "platform/DBusNotifier.h"
#include "platform/IniSettingsStore.h"
#include "platform/QtMessageBox.h"
#include "platform/QtSerialPort.h"
#include "platform/TcpSocketControl.h"
#include "platform/WebEngineBrowser.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEngineView>

#include <cstdio>
#include <memory>

namespace {

int showInformation(int argc, char *argv[], CommandLine::Request::Information information)
{
    using Information = CommandLine::Request::Information;
    // Qt lists the options of its windows and widgets only for an application that has them;
    // offscreen, it needs no display to say them.
    std::unique_ptr<QCoreApplication> app;
    if (information == Information::HelpAll) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QString::fromUtf8(Version::Title));
    QCoreApplication::setApplicationVersion(QString::fromUtf8(Version::Text));
    QCommandLineParser parser;
    CommandLine::describe(parser);
    // Qt's texts, with the licence under the version and where to report problems after the help.
    if (information == Information::Version)
        std::printf("%s %s\n%s\n", Version::Title, Version::Text, Version::Notice);
    else if (information == Information::HelpAll)
        parser.process(*app); // with the options of Qt, and ends the program
    else
        std::fputs(qPrintable(parser.helpText() + QLatin1String(Version::HelpEnding)), stdout);
    return 0;
}

// Reports a usage error, with a display or without one; true when there was one.
bool refused(const CommandLine::Request &request)
{
    if (request.error.isEmpty())
        return false;
    std::fprintf(stderr, "ringscout: %s\nTry ringscout --help.\n", qPrintable(request.error));
    return true;
}

void chooseRendering()
{
    const bool gpu = !QDir(QStringLiteral("/dev/dri"))
                          .entryList({QStringLiteral("renderD*")}, QDir::System)
                          .isEmpty();
    if (!CommandLine::softwareRendering(qgetenv("RINGSCOUT_RENDERING"), gpu))
        return;
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
}

bool g_verbose = false;
QtMessageHandler g_nextHandler = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (!CommandLine::quietMessage(text, g_verbose))
        g_nextHandler(type, context, text);
}

// Builds the program on the real adapters and runs it; `request` is what this start asked for.
int run(QApplication &app, SingleInstance &instance, const QString &request)
{
    IniSettingsStore store(QString::fromUtf8(Version::SettingsApplication),
                           QString::fromUtf8(Version::SettingsSection));
    QtMessageBox box;
    WebEngineBrowser browser;
    TcpSocketControl Winsock1;
    TcpSocketControl wsAst;
    QtSerialPort modem;
    TcpSocketControl probe;
    MainProgram program({store, browser, browser.pane(), box, Winsock1, wsAst, modem, &probe});
    DBusNotifier notifier;
    notifier.setFallback([&program](const QString &, const QString &title, const QString &body) {
        program.calls().trayMessage(title, body);
    });
    program.calls().setNotifier(&notifier);
    // A tel: address dials; --calls opens the Calls window.
    const auto answer = [&program](const QString &asked) {
        if (asked == InstanceRequest::kCalls)
            program.calls().showCalls();
        else
            program.answer(TelLink::addressNumber(asked));
    };
    QObject::connect(&program, &MainProgram::quitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // Qt's Wayland activation uses the token of the start that asked, so that the compositor
    // gives the answering window the focus; once, never for a later call.
    QObject::connect(&instance, &SingleInstance::requested, &program,
                     [&answer](const QString &address, const QString &token) {
                         if (!token.isEmpty())
                             qputenv("XDG_ACTIVATION_TOKEN", token.toLatin1());
                         answer(address);
                         qunsetenv("XDG_ACTIVATION_TOKEN");
                     });
    program.start();
    // A start for a tel: address dials once the program runs.
    if (!request.isEmpty())
        QTimer::singleShot(0, &program, [&answer, &request] { answer(request); });
    return app.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine::Request given = CommandLine::parse(arguments);
    if (given.information != CommandLine::Request::Information::None)
        return showInformation(argc, argv, given.information);
    // Told before Qt starts, which without a display would end the start in its own words.
    if (refused(given))
        return CommandLine::kUsageError;

    // Known before Qt starts, which prints some of the messages the rules hold back.
    g_verbose = given.verbose;
    QLoggingCategory::setFilterRules(CommandLine::loggingRules(g_verbose));
    g_nextHandler = qInstallMessageHandler(quietHandler);
    chooseRendering();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QString::fromUtf8(Version::CompanyName));
    QCoreApplication::setApplicationName(QString::fromUtf8(Version::Title));
    // Wayland compositors find the window's icon and name through it.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(Version::DesktopId));
    const CommandLine::Request started = CommandLine::parse(QCoreApplication::arguments(), true);
    if (refused(started))
        return CommandLine::kUsageError;
    const QString request = started.handed();

    // Decided before anything reads the settings, which a second start must never write.
    SingleInstance instance(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
                            QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
    // Unguarded, it says why under --verbose and runs: a program that must run all day is
    // better twice than not at all.
    if (instance.claim() == SingleInstance::Claim::Another) {
        if (instance.handOver(request, qEnvironmentVariable("XDG_ACTIVATION_TOKEN")))
            return 0;
        std::fprintf(stderr, "ringscout: %s.\n", qPrintable(instance.problem()));
        return 1;
    }

    return run(app, instance, request);
}
