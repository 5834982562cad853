// SPDX-License-Identifier: GPL-3.0-or-later
#include "Version.h"
#include "app/MainProgram.h"
#include "app/SingleInstance.h"
#include "base/TelLink.h"
#include "platform/IniSettingsStore.h"
#include "platform/QtMessageBox.h"
#include "platform/QtSerialPort.h"
#include "platform/TcpSocketControl.h"
#include "platform/WebEngineBrowser.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

namespace {

// A usage error ends the program with this code, as it ends ringscout-sim.
constexpr int kUsageError = 2;
// Arguments after this one are the browser engine's own ("--webEngineArgs
// --remote-debugging-port=9222").
const QString kEngineArguments = QStringLiteral("--webEngineArgs");

const QCommandLineOption &verboseOption()
{
    static const QCommandLineOption option(
        QStringLiteral("verbose"),
        QStringLiteral("Log every decision of the call sources on standard error "
                       "(the same as QT_LOGGING_RULES=\"ringscout.*=true\")."));
    return option;
}

// The options and arguments that --help lists and that a start takes.
void describe(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Shows your search page for the caller while the telephone rings. "
                       "Settings: $XDG_CONFIG_HOME/%1.ini (usually ~/.config/%1.ini). "
                       "To check the call sources without a real call, see ringscout-sim --help. "
                       "A second start brings the running one to the front and hands it the "
                       "address. Rendering is without OpenGL where the computer has no graphics "
                       "processor (no /dev/dri/renderD*); RINGSCOUT_RENDERING=software or "
                       "opengl chooses. Options of the browser engine follow %2.")
            .arg(QLatin1String(Version::SettingsApplication), kEngineArguments));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(verboseOption());
    parser.addPositionalArgument(
        QStringLiteral("address"),
        QStringLiteral("A tel: or callto: address to dial (tel:+1-555-0100): "
                       "the Phone Dialer opens with its number."),
        QStringLiteral("[address]"));
}

// --help and --version answer without a display; every other argument is left to Qt and
// the browser engine, which take options of their own ("--remote-debugging-port=9222").
bool asksForInformation(int argc, char *argv[])
{
    for (int i = 1; i < argc && kEngineArguments != QLatin1String(argv[i]); ++i) {
        for (const char *option : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

int showInformation(int argc, char *argv[])
{
    // Qt lists the options of its windows and widgets only for an application that has them;
    // offscreen, it needs no display to say them.
    std::unique_ptr<QCoreApplication> app;
    if (std::any_of(argv + 1, argv + argc, [](const char *argument) {
            return std::strcmp(argument, "--help-all") == 0;
        })) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QString::fromUtf8(Version::Title));
    QCoreApplication::setApplicationVersion(QString::fromUtf8(Version::Text));
    QCommandLineParser parser;
    describe(parser);
    parser.parse(QCoreApplication::arguments());
    // Qt's texts, with the licence under the version and where to report problems after the help.
    if (parser.isSet(QStringLiteral("version")))
        std::printf("%s %s\n%s\n", Version::Title, Version::Text, Version::Notice);
    else if (parser.isSet(QStringLiteral("help-all")))
        parser.process(*app); // with the options of Qt, and ends the program
    else
        std::fputs(qPrintable(parser.helpText() + QLatin1String(Version::HelpEnding)), stdout);
    return 0;
}

// Without a graphics processor, OpenGL is drawn in software at a high cost in memory and
// start-up time: there Qt's own software rendering is lighter.
void chooseRendering()
{
    const QByteArray choice = qgetenv("RINGSCOUT_RENDERING").toLower();
    const bool gpu = !QDir(QStringLiteral("/dev/dri"))
                          .entryList({QStringLiteral("renderD*")}, QDir::System)
                          .isEmpty();
    if (choice == "opengl" || (choice != "software" && gpu))
        return;
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
}

bool g_verbose = false;
QtMessageHandler g_nextHandler = nullptr;

// Software rendering is chosen on purpose: Qt's notes that OpenGL is missing are no fault.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (!g_verbose && (text.contains(QLatin1String("Cannot create platform OpenGL context")) ||
                       text.startsWith(QLatin1String("No suitable graphics backend found"))))
        return;
    g_nextHandler(type, context, text);
}

// Our own options, once Qt has taken its own: the address asked for, or nothing on a usage
// error, which it reports.
std::optional<QString> requestOf(const QStringList &arguments)
{
    QCommandLineParser parser;
    describe(parser);
    const QString error =
        !parser.parse(arguments.mid(0, arguments.indexOf(kEngineArguments))) ? parser.errorText()
        : parser.positionalArguments().size() > 1 ? QStringLiteral("give one address at most")
        : !SingleInstance::isRequest(parser.positionalArguments().value(0))
            ? QStringLiteral("\"%1\" is not a tel: or callto: address")
                  .arg(parser.positionalArguments().value(0))
            : QString();
    if (!error.isEmpty()) {
        std::fprintf(stderr, "ringscout: %s\nTry ringscout --help.\n", qPrintable(error));
        return std::nullopt;
    }
    return parser.positionalArguments().value(0);
}

