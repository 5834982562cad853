// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/WireTextDecoder.h"

#include "base/WireText.h"

QString WireTextDecoder::decode(QByteArrayView bytes)
{
    QString text;
    if (m_pending.isEmpty()) {
        m_pending = bytes.last(WireText::decodeInto(text, bytes)).toByteArray();
    } else {
        const QByteArray joined = m_pending + bytes.toByteArray();
        m_pending = joined.last(WireText::decodeInto(text, joined));
    }
    return text;
}
