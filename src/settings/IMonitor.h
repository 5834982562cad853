// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Brings the call sources up and down; monitoring counts as on while the modem poll runs.
class IMonitor
{
public:
    virtual ~IMonitor() = default;

    // Throws Failure when a source cannot be started; later steps are then skipped.
    virtual void StartMonitor() = 0;
    // Never throws.
    virtual void StopMonitor() = 0;
    virtual bool pollEnabled() const = 0;
};
