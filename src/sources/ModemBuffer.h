// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Call.h"
#include "base/WireTextDecoder.h"

#include <QString>
#include <QtGlobal>

#include <optional>

// The modem's receive buffer and its tick count, and the caller-ID parse of each poll tick.
//
// The modem's report is one running text of CR-ended lines, e.g.
//   "RING\r\n\r\nDATE = 1015\r\nTIME = 2038\r\nNMBR = 8475550001\r\nNAME = U.S.ROBOTICS\r\n"
// The number stands between the number key ("NMBR = ") and the next CR, the name likewise
// after the name key ("NAME = "), up to a CR or LF. Nothing is parsed before the buffer has
// held text at three consecutive ticks, so that a report arriving in pieces is read whole.
class ModemBuffer
{
public:
    // The buffer keeps at most this many characters; past it only its newest part stays.
    static constexpr qsizetype kMaxBuffer = 32767;
    // Text without the number key is dropped once the buffer has held text this many ticks.
    static constexpr qint16 kChatterTicks = 1000;

    // What one read of the port returned.
    void append(QByteArrayView bytes) { m_text += m_decoder.decode(bytes); }

    // What one tick came to, for the log as well.
    struct Step
    {
        // A number of at least two characters, with the name when its line came in by the
        // same tick; the rest is the monitor's to fill.
        std::optional<Call> caller;
        // Why the tick threw text away ("number shorter than two characters"), and
        // what; null when it kept everything or dropped only line ends.
        const char *dropped = nullptr;
        QString droppedText;
    };

    // The tick's parse over everything appended so far. Taking a complete number line empties
    // the buffer, even when the number is too short to show.
    Step readStep(const QString &numberKey, const QString &nameKey);

    // The device that wrote the text has gone: its half report must not meet the next one's.
    void clear();

    const QString &text() const { return m_text; }
    qint16 ticks() const { return m_ticks; }

private:
    void dropStale(const QString &numberKey, Step &step);

    QString m_text;
    qint16 m_ticks = 0;
    // What the buffer holds came after a number was taken, so it is the rest of that report.
    bool m_afterNumber = false;
    WireTextDecoder m_decoder;
};
