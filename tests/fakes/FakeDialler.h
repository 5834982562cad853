// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialer/IDialler.h"

#include <QStringList>

#include <utility>

// A dialler the test makes able or waiting; it keeps the numbers it is given.
class FakeDialler : public IDialler
{
public:
    bool canDial() const override { return m_canDial; }
    QString settling() const override { return m_settling; }
    void dial(const QString &confirmedNumber) override { dialled.append(confirmedNumber); }
    // Says what changed, as a real dialler does.
    void set(bool canDial, const QString &settling = {})
    {
        if (std::exchange(m_settling, settling) != settling)
            emit settlingChanged();
        if (std::exchange(m_canDial, canDial) != canDial)
            emit availabilityChanged(canDial);
    }

    QStringList dialled;

private:
    bool m_canDial = false;
    QString m_settling;
};
