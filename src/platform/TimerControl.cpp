// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TimerControl.h"

TimerControl::TimerControl(QObject *parent) : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &TimerControl::tick);
}

void TimerControl::SetInterval(int milliseconds)
{
    m_interval = milliseconds;
    apply();
}

void TimerControl::SetEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    apply();
}

void TimerControl::apply()
{
    if (m_enabled && m_interval > 0)
        m_timer.start(m_interval);
    else
        m_timer.stop();
}
