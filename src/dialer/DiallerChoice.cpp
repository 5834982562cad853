// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialer/DiallerChoice.h"

DiallerChoice::DiallerChoice(IDialler &first, IDialler &second, QObject *parent)
    : IDialler(parent), m_first(first), m_second(second), m_canDial(canDial())
{
    connect(&m_first, &IDialler::availabilityChanged, this, &DiallerChoice::refresh);
    connect(&m_second, &IDialler::availabilityChanged, this, &DiallerChoice::refresh);
    connect(&m_first, &IDialler::settlingChanged, this, &IDialler::settlingChanged);
    connect(&m_second, &IDialler::settlingChanged, this, &IDialler::settlingChanged);
}

QString DiallerChoice::settling() const
{
    if (canDial())
        return {};
    const QString first = m_first.settling();
    return first.isEmpty() ? m_second.settling() : first;
}

void DiallerChoice::dial(const QString &confirmedNumber)
{
    (m_first.canDial() ? m_first : m_second).dial(confirmedNumber);
}

void DiallerChoice::refresh()
{
    if (canDial() == m_canDial)
        return;
    m_canDial = !m_canDial;
    emit availabilityChanged(m_canDial);
}
