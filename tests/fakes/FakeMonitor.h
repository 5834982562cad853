// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/IMonitor.h"
#include "base/Failure.h"
#include "settings/Globals.h"

#include <optional>

// Counts the starts and fails on demand like a source that cannot start; with a run state it
// clears startupFailed before the failing step, as the real sequence does before the YAC step.
class FakeMonitor : public IMonitor
{
public:
    void StartMonitor() override
    {
        ++starts;
        if (state)
            state->startupFailed = false;
        if (failWith)
            throw Failure(QStringLiteral("YAC listener"), *failWith);
    }
    void StopMonitor() override {}
    bool PollEnabled() const override { return pollEnabled; }

    RunState *state = nullptr;
    int starts = 0;
    bool pollEnabled = false;
    std::optional<QString> failWith;
};
