// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"
#include "base/TelLink.h"

#include <QtTest>

// What a start of the program asks for, and how it renders.
class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    // The arguments after the program's name, and what they ask: --help and --version first,
    // else a usage error, else the address and the number it dials. Qt's own options and the
    // browser engine's are none of ours.
    void parse()
    {
        const QString overlong = "tel:" + QString(253, '5'); // more than a start may hand over
        for (const auto &[arguments, asks] : QList<std::pair<QString, QString>>{
                 {"", " dials "},
                 {"--bogus -h tel:1 tel:2", "help"},
                 {"--help --help-all", "help-all"},
                 {"--help-all -v", "version"},
                 {"-style fusion --reverse -platform xcb --bogus", "Unknown option 'bogus'."},
                 {"--style=fusion -stylesheet x.qss tel:1", "tel:1 dials 1"},
                 {"tel:+1-555-0100;ext=22 --verbose",
                  "verbose tel:+1-555-0100;ext=22 dials +1-555-0100"},
                 {"CallTo:+1-555-0100", "CallTo:+1-555-0100 dials +1-555-0100"},
                 {"callto://5550100", "callto://5550100 dials 5550100"},
                 {"http://crm/tel:555", "\"http://crm/tel:555\" is not a tel: or callto: address"},
                 {overlong, '"' + overlong + "\" is not a tel: or callto: address"},
                 {"tel:1 callto:2", "give one address at most"},
                 {"--calls", "calls --calls dials "},
                 {"--calls tel:1", "give --calls or an address, not both"},
                 {"tel:2 --webEngineArgs --remote-debugging-port=9222 --verbose -h",
                  "tel:2 dials 2"}}) {
            const CommandLine::Request request = CommandLine::parse(
                QStringList{"ringscout"} + arguments.split(' ', Qt::SkipEmptyParts));
            const QString said =
                request.information != CommandLine::Request::Information::None
                    ? QStringList{"", "help", "help-all", "version"}[int(request.information)]
                : !request.error.isEmpty()
                    ? request.error
                    : QString(request.verbose ? "verbose " : "") +
                          (request.calls ? "calls " + request.handed() : request.address) +
                          " dials " + TelLink::addressNumber(request.address);
            QCOMPARE(arguments + " -> " + said, arguments + " -> " + asks);
        }
    }

    // Software rendering without a graphics processor or when asked for; Qt's notes that OpenGL
    // is missing only under --verbose.
    void environment()
    {
        for (const auto &[choice, gpu, software] :
             std::initializer_list<std::tuple<QByteArray, bool, bool>>{{"", true, false},
                                                                       {"", false, true},
                                                                       {"Software", true, true},
                                                                       {"OPENGL", false, false}})
            QVERIFY2(CommandLine::softwareRendering(choice, gpu) == software,
                     choice + (gpu ? " gpu" : ""));
        QVERIFY(
            CommandLine::quietMessage("QRhiGles2: Cannot create platform OpenGL context", false));
        QVERIFY(!CommandLine::quietMessage("No suitable graphics backend found", true));
    }
};

QTEST_APPLESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
