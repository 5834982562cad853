// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The caller-ID parse of one modem poll tick, over the receive buffer and its tick count.
//
// The modem's report is one running text of CR-ended lines, e.g.
//   "RING\r\n\r\nDATE = 1015\r\nTIME = 2038\r\nNMBR = 8475550001\r\nNAME = U.S.ROBOTICS\r\n"
// The number stands between the number key ("NMBR = ") and the next CR, the name likewise
// after the name key ("NAME = "). Nothing is parsed before the buffer has held text at three
// consecutive ticks, so that a report arriving in pieces is read whole.
namespace ModemPoll {

struct Caller
{
    QString number;
    QString name;
};

// The buffer keeps at most this many characters; past it only its newest part stays.
inline constexpr qsizetype kMaxBuffer = 32767;
// Text without the number key is dropped once the buffer has held text this many ticks.
inline constexpr qint16 kChatterTicks = 1000;

// Appends `input` to `buffer` and parses. Returns the caller to show: a number of at least two
// characters, with the name when its line came in by the same tick. Taking a complete number
// line empties the buffer, even when the number is too short to show.
std::optional<Caller> ReadStep(QString &buffer, qint16 &ticks, const QString &input,
                               const QString &numberKey, const QString &nameKey);

} // namespace ModemPoll
