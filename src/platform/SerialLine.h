// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Which device a serial port number opens.
namespace SerialLine {

// Where a user links a device as port N: `<configDir>/Belvane/com`N.
QString linkPath(const QString &configDir, int port);

// The device of port N: `<configDir>/Belvane/com`N where that link exists, resolved to what it
// points to, else /dev/ttyS(N-1); "COM"N on Windows.
QString devicePath(const QString &configDir, int port);

} // namespace SerialLine
