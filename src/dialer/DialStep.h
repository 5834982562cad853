// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The phone dialer's state machine, run once per modem poll tick: "ATDT <number>\r" at the
// first tick after a number is confirmed, and a lone CR five ticks later, which ends the
// modem's own call attempt once the handset has the line.
namespace DialStep {

inline constexpr qint16 kReleaseAfterTicks = 5;

// Where the dialer's state lives: the number waiting or being dialled, the ticks since its
// dial command (0: none sent yet), and a number confirmed while a dial was under way.
struct State
{
    QString &number;
    qint16 &ticks;
    QString &next;
};

// The dialog's OK with the text as typed. While a dial is under way the text waits in `next`
// and is dialled after the lone CR; an empty text then only withdraws a waiting number.
void Confirm(State state, const QString &typed);

// One poll tick. Returns what to write to the modem, in order.
QStringList Tick(State state);

} // namespace DialStep
