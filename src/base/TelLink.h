// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// The number a "tel:" or "callto:" address calls, as the Phone Dialer shows it and a dialer
// is given it.
namespace TelLink {

// "tel:+1-555-0100;ext=22" and "callto:+1-555-0100" give "+1-555-0100"; "" when the
// address names no number; nothing for addresses of other schemes and for "callto://name".
// An encoded ";" ends the number as a plain one does.
std::optional<QString> dialNumber(const QUrl &url);

// Whether a text the user typed (a command line, a desktop launcher's %u) is a "tel:" or
// "callto:" address, of any case.
bool isAddress(const QString &text);
// The number such a typed address dials, as dialNumber() gives it; "" when it names none.
// "callto://5550100" gives 5550100 here: typed, the text is still at hand before a URL reads
// the name as a host.
QString addressNumber(const QString &address);

// The text without the characters that are not seen or that change how the rest is seen:
// control and format characters (the bidirectional overrides among them) and line and
// paragraph separators. "\u202E0010555" shows as "5550100" but would dial 0010555.
QString visibleText(const QString &text);

} // namespace TelLink
