// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Failure.h"
#include "settings/IMonitor.h"
#include "settings/StartupStatus.h"

#include <optional>

// Counts the starts and fails on demand like a source that cannot start; with a start-up
// status it clears it before the failing step, as the real sequence does before the YAC step.
class FakeMonitor : public IMonitor
{
public:
    void StartMonitor() override
    {
        ++starts;
        if (startup)
            startup->setFailed(false);
        if (failWith)
            throw Failure(QStringLiteral("YAC listener"), *failWith);
    }
    void StopMonitor() override {}
    bool pollEnabled() const override { return pollRuns; }

    StartupStatus *startup = nullptr;
    int starts = 0;
    bool pollRuns = false;
    std::optional<QString> failWith;
};
