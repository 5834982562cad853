// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// A serial port's line settings, as the text "115200,N,8,1" gives them: speed in bits per
// second, parity N, E, O, M or S (none, even, odd, mark, space), 5 to 8 data bits, 1, 1.5 or
// 2 stop bits.
struct LineSettings
{
    enum class StopBits { One, OneAndHalf, Two };

    int speed = 0;
    char parity = 'N';
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    // Throws Failure with the source "Serial port" and a description that quotes the text.
    static LineSettings parse(const QString &text);
};
