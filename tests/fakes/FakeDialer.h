// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialer/IDialer.h"

#include <QStringList>

#include <utility>

// A dialer the test makes able or waiting; it keeps the numbers it is given.
class FakeDialer : public IDialer
{
public:
    bool canDial() const override { return m_canDial; }
    QString settling() const override { return m_settling; }
    void dial(const QString &confirmedNumber) override { dialled.append(confirmedNumber); }
    // Says what changed, as a real dialer does: both hold their new values when it says so.
    void set(bool canDial, const QString &settling = {})
    {
        const bool settlingChanges = std::exchange(m_settling, settling) != settling;
        const bool availabilityChanges = std::exchange(m_canDial, canDial) != canDial;
        if (settlingChanges)
            emit settlingChanged();
        if (availabilityChanges)
            emit availabilityChanged(canDial);
    }

    QStringList dialled;

private:
    bool m_canDial = false;
    QString m_settling;
};
