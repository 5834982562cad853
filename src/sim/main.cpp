// SPDX-License-Identifier: GPL-3.0-or-later
#include "Version.h"
#include "sim/Console.h"
#include "sim/ModemSimulator.h"
#include "sim/PbxSimulator.h"
#include "sim/YacCall.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QRegularExpression>

#include <cstdio>
#include <cstdlib>

namespace {

// How long a call sent with --outcome rings before it ends: long enough to see it ringing.
constexpr int kOutcomeAfterMs = 2000;

[[noreturn]] void usageError(const QString &text)
{
    Console::complain(QStringLiteral("ringscout-sim: ") + text);
    std::exit(2);
}

// Qt's handling of a command line, except that --help ends with where to report problems and
// --version adds the licence, as GNU programs do.
// Qt's own handling would end an unknown option with another exit code than every other
// usage error.
void process(QCommandLineParser &parser, const QStringList &arguments)
{
    if (!parser.parse(arguments))
        usageError(parser.errorText());
    const QStringList given = parser.optionNames();
    if (given.contains(QStringLiteral("v")) || given.contains(QStringLiteral("version"))) {
        std::printf("ringscout-sim %s\n%s\n", Version::Text, Version::Notice);
        std::exit(0);
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText() + QLatin1String(Version::HelpEnding)), stdout);
        std::exit(0);
    }
    parser.process(arguments); // --help-all
}

// "ringscout-sim --port 10629 yac A 1": the command's options may come before it too.
QStringList commandFirst(const QStringList &arguments)
{
    QStringList before = arguments.mid(1);
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (before[i] == QLatin1String("yac") || before[i] == QLatin1String("pbx") ||
            before[i] == QLatin1String("modem"))
            return QStringList{arguments.constFirst(), before[i]} + before.mid(0, i) +
                   before.mid(i + 1);
    }
    return arguments;
}

// Each subcommand has its own options and its own --help: "ringscout-sim pbx --help".
void describe(QCommandLineParser &parser, const QString &command, const QString &description)
{
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    // The first sentence: "e.g. 5551234567" does not end it.
    parser.addPositionalArgument(
        command,
        description.section(QRegularExpression(QStringLiteral("\\.\\s+(?=[A-Z])")), 0, 0) + '.');
}

quint16 portValue(const QString &option, const QString &text)
{
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        usageError(QStringLiteral("--%1: \"%2\" is not a TCP port (1 to 65535)").arg(option, text));
    return quint16(port);
}

