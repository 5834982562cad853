// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Decodes one source's bytes read after read: a UTF-8 character cut between two reads
// ("NAME = Jos\xc3", then "\xa9\r\n") waits for its end instead of becoming two
// Windows-1252 characters.
class WireTextDecoder
{
public:
    QString decode(QByteArrayView bytes);
    // Forgets a character begun by the earlier reads, whose source has gone.
    void reset() { m_pending.clear(); }

private:
    QByteArray m_pending;
};