// The arguments Qt does not take for its windows and widgets (--help-all lists Qt's): what our
// parser sees once Qt has started, known before Qt needs a display to start.
QStringList ownArguments(int argc, char *argv[])
{
    // Qt's options whose value is the next argument ("-style fusion"), and those without one;
    // any may also be written "--style" or "-style=fusion".
    static const QStringList kWithValue =
        QStringLiteral("platform platformpluginpath platformtheme plugin qwindowgeometry geometry "
                       "qwindowtitle title qwindowicon icon session display name visual style "
                       "stylesheet qmljsdebugger")
            .split(QLatin1Char(' '));
    static const QStringList kAlone =
        QStringLiteral("reverse testability widgetcount nograb dograb").split(QLatin1Char(' '));
    QStringList own;
    for (int i = 0; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        const QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const QString option = name.section(QLatin1Char('='), 0, 0);
        const bool withValue = kWithValue.contains(option);
        if (argument == kEngineArguments)
            break;
        if (i == 0 || !argument.startsWith(QLatin1Char('-')) ||
            !(withValue || kAlone.contains(option)))
            own.append(argument);
        else if (withValue && option == name)
            ++i;
    }
    return own;
}

// The number a tel: or callto: address calls, through the guard a page's tel: link passes.
QString numberOf(const QString &address)
{
    QUrl url(address);
    if (url.scheme().compare(QLatin1String("callto"), Qt::CaseInsensitive) == 0)
        url = QUrl(
            QStringLiteral("tel:") +
            address.section(QLatin1Char(':'), 1).remove(QRegularExpression(QStringLiteral("^//"))));
    return TelLink::dialNumber(url).value_or(QString());
}

} // namespace

int main(int argc, char *argv[])
{
    if (asksForInformation(argc, argv))
        return showInformation(argc, argv);
    // A usage error is told alike with a display or without one, where Qt would end the start.
    if (!requestOf(ownArguments(argc, argv)))
        return kUsageError;

    // The engine's context dump and the pages' console messages only when asked for; known
    // before Qt starts, which prints some of them.
    for (int i = 1; i < argc && kEngineArguments != QLatin1String(argv[i]); ++i)
        g_verbose = g_verbose || std::strcmp(argv[i], "--verbose") == 0;
    QLoggingCategory::setFilterRules(g_verbose ? QStringLiteral("ringscout.*=true")
                                               : QStringLiteral("qt.webenginecontext.info=false\n"
                                                                "js=false"));
    g_nextHandler = qInstallMessageHandler(quietHandler);
    chooseRendering();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QString::fromUtf8(Version::CompanyName));
    QCoreApplication::setApplicationName(QString::fromUtf8(Version::Title));
    // Wayland compositors find the window's icon and name through it.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(Version::DesktopId));
    const std::optional<QString> request = requestOf(QCoreApplication::arguments());
    if (!request)
        return kUsageError;

    // Decided before anything reads the settings, which a second start must never write.
    SingleInstance instance(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
                            QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
    // Unguarded, it says why under --verbose and runs: a program that must run all day is
    // better twice than not at all.
    if (instance.claim() == SingleInstance::Claim::Another) {
        if (instance.handOver(*request, qEnvironmentVariable("XDG_ACTIVATION_TOKEN")))
            return 0;
        std::fprintf(stderr, "ringscout: %s.\n", qPrintable(instance.problem()));
        return 1;
    }

    IniSettingsStore store(QString::fromUtf8(Version::SettingsApplication),
                           QString::fromUtf8(Version::SettingsSection));
    QtMessageBox box;
    WebEngineBrowser browser;
    TcpSocketControl Winsock1;
    TcpSocketControl wsAst;
    QtSerialPort modem;
    MainProgram program({store, browser, browser.pane(), box, Winsock1, wsAst, modem});
    QObject::connect(&program, &MainProgram::quitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // Qt's Wayland activation uses the token of the start that asked, so that the compositor
    // gives the answering window the focus; once, never for a later call.
    QObject::connect(&instance, &SingleInstance::requested, &program,
                     [&program](const QString &address, const QString &token) {
                         if (!token.isEmpty())
                             qputenv("XDG_ACTIVATION_TOKEN", token.toLatin1());
                         program.answer(numberOf(address));
                         qunsetenv("XDG_ACTIVATION_TOKEN");
                     });
    program.start();
    // A start for a tel: address dials once the program runs.
    if (!request->isEmpty())
        QTimer::singleShot(0, &program,
                           [&program, &request] { program.answer(numberOf(*request)); });
    return app.exec();
}
