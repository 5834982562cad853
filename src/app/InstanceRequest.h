// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1StringView>
#include <QString>

// The lines a later start hands the running instance over its socket, "tel:+1-555-0100\n"
// and then the start's activation token, if any, "kwin-4\n"; and the running instance's
// answer once it has taken them.
namespace InstanceRequest {

// "tel:+1-555-0100" with room for parameters; anything longer is no phone address.
constexpr qsizetype kMaxRequest = 256;
// A line's bytes: the request's characters in UTF-8 with room to spare.
constexpr qsizetype kMaxLine = kMaxRequest * 4;
// The running instance's answer: the request is taken. An older version closes the
// connection without it.
inline constexpr QByteArrayView kTaken = "ok\n";

// A start's request to open the Calls window ("ringscout --calls").
inline constexpr QLatin1StringView kCalls{"--calls"};

// What a start may ask: "", kCalls or a "tel:"/"callto:" address of sane length.
bool isRequest(const QString &text);
// An xdg-activation token is opaque printable text ("kwin-4", a UUID); nothing else is passed.
bool isToken(const QString &text);

// The request's line, and the token's when it is one.
QByteArray message(const QString &request, const QString &token);

struct Read
{
    enum class State {
        Incomplete, // no whole line yet: wait for more
        Complete,   // `request` is one, `token` is one or ""
        Malformed,  // a whole line that is no request
        Overlong,   // a line longer than kMaxLine: no request
    };
    State state = State::Incomplete;
    QString request;
    QString token;
    bool tokenDropped = false; // a token line came that is no token
};

// Reads what has come on the connection so far. The token is taken only when its line is
// there already: the start writes both at once.
Read read(QByteArrayView bytes);

} // namespace InstanceRequest
