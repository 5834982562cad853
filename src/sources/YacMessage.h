// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Call.h"

#include <QString>

#include <optional>

// The one text message a YAC server sends for a call: "@CALL", the name, "~", the number.
namespace YacMessage {

// "@CALLJOHN DOE~5551234567" gives name "JOHN DOE" and number "5551234567". The tag is
// case-exact; the first "~" after it separates, so a later "~" and any line end stay on the
// number. Anything else is not a call.
std::optional<Call> parse(const QString &text);

// What a connection's text comes to: the call in it (number and name only), or why there is
// none.
struct Verdict
{
    std::optional<Call> call;
    // Why the text is no call, for the log ("no \"~\" after @CALL"); null for a call.
    const char *reason = nullptr;
};
Verdict judge(const QString &text);

// "@CALLA~1@CALLB~2" gives "@CALLA~1": only the first message of a connection counts.
QString firstMessage(const QString &text);

} // namespace YacMessage
