// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/AmiField.h"

#include "base/AmiMessageEnd.h"

std::optional<QByteArrayView> AmiField::value(QByteArrayView message, QByteArrayView name)
{
    while (!message.isEmpty()) {
        qsizetype end = AmiMessageEnd::find(message, AmiMessageEnd::kLineEnd);
        if (end < 0)
            end = message.size();
        if (end == 0) // the empty line closes the message
            break;
        const QByteArrayView line = message.first(end);
        if (line.size() >= name.size() + 2 && line[name.size()] == ':' &&
            line[name.size() + 1] == ' ' &&
            line.first(name.size()).compare(name, Qt::CaseInsensitive) == 0)
            return line.sliced(name.size() + 2);
        message = message.sliced(qMin(end + 2, message.size()));
    }
    return std::nullopt;
}
