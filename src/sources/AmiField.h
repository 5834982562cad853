// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>

#include <optional>

// Reads one field of a Manager Interface message: "Response: Error\r\nActionID: ringscout-1\r\n
// Message: Permission denied\r\n\r\n" has "Message" "Permission denied".
namespace AmiField {

// The value of the first whole line "Name: value" (the name in any letter case); nothing
// when the message has no such line. Text inside another field's value is never taken: a
// caller named "ActionID: x" is a name.
std::optional<QByteArrayView> value(QByteArrayView message, QByteArrayView name);

} // namespace AmiField
