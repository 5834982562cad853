// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialer/DialerChoice.h"

DialerChoice::DialerChoice(IDialer &first, IDialer &second, QObject *parent)
    : IDialer(parent), m_first(first), m_second(second), m_canDial(canDial())
{
    connect(&m_first, &IDialer::availabilityChanged, this, &DialerChoice::refresh);
    connect(&m_second, &IDialer::availabilityChanged, this, &DialerChoice::refresh);
    connect(&m_first, &IDialer::settlingChanged, this, &IDialer::settlingChanged);
    connect(&m_second, &IDialer::settlingChanged, this, &IDialer::settlingChanged);
    for (IDialer *way : {&m_first, &m_second}) {
        connect(way, &IDialer::callPlaced, this, &IDialer::callPlaced);
        connect(way, &IDialer::placedCallEnded, this, &IDialer::placedCallEnded);
    }
}

QString DialerChoice::settling() const
{
    if (canDial())
        return {};
    const QString first = m_first.settling();
    return first.isEmpty() ? m_second.settling() : first;
}

void DialerChoice::dial(const QString &confirmedNumber)
{
    (m_first.canDial() ? m_first : m_second).dial(confirmedNumber);
}

void DialerChoice::refresh()
{
    if (canDial() == m_canDial)
        return;
    m_canDial = !m_canDial;
    emit availabilityChanged(m_canDial);
}
