// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// Reads and edits the text of an INI file the way QSettings reads it, changing only the lines
// of the keys written: comments, blank lines, order, line endings and values as typed stay.
namespace IniText {

using KeyValues = QList<std::pair<QString, QString>>;

// The text of `key` in `[section]`; nullopt when absent. The last of repeated keys counts, as
// in QSettings. An unquoted value with commas ("115200,N,8,1"), which QSettings would take
// as a list, is the text as typed.
std::optional<QString> value(QByteArrayView file, const QString &section, const QString &key);

// What a write makes of the file: its new text, or the line that stops the write.
struct Update
{
    QByteArray text;
    // Not 0: the 1-based line of the file that would read differently after the write (an
    // unclosed quote takes in the lines after it); `text` is then empty.
    qsizetype refusedLine = 0;
};

// Every key of `[section]` with its text, as value() gives it.
QHash<QString, QString> values(QByteArrayView file, const QString &section);

// `file` with each key's value replaced where the key stands in `[section]`, otherwise added
// at the end of that section, or in a new section at the end of the file. Every other key
// reads back as it did and each written key exactly as written, or nothing is written.
Update withValues(QByteArrayView file, const QString &section, const KeyValues &values);

// A value as QSettings writes a string, so that QSettings and value() both read back exactly
// `text`: "NMBR = " becomes "\"NMBR = \"", "101,102" becomes "\"101,102\"".
QByteArray escaped(const QString &text);

} // namespace IniText
