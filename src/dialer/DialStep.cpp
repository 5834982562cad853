// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialer/DialStep.h"

void DialStep::confirm(const QString &typed)
{
    if (m_ticks > 0)
        m_next = typed;
    else
        m_number = typed;
}

QStringList DialStep::tick()
{
    if (m_number.isEmpty())
        return {};
    QStringList out;
    if (m_ticks == 0)
        out << QStringLiteral("ATDT ") + m_number + QLatin1Char('\r');
    ++m_ticks;
    if (m_ticks > kReleaseAfterTicks) {
        out << QStringLiteral("\r");
        m_ticks = 0;
        m_number = m_next;
        m_next.clear();
    }
    return out;
}
