// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// The number a "tel:" address calls, made safe to follow "ATDT " on the modem's
// command line.
namespace TelLink {

// "tel:+1-555-0100;ext=22" gives "+1-555-0100"; "" when the address names no number;
// nothing for addresses of other schemes.
std::optional<QString> dialNumber(const QUrl &url);

} // namespace TelLink
