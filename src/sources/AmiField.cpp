// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/AmiField.h"

#include "base/AmiMessageEnd.h"

#include <algorithm>

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

bool AmiField::holdsControl(QStringView value)
{
    return std::any_of(value.begin(), value.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029;
    });
}