int runYac(const QStringList &arguments)
{
    QCommandLineParser parser;
    describe(parser, QStringLiteral("yac"),
             QStringLiteral("Sends one call to Ringscout as a YAC caller-ID server does, "
                            "\"@CALL<name>~<number>\", and says whether the connection was "
                            "accepted."));
    const QCommandLineOption host(QStringLiteral("host"),
                                  QStringLiteral("Ringscout's computer (default 127.0.0.1)."),
                                  QStringLiteral("H"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Ringscout's yacPort setting (default 10629)."),
                                  QStringLiteral("P"), QStringLiteral("10629"));
    parser.addOptions({host, port});
    parser.addPositionalArgument(QStringLiteral("NAME"), QStringLiteral("The caller's name, "
                                                                        "e.g. \"JOHN SMITH\"."));
    parser.addPositionalArgument(QStringLiteral("NUMBER"),
                                 QStringLiteral("The caller's number, e.g. 5551234567."));
    process(parser, arguments);
    const QStringList words = parser.positionalArguments();
    if (words.size() != 3)
        usageError(QStringLiteral("give NAME and NUMBER (quote a name with blanks)"));
    return YacCall::send(parser.value(host), portValue(QStringLiteral("port"), parser.value(port)),
                         words[1], words[2]);
}

// The options of "pbx".
struct PbxOptions
{
    const QCommandLineOption listen{
        QStringLiteral("listen"),
        QStringLiteral("Address and port to listen on (default 127.0.0.1:5038)."),
        QStringLiteral("HOST:PORT"), QStringLiteral("127.0.0.1:5038")};
    const QCommandLineOption user{
        QStringLiteral("user"), QStringLiteral("Manager user name that logs in (AsteriskManager)."),
        QStringLiteral("U")};
    const QCommandLineOption secret{QStringLiteral("secret"),
                                    QStringLiteral("Its secret (AsteriskPassword)."),
                                    QStringLiteral("S")};
    const QCommandLineOption old{QStringLiteral("old"),
                                 QStringLiteral("Speak as Asterisk 1.4: \"Event: Dial\" instead "
                                                "of DialBegin.")};
    const QCommandLineOption refuseOriginate{
        QStringLiteral("refuse-originate"),
        QStringLiteral("Answer every Originate as a call that failed (OriginateResponse "
                       "Failure), as when the desk phone cannot be reached.")};
    const QCommandLineOption md5{QStringLiteral("md5"),
                                 QStringLiteral("Take only the MD5 challenge login: refuse a "
                                                "login that sends the secret in clear.")};
    const QCommandLineOption tls{QStringLiteral("tls"),
                                 QStringLiteral("Serve TLS (1.2 or later) with the certificate "
                                                "CERT; its private key is the file that follows "
                                                "(both PEM): --tls CERT KEY."),
                                 QStringLiteral("CERT")};
    const QCommandLineOption outcome{
        QStringLiteral("outcome"),
        QStringLiteral("End each call sent, 2 seconds later, as Asterisk 22 does when it was "
                       "answered, not answered, given up by the caller (cancel), answered by "
                       "another phone (elsewhere) or found the desk busy."),
        PbxSimulator::outcomes().join(u'|')};
};

// Ends the program with a usage error where the options of "pbx" do not go together.
void checkPbxOptions(const QCommandLineParser &parser, const PbxOptions &o)
{
    if (parser.isSet(o.outcome) && !PbxSimulator::outcomes().contains(parser.value(o.outcome)))
        usageError(QStringLiteral("--outcome: give one of ") +
                   PbxSimulator::outcomes().join(QStringLiteral(", ")));
    if (parser.isSet(o.outcome) && parser.isSet(o.old))
        usageError(QStringLiteral("--outcome speaks as Asterisk 22: leave out --old"));
    if (!parser.isSet(o.user) || !parser.isSet(o.secret))
        usageError(QStringLiteral("give --user and --secret"));
    // "--tls CERT KEY": the key is the one positional argument that may follow.
    if (parser.positionalArguments().size() - 1 != int(parser.isSet(o.tls)))
        usageError(parser.isSet(o.tls)
                       ? QStringLiteral("--tls takes CERT and KEY")
                       : QStringLiteral("pbx takes no arguments besides its options"));
}

// "127.0.0.1:5038", "[::1]:5038": the address, and where the port starts.
std::pair<QHostAddress, qsizetype> listenAddress(const QString &where)
{
    const qsizetype colon = where.lastIndexOf(QLatin1Char(':'));
    QString hostText = where.left(colon);
    if (hostText.startsWith(QLatin1Char('[')) && hostText.endsWith(QLatin1Char(']')))
        hostText = hostText.mid(1, hostText.size() - 2);
    const QHostAddress address(hostText);
    if (colon < 0 || address.isNull())
        usageError(QStringLiteral("--listen: \"%1\" is not HOST:PORT with an IP "
                                  "address, e.g. 127.0.0.1:5038")
                       .arg(where));
    return {address, colon};
}

int runPbx(QCoreApplication &app, const QStringList &arguments)
{
    QCommandLineParser parser;
    describe(parser, QStringLiteral("pbx"),
             QStringLiteral("Stands in for an Asterisk PBX's Manager Interface. Each line typed "
                            "on the input, NUMBER NAME EXTENSION (e.g. 5551234567 Front Desk 101), "
                            "sends a call's DialBegin event as Asterisk 22 does to every "
                            "logged-in client. Prints what the clients send, the secret masked, "
                            "and answers an Originate (a call dialled through the PBX) as placed. "
                            "Ends at the end of the input (Ctrl+D)."));
    const PbxOptions o;
    parser.addOptions(
        {o.listen, o.user, o.secret, o.old, o.refuseOriginate, o.md5, o.tls, o.outcome});
    process(parser, arguments);
    checkPbxOptions(parser, o);
    const QString where = parser.value(o.listen);
    const auto [address, colon] = listenAddress(where);

    PbxSimulator pbx(parser.value(o.user), parser.value(o.secret), parser.isSet(o.old));
    pbx.setRefuseOriginate(parser.isSet(o.refuseOriginate));
    pbx.setRequireMd5(parser.isSet(o.md5));
    pbx.setOutcome(parser.value(o.outcome), kOutcomeAfterMs);
    QString error;
    if (parser.isSet(o.tls) &&
        !pbx.setTls(parser.value(o.tls), parser.positionalArguments().value(1), &error)) {
        Console::complain(QStringLiteral("ringscout-sim pbx: --tls: %1").arg(error));
        return 1;
    }
    if (!pbx.Listen(address, portValue(QStringLiteral("listen"), where.mid(colon + 1)), &error)) {
        Console::complain(
            QStringLiteral("ringscout-sim pbx: cannot listen on %1: %2").arg(where, error));
        return 1;
    }
    Console::say(QStringLiteral("Listening on %1%3 as %2. Type NUMBER NAME EXTENSION for a call.")
                     .arg(pbx.address(),
                          parser.isSet(o.old) ? QStringLiteral("Asterisk 1.4")
                                              : QStringLiteral("Asterisk 22"),
                          parser.isSet(o.tls) ? QStringLiteral(" over TLS") : QString()));
    ConsoleInput input;
    QObject::connect(&input, &ConsoleInput::lineRead, &pbx, [&pbx](const QString &line) {
        QString error;
        if (!line.trimmed().isEmpty() && !pbx.dial(line, &error))
            Console::complain(error);
    });
    // At the end of the input, the calls still ringing end first.
    QObject::connect(&input, &ConsoleInput::ended, &app, [&app, &pbx] {
        if (pbx.ringing() == 0)
            app.quit();
        QObject::connect(&pbx, &PbxSimulator::allEnded, &app, &QCoreApplication::quit);
    });
    Console::quitOnTerminationSignals(app);
    return app.exec();
}

int runModem(QCoreApplication &app, const QStringList &arguments)
{
    QCommandLineParser parser;
    describe(parser, QStringLiteral("modem"),
             QStringLiteral("Stands in for a voice modem with caller ID on serial port N: links "
                            "a pseudo-terminal as $XDG_CONFIG_HOME/Belvane/comN, prints what "
                            "Ringscout writes to it with CR and LF shown as <CR> and <LF>, and "
                            "for each line typed on the input, NUMBER NAME (e.g. 5551234567 JOHN "
                            "SMITH), writes a call's caller-ID lines. Ends at the end of the "
                            "input (Ctrl+D) or on Ctrl+C, and removes the link."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Serial port number, as in Ringscout's comPort "
                                                 "setting."),
                                  QStringLiteral("N"));
    parser.addOption(port);
    process(parser, arguments);
    bool ok = false;
    const int number = parser.value(port).toInt(&ok);
    if (!ok || number < 1 || number > 32767)
        usageError(QStringLiteral("give --port N with N from 1 to 32767"));
    if (parser.positionalArguments().size() != 1)
        usageError(QStringLiteral("modem takes no arguments besides its options"));

    ModemSimulator modem(number);
    QString error;
    if (!modem.start(&error)) {
        Console::complain(QStringLiteral("ringscout-sim modem: ") + error);
        return 1;
    }
    Console::say(QStringLiteral("Serial port %1 is %2 (linked as %3). Set comPort=%1 in "
                                "Ringscout. Type NUMBER NAME for a call.")
                     .arg(QString::number(number), modem.devicePath(), modem.linkPath()));
    ConsoleInput input;
    QObject::connect(&input, &ConsoleInput::lineRead, &modem, [&modem](const QString &line) {
        QString error;
        if (!line.trimmed().isEmpty() && !modem.ring(line, &error))
            Console::complain(error);
    });
    QObject::connect(&input, &ConsoleInput::ended, &app, &QCoreApplication::quit);
    Console::quitOnTerminationSignals(app);
    const int code = app.exec();
    Console::say(QStringLiteral("Removed %1.").arg(modem.linkPath()));
    return code;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ringscout-sim"));
    QCoreApplication::setApplicationVersion(QString::fromUtf8(Version::Text));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Checks Ringscout's call sources without a real call. Each command has "
                       "its own --help."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("yac: send one call as a YAC server.\n"
                                                "pbx: stand in for an Asterisk PBX.\n"
                                                "modem: stand in for a caller-ID modem."),
                                 QStringLiteral("yac|pbx|modem [options]"));
    // Everything after the command belongs to the command's own parser.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QStringList given = commandFirst(app.arguments());
    process(parser, given);

    const QStringList rest = parser.positionalArguments();
    const QString command = rest.value(0);
    const QStringList arguments = QStringList{given.constFirst()} + rest;
    if (command == QLatin1String("yac"))
        return runYac(arguments);
    if (command == QLatin1String("pbx"))
        return runPbx(app, arguments);
    if (command == QLatin1String("modem"))
        return runModem(app, arguments);
    usageError(command.isEmpty() ? QStringLiteral("give a command: yac, pbx or modem")
                                 : QStringLiteral("unknown command \"%1\"").arg(command));
}
