// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Reads the fields of a Manager Interface message: "Response: Error\r\nActionID: ringscout-1\r\n
// Message: Permission denied\r\n\r\n" has "Message" "Permission denied". Every reader of a
// message goes through here, so that all agree on what a field is: a whole line
// "Name: value", the name in any letter case. Values stay bytes until one is asked for as text.
namespace AmiField {

// Whether two field names are the same with ASCII letters in either case: "callerid" is
// "CallerID". Bytes past ASCII must match exactly. Inline: most calls compare with a literal.
inline bool sameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    const char *x = a.data(), *y = b.data();
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (x[i] == y[i])
            continue;
        // Only a letter's two cases differ in the 0x20 bit alone.
        const char folded = char(x[i] | 0x20);
        if (folded != char(y[i] | 0x20) || folded < 'a' || folded > 'z')
            return false;
    }
    return true;
}

// Whether a field's value is `expected`, ASCII letters in either case: "success" is "Success".
inline bool same(std::optional<QByteArrayView> value, QByteArrayView expected)
{
    return value && sameName(*value, expected);
}

// Goes through a message's field lines in order, up to its empty line or its end. A line
// without ": " after a name of one or more bytes is no field and is passed over; text inside
// a value is never a field: a caller named "ActionID: x" is a name.
class Reader
{
public:
    explicit Reader(QByteArrayView message) : m_rest(message) {}

    // Moves to the next field; false once the message has no more.
    bool next();
    QByteArrayView name() const { return m_name; }
    // Everything after the ": ", as on the wire (a stray CR included).
    QByteArrayView value() const { return m_value; }

private:
    QByteArrayView m_rest;
    QByteArrayView m_name;
    QByteArrayView m_value;
};

// The value of the first field of that name; nothing when the message has none.
std::optional<QByteArrayView> value(QByteArrayView message, QByteArrayView name);

// Whether a value we would send holds a C0 or C1 control character (line breaks and NEL,
// U+0085, among them), DEL or U+2028/U+2029: some reader on the way may take any of them for
// the end of the value's line, and what follows would be a line, or an action, of its own.
bool holdsControl(QStringView value);

// A value as text, as WireText decodes it; plain ASCII, the usual case, takes the short way.
QString text(QByteArrayView value);

} // namespace AmiField
