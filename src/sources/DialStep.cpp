// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/DialStep.h"

#include "base/TelLink.h"

#include <algorithm>

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

QString DialStep::refusal(const QString &number)
{
    const auto command = [](QChar c) {
        return c == u';' || (c.isLetter() && !QStringLiteral("TPWtpw").contains(c));
    };
    if (std::none_of(number.begin(), number.end(), command) &&
        TelLink::visibleText(number) == number)
        return {};
    return QStringLiteral("The number cannot be dialled through the modem: it holds \";\", a "
                          "letter other than the dial modifiers T, P and W, or a control "
                          "character, which the modem would take as a command of its own.");
}
