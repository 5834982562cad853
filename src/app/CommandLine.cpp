// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include "Version.h"
#include "app/InstanceRequest.h"

#include <QCommandLineParser>

namespace {

const QCommandLineOption &verboseOption()
{
    static const QCommandLineOption option(
        QStringLiteral("verbose"),
        QStringLiteral("Log every decision of the call sources on standard error "
                       "(the same as QT_LOGGING_RULES=\"ringscout.*=true\")."));
    return option;
}

const QCommandLineOption &callsOption()
{
    static const QCommandLineOption option(
        QStringLiteral("calls"),
        QStringLiteral("Open the Calls window, the list of recent calls (in the running "
                       "Ringscout when there is one)."));
    return option;
}

CommandLine::Request::Information informationOf(const QStringList &arguments)
{
    using Information = CommandLine::Request::Information;
    Information information = Information::None;
    for (const QString &argument : arguments.mid(1)) {
        if (argument == QLatin1String("-v") || argument == QLatin1String("--version"))
            return Information::Version;
        if (argument == QLatin1String("--help-all"))
            information = Information::HelpAll;
        else if (information == Information::None &&
                 (argument == QLatin1String("-h") || argument == QLatin1String("--help") ||
                  argument == QLatin1String("-?")))
            information = Information::Help;
    }
    return information;
}

// The arguments Qt takes for its windows and widgets (--help-all lists them) left out: what
// our parser sees once Qt has started, known before Qt needs a display to start.
QStringList ownArguments(const QStringList &arguments)
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
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        const QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const QString option = name.section(QLatin1Char('='), 0, 0);
        const bool withValue = kWithValue.contains(option);
        if (i == 0 || !argument.startsWith(QLatin1Char('-')) ||
            !(withValue || kAlone.contains(option)))
            own.append(argument);
        else if (withValue && option == name)
            ++i;
    }
    return own;
}

} // namespace

void CommandLine::describe(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Shows your search page for the caller while the telephone rings. "
                       "Settings: $XDG_CONFIG_HOME/%1.ini (usually ~/.config/%1.ini). "
                       "To check the call sources without a real call, see ringscout-sim --help. "
                       "A second start brings the running one to the front and hands it the "
                       "address. Rendering is without OpenGL where the computer has no graphics "
                       "processor (no /dev/dri/renderD*); RINGSCOUT_RENDERING=software or "
                       "opengl chooses. Options of the browser engine follow %2.")
            .arg(QLatin1String(Version::SettingsApplication), QLatin1String(kEngineArguments)));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(verboseOption());
    parser.addOption(callsOption());
    parser.addPositionalArgument(
        QStringLiteral("address"),
        QStringLiteral("A tel: or callto: address to dial (tel:+1-555-0100): "
                       "the Phone Dialer opens with its number."),
        QStringLiteral("[address]"));
}

CommandLine::Request CommandLine::parse(const QStringList &arguments, bool qtStarted)
{
    const QStringList given = arguments.mid(0, arguments.indexOf(QLatin1String(kEngineArguments)));
    Request request;
    request.information = informationOf(given);
    if (request.information != Request::Information::None)
        return request;
    QCommandLineParser parser;
    describe(parser);
    const bool parsed = parser.parse(qtStarted ? given : ownArguments(given));
    const QStringList addresses = parser.positionalArguments();
    request.error =
        !parsed                ? parser.errorText()
        : addresses.size() > 1 ? QStringLiteral("give one address at most")
        : parser.isSet(callsOption()) && !addresses.isEmpty()
            ? QStringLiteral("give --calls or an address, not both")
        : !InstanceRequest::isRequest(addresses.value(0))
            ? QStringLiteral("\"%1\" is not a tel: or callto: address").arg(addresses.value(0))
            : QString();
    if (request.error.isEmpty()) {
        request.verbose = parser.isSet(verboseOption());
        request.address = addresses.value(0);
        request.calls = parser.isSet(callsOption());
    }
    return request;
}

QString CommandLine::Request::handed() const
{
    return calls ? QString(InstanceRequest::kCalls) : address;
}

QString CommandLine::loggingRules(bool verbose)
{
    return verbose ? QStringLiteral("ringscout.*=true")
                   : QStringLiteral("qt.webenginecontext.info=false\njs=false");
}

bool CommandLine::softwareRendering(const QByteArray &choice, bool graphicsProcessor)
{
    // Without a graphics processor, OpenGL is drawn in software at a high cost in memory and
    // start-up time: there Qt's own software rendering is lighter.
    const QByteArray chosen = choice.toLower();
    return chosen != "opengl" && (chosen == "software" || !graphicsProcessor);
}

bool CommandLine::quietMessage(const QString &text, bool verbose)
{
    return !verbose && (text.contains(QLatin1String("Cannot create platform OpenGL context")) ||
                        text.startsWith(QLatin1String("No suitable graphics backend found")));
}
