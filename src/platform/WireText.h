// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Bytes from the modem and from sockets become text here: UTF-8 where the bytes are valid
// UTF-8, Windows-1252 otherwise, so that no byte is ever lost.
namespace WireText {

QString Decode(QByteArrayView bytes);

// Windows-1252 for every byte, whatever the bytes look like.
QString DecodeWindows1252(QByteArrayView bytes);

// The Windows-1252 byte of a character, or -1 when the code page has none.
int Windows1252Byte(char16_t ch);

// Text we send; the protocols we speak are ASCII in practice.
QByteArray Encode(const QString &text);

} // namespace WireText
