// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Bytes from the modem and from sockets become text here, so that no byte is ever lost: each
// valid UTF-8 sequence as its character, each byte that is not part of one as Windows-1252.
// "REN\xc3\x89 \xff" is "RENÉ ÿ": one stray byte does not turn the rest into mojibake.
namespace WireText {

QString decode(QByteArrayView bytes);

// Appends the text of `bytes` to `text`, except for a UTF-8 sequence cut off by their end
// ("Jos\xc3"), which is left for the caller to join to the bytes that follow. Returns how
// many bytes at the end were left so (0 to 3).
qsizetype decodeInto(QString &text, QByteArrayView bytes);

// Windows-1252 for every byte, whatever the bytes look like.
QString decodeWindows1252(QByteArrayView bytes);

// The Windows-1252 byte of a character, or -1 when the code page has none.
int windows1252Byte(char16_t ch);

// Text we send; the protocols we speak are ASCII in practice.
QByteArray encode(const QString &text);

} // namespace WireText
