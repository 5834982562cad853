// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/InstanceRequest.h"
#include "base/TelLink.h"

#include <algorithm>

bool InstanceRequest::isRequest(const QString &text)
{
    if (text.isEmpty() || text == kCalls)
        return true;
    return text.size() <= kMaxRequest && TelLink::isAddress(text);
}

bool InstanceRequest::isToken(const QString &text)
{
    return text.size() <= kMaxRequest &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c > u' ' && c < u'\x7f'; });
}

QByteArray InstanceRequest::message(const QString &request, const QString &token)
{
    // The token on a line of its own after the request: a running instance of an older
    // version reads the request alone.
    return request.toUtf8() + '\n' +
           (!token.isEmpty() && isToken(token) ? token.toLatin1() + '\n' : QByteArray());
}

InstanceRequest::Read InstanceRequest::read(QByteArrayView bytes)
{
    Read read;
    const qsizetype end = bytes.indexOf('\n');
    if (end < 0 || end > kMaxLine) {
        read.state = bytes.size() > kMaxLine ? Read::State::Overlong : Read::State::Incomplete;
        return read;
    }
    read.request = QString::fromUtf8(bytes.first(end));
    if (!isRequest(read.request)) {
        read.state = Read::State::Malformed;
        return read;
    }
    read.state = Read::State::Complete;
    const QByteArrayView rest = bytes.sliced(end + 1);
    const qsizetype tokenEnd = rest.indexOf('\n');
    if (tokenEnd < 0)
        return read;
    read.token = QString::fromLatin1(rest.first(std::min(tokenEnd, kMaxLine)));
    if (!isToken(read.token)) {
        read.token.clear();
        read.tokenDropped = true;
    }
    return read;
}
