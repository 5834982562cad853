// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QCommandLineParser;

// What the program's command line and environment decide before any window exists: what a
// start asks for, and how it renders.
namespace CommandLine {

// A usage error ends the program with this code, as it ends ringscout-sim.
constexpr int kUsageError = 2;
// Arguments after this one are the browser engine's own ("--webEngineArgs
// --remote-debugging-port=9222").
inline constexpr char kEngineArguments[] = "--webEngineArgs";

struct Request
{
    enum class Information { None, Help, HelpAll, Version };
    // --help and --version answer without a display, whatever else the line holds.
    Information information = Information::None;
    QString error; // a usage error ("Unknown option 'bogus'."); "" when there is none
    bool verbose = false;
    QString address;    // "" or a tel: or callto: address to dial
    bool calls = false; // --calls: open the Calls window
    // What the start hands the running instance: the address, or InstanceRequest::kCalls.
    QString handed() const;
};

// The options and arguments that --help lists and that a start takes.
void describe(QCommandLineParser &parser);
// `arguments` with the program's name first. Before Qt has started, the options of its windows
// and widgets ("-style fusion") are passed over, as Qt takes them; `qtStarted`, they are gone.
Request parse(const QStringList &arguments, bool qtStarted = false);

// QLoggingCategory's rules: under --verbose every decision of the call sources, otherwise
// neither the engine's context dump nor the pages' console messages.
QString loggingRules(bool verbose);
// Whether Qt's own software rendering replaces OpenGL, from RINGSCOUT_RENDERING ("software",
// "opengl", any case, or unset) and whether the computer has a graphics processor.
bool softwareRendering(const QByteArray &choice, bool graphicsProcessor);
// Whether a message of Qt's is left unsaid: that OpenGL is missing is no fault where software
// rendering is chosen on purpose, and is said under --verbose only.
bool quietMessage(const QString &text, bool verbose);

} // namespace CommandLine
