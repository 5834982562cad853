// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The phone dialer's state machine, run once per modem poll tick: "ATDT <number>\r" at the
// first tick after a number is confirmed, and a lone CR five ticks later, which ends the
// modem's own call attempt once the handset has the line.
class DialStep
{
public:
    static constexpr qint16 kReleaseAfterTicks = 5;

    // The dialog's OK with the text as typed. While a dial is under way the text waits and is
    // dialled after the lone CR; an empty text then only withdraws a waiting number.
    void confirm(const QString &typed);

    // One poll tick. Returns what to write to the modem, in order.
    QStringList tick();

    // Why the modem must not be given the number: "" when it may. A ";" ends the number and
    // the modem runs what follows as commands, as it does a letter other than a dial modifier
    // (T, P, W; ",", "!" and "@" are no letters) or a line end. The rest is sent as typed.
    static QString refusal(const QString &number);

    // The number waiting or being dialled; empty when the dialer is idle.
    const QString &number() const { return m_number; }

private:
    QString m_number;
    // Ticks since the dial command; 0: none sent yet.
    qint16 m_ticks = 0;
    // A number confirmed while a dial was under way.
    QString m_next;
};
