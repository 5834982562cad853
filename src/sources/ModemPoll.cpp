// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/ModemPoll.h"

#include <limits>

namespace ModemPoll {

namespace {

// The text between the end of the key at `keyAt` and the next CR; none while the CR has not
// come in yet. The CR is looked for after the key, so a key that itself holds a CR cannot cut
// a line of negative length.
std::optional<QString> lineAfter(const QString &buffer, qsizetype keyAt, qsizetype keyLength)
{
    const qsizetype from = keyAt + keyLength;
    const qsizetype cr = buffer.indexOf(QLatin1Char('\r'), from);
    if (cr < 0)
        return std::nullopt;
    return buffer.mid(from, cr - from);
}

} // namespace

std::optional<Caller> ReadStep(QString &buffer, qint16 &ticks, const QString &input,
                               const QString &numberKey, const QString &nameKey)
{
    buffer += input;
    if (buffer.isEmpty())
        ticks = 0;
    else if (ticks < std::numeric_limits<qint16>::max())
        ++ticks;

    Caller caller;
    if (nameKey.size() > 1) {
        const qsizetype at = buffer.indexOf(nameKey);
        if (at >= 0 && ticks > 2)
            caller.name = lineAfter(buffer, at, nameKey.size()).value_or(QString());
    }

    // An empty number key is found at the start, so the number is the text up to the first CR.
    const qsizetype at = buffer.indexOf(numberKey);
    if (at >= 0 && ticks > 2) {
        if (const std::optional<QString> number = lineAfter(buffer, at, numberKey.size())) {
            caller.number = *number;
            buffer.clear();
            ticks = 0;
        }
    } else if (at < 0 && ticks > kChatterTicks) {
        buffer.clear();
        ticks = 0;
    }

    // A number key that never gets its CR must not let the buffer grow without end.
    if (buffer.size() > kMaxBuffer)
        buffer.remove(0, buffer.size() - kMaxBuffer);

    if (caller.number.size() > 1)
        return caller;
    return std::nullopt;
}

} // namespace ModemPoll
