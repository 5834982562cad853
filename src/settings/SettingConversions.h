// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

// Conversions of stored setting text to the record's types. Each throws Failure with the
// source "Settings" and a description naming the key and the offending text.
namespace SettingConversions {

// Decimal text in -32768..32767; blanks around the number are allowed, fractions are not.
qint16 toInt16(const QString &key, const QString &text);
qint32 toInt32(const QString &key, const QString &text);
// A TCP port: 1..65535, or 0 or less (down to -32768) for "not used".
qint32 toPort(const QString &key, const QString &text);
// Numeric text: zero is off, any other number is on ("1" and "-1" are both on).
bool toBoolean(const QString &key, const QString &text);

} // namespace SettingConversions
