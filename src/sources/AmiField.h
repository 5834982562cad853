// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QStringView>

#include <optional>

// Reads one field of a Manager Interface message: "Response: Error\r\nActionID: ringscout-1\r\n
// Message: Permission denied\r\n\r\n" has "Message" "Permission denied".
namespace AmiField {

// The value of the first whole line "Name: value" (the name in any letter case); nothing
// when the message has no such line. Text inside another field's value is never taken: a
// caller named "ActionID: x" is a name.
std::optional<QByteArrayView> value(QByteArrayView message, QByteArrayView name);

// Whether a value we would send holds a C0 or C1 control character (line breaks and NEL,
// U+0085, among them), DEL or U+2028/U+2029: some reader on the way may take any of them for
// the end of the value's line, and what follows would be a line, or an action, of its own.
bool holdsControl(QStringView value);

} // namespace AmiField
