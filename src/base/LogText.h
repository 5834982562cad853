// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QDebug>
#include <QString>
#include <QStringView>

// Text from outside (a caller's name, a page's message, another start's request) as a
// --verbose line shows it: in double quotes, with nothing in it that could end the line or
// drive the terminal, and cut short, so that it cannot pass for a line of its own.
class LogText
{
public:
    // Characters of an outside text a line shows at most.
    static constexpr qsizetype kMaxChars = 200;

    explicit LogText(QStringView text);
    // Taken as UTF-8.
    explicit LogText(QByteArrayView bytes);

    // "a\nb" gives "\"a\\nb\"": '"' and '\' with a backslash before them; line ends, tabs and
    // every other control, format or separator character as \n, \r, \t or \uXXXX. A longer
    // text keeps its first kMaxChars characters: "\"…\"... (60000 characters)".
    const QString &quoted() const { return m_quoted; }

private:
    QString m_quoted;
};

// Streams the quoted form as it stands, spaced like any other item.
QDebug operator<<(QDebug debug, const LogText &text);
