// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialer/DialStep.h"

namespace DialStep {

void Confirm(State state, const QString &typed)
{
    if (state.ticks > 0)
        state.next = typed;
    else
        state.number = typed;
}

QStringList Tick(State state)
{
    if (state.number.isEmpty())
        return {};
    QStringList out;
    if (state.ticks == 0)
        out << QStringLiteral("ATDT ") + state.number + QLatin1Char('\r');
    ++state.ticks;
    if (state.ticks > kReleaseAfterTicks) {
        out << QStringLiteral("\r");
        state.ticks = 0;
        state.number = state.next;
        state.next.clear();
    }
    return out;
}

} // namespace DialStep
