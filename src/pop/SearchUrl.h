// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The code page UrlEncode takes a character's byte(s) from.
enum class CodePage {
    Utf8,        // every byte of a non-ASCII character is escaped: "é" gives %C3%A9
    Windows1252, // one byte per character: "é" gives %E9; what it lacks becomes "?" (%3F)
};

// The system's code page: Windows-1252 where that is the ANSI code page, UTF-8 elsewhere.
CodePage systemCodePage();

// The decimal digits of the text, in order: "(555) 123-4567" gives "5551234567".
QString DigitsOnly(const QString &text);

// Letters and digits as they are, a blank as "+", every other byte as "%" and two upper-case
// hexadecimal digits: "O'NEIL & SONS" gives "O%27NEIL+%26+SONS".
QString UrlEncode(const QString &text, CodePage codePage = systemCodePage());

// Removes blanks (spaces only, not tabs) at both ends.
QString trimSpaces(const QString &text);

// Every "*" of the template becomes the encoded number and every "+" the encoded name, in one
// pass: inserted text is never scanned again, so the "+" of an encoded blank stays.
QString fillTemplate(const QString &urlTemplate, const QString &number, const QString &name,
                     CodePage codePage = systemCodePage());
