// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QStringList>

// CSV as RFC 4180 has it (CRLF between records, a field quoted when it holds a comma, a quote
// or a line end, quotes doubled), in UTF-8. A text cell that a spreadsheet would take for a
// formula (= + - @, tab or CR first) gets a leading apostrophe, so a caller's name never runs.
namespace CallCsv {

QByteArray field(const QString &text);
QByteArray record(const QStringList &fields);

} // namespace CallCsv
