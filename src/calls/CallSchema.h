// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Call.h"

#include <QLatin1StringView>

// The call list's table, as the store writes it and the Calls window reads it.
namespace CallSchema {

// PRAGMA user_version of the layout below; each later layout adds a step from the one before.
inline constexpr int kVersion = 1;

inline constexpr const char *kCreate[] = {
    "CREATE TABLE IF NOT EXISTS calls ("
    " row INTEGER PRIMARY KEY,"
    " call_id TEXT NOT NULL,"   // Call::id
    " at INTEGER NOT NULL,"     // recognised or placed, milliseconds since 1970 UTC
    " direction TEXT NOT NULL," // "in" or "out"
    " source TEXT NOT NULL,"    // "modem", "yac" or "pbx": for a call out, the way used
    " origin TEXT NOT NULL,"    // the YAC server's address, the PBX, the serial port
    " number TEXT NOT NULL,"    // as received, cut at kMaxText characters
    " name TEXT NOT NULL,"
    " channel TEXT NOT NULL,"            // Asterisk: the calling channel
    " destination TEXT NOT NULL,"        // the extension or desk it rang
    " outcome TEXT NOT NULL,"            // one of the words below
    " detail TEXT NOT NULL,"             // the PBX's own word for the end, or the failure's
    " ended INTEGER,"                    // when the outcome was known, ms since 1970 UTC
    " seen INTEGER NOT NULL DEFAULT 0)", // a missed call the user has looked at
    "CREATE INDEX IF NOT EXISTS calls_at ON calls(at)",
    "CREATE INDEX IF NOT EXISTS calls_number ON calls(number)",
    "CREATE INDEX IF NOT EXISTS calls_outcome_at ON calls(outcome, at)",
    "CREATE INDEX IF NOT EXISTS calls_call_id ON calls(call_id)",
    // The unseen missed calls, counted at every call: a few rows, not every missed call's.
    "CREATE INDEX IF NOT EXISTS calls_unseen ON calls(outcome) WHERE seen = 0",
};

// Longest number or name kept, in characters; longer ones are cut.
inline constexpr int kMaxText = 1024;

// The outcome column's words.
inline constexpr QLatin1StringView kRang{"rang"};       // modem and YAC calls: they cannot know
inline constexpr QLatin1StringView kRinging{"ringing"}; // a PBX call not ended yet
inline constexpr QLatin1StringView kPlaced{"placed"};   // a call out, no answer from the PBX yet
inline constexpr QLatin1StringView kAnswered{"answered"};
inline constexpr QLatin1StringView kMissed{"missed"};
inline constexpr QLatin1StringView kGaveUp{"gave up"};
inline constexpr QLatin1StringView kElsewhere{"answered elsewhere"};
inline constexpr QLatin1StringView kBusy{"busy"};
inline constexpr QLatin1StringView kFailed{"failed"};

// The "Missed" filter: nobody answered.
inline constexpr const char *kMissedWhere = "outcome IN ('missed', 'gave up')";

inline QLatin1StringView word(CallOutcome outcome)
{
    switch (outcome) {
    case CallOutcome::AnsweredHere:
        return kAnswered;
    case CallOutcome::NotAnswered:
        return kMissed;
    case CallOutcome::CallerGaveUp:
        return kGaveUp;
    case CallOutcome::AnsweredElsewhere:
        return kElsewhere;
    case CallOutcome::Busy:
        return kBusy;
    case CallOutcome::Failed:
        return kFailed;
    }
    return kRang;
}

} // namespace CallSchema
