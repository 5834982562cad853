// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"
#include "base/TelLink.h"

#include <QtTest>

// What a start of the program asks for, and how it renders.
class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void environment();
};

void tst_CommandLine::parse_data()
{
    QTest::addColumn<QString>("arguments"); // after the program's name
    QTest::addColumn<QString>("asks");      // the information, the error, or the address and number
    const QString overlong = "tel:" + QString(253, '5'); // longer than another start may hand over
    const QString bogus = "error: Unknown option 'bogus'.";
    QTest::newRow("nothing") << ""
                             << "\"\" dials \"\"";
    QTest::newRow("help, whatever else") << "--bogus -h tel:1 tel:2"
                                         << "help";
    QTest::newRow("help-all") << "--help --help-all"
                              << "help-all";
    QTest::newRow("version") << "--help-all -v"
                             << "version";
    QTest::newRow("unknown") << "--bogus" << bogus;
    QTest::newRow("Qt's options") << "-style fusion --reverse -platform xcb --bogus" << bogus;
    QTest::newRow("Qt's options with =") << "--style=fusion -stylesheet x.qss tel:1"
                                         << "\"tel:1\" dials \"1\"";
    QTest::newRow("verbose") << "tel:+1-555-0100;ext=22 --verbose"
                             << "verbose \"tel:+1-555-0100;ext=22\" dials \"+1-555-0100\"";
    QTest::newRow("callto:") << "CallTo:+1-555-0100"
                             << "\"CallTo:+1-555-0100\" dials \"+1-555-0100\"";
    QTest::newRow("callto://") << "callto://5550100"
                               << "\"callto://5550100\" dials \"5550100\"";
    QTest::newRow("other scheme")
        << "http://crm/tel:555"
        << "error: \"http://crm/tel:555\" is not a tel: or callto: address";
    QTest::newRow("overlong") << overlong
                              << "error: \"" + overlong + "\" is not a tel: or callto: address";
    QTest::newRow("two") << "tel:1 callto:2"
                         << "error: give one address at most";
    QTest::newRow("the engine's")
        << "tel:2 --webEngineArgs --remote-debugging-port=9222 --verbose -h"
        << "\"tel:2\" dials \"2\"";
}

// --help and --version come first; Qt's own options and the engine's are none of ours.
void tst_CommandLine::parse()
{
    QFETCH(QString, arguments);
    QFETCH(QString, asks);
    using Information = CommandLine::Request::Information;
    const CommandLine::Request request =
        CommandLine::parse(QStringList{"ringscout"} + arguments.split(' ', Qt::SkipEmptyParts));
    const QString said = request.information == Information::Help      ? "help"
                         : request.information == Information::HelpAll ? "help-all"
                         : request.information == Information::Version ? "version"
                         : !request.error.isEmpty()
                             ? "error: " + request.error
                             : QString(request.verbose ? "verbose " : "") + '"' + request.address +
                                   "\" dials \"" + TelLink::addressNumber(request.address) + '"';
    QCOMPARE(said, asks);
}

// Software rendering where there is no graphics processor or it is asked for; Qt's notes that
// OpenGL is missing are said only under --verbose.
void tst_CommandLine::environment()
{
    for (const auto &[choice, gpu, software] :
         std::initializer_list<std::tuple<QByteArray, bool, bool>>{{"", true, false},
                                                                   {"", false, true},
                                                                   {"Software", true, true},
                                                                   {"OPENGL", false, false},
                                                                   {"other", false, true}})
        QVERIFY2(CommandLine::softwareRendering(choice, gpu) == software,
                 choice + (gpu ? " gpu" : ""));
    for (const auto &[text, verbose, quiet] :
         std::initializer_list<std::tuple<QString, bool, bool>>{
             {"QRhiGles2: Cannot create platform OpenGL context", false, true},
             {"No suitable graphics backend found", true, false},
             {"Could not connect to display :9", false, false}})
        QVERIFY2(CommandLine::quietMessage(text, verbose) == quiet, qPrintable(text));
}

QTEST_APPLESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
