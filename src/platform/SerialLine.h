// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// How a serial port number and a line settings text become what the system needs.
namespace SerialLine {

enum class StopBits { One, OneAndHalf, Two };

// "115200,N,8,1": speed in bits per second, parity N, E, O, M or S (none, even, odd, mark,
// space), 5 to 8 data bits, 1, 1.5 or 2 stop bits.
struct Settings
{
    int speed = 0;
    char parity = 'N';
    int dataBits = 8;
    StopBits stopBits = StopBits::One;
};

// Throws Failure with the source "Serial port" and a description that quotes the text.
Settings Parse(const QString &text);

// Where a user links a device as port N: `<configDir>/Belvane/com`N.
QString LinkPath(const QString &configDir, int port);

// The device of port N: `<configDir>/Belvane/com`N where that link exists, resolved to what it
// points to, else /dev/ttyS(N-1); "COM"N on Windows.
QString DevicePath(const QString &configDir, int port);

} // namespace SerialLine
