// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/YacMessage.h"

namespace YacMessage {

namespace {

const QString &tag()
{
    static const QString text = QStringLiteral("@CALL");
    return text;
}

} // namespace

std::optional<Call> parse(const QString &text)
{
    return judge(text).call;
}

Verdict judge(const QString &text)
{
    if (text.isEmpty())
        return {std::nullopt, "nothing sent"};
    if (!text.startsWith(tag()))
        return {std::nullopt, "not @CALL"};
    const qsizetype separator = text.indexOf(QLatin1Char('~'), tag().size());
    if (separator < 0)
        return {std::nullopt, "no \"~\" after @CALL"};
    return {Call::of(text.mid(separator + 1), text.mid(tag().size(), separator - tag().size()))};
}

QString firstMessage(const QString &text)
{
    const qsizetype next = text.indexOf(tag(), 1);
    return next < 0 ? text : text.left(next);
}

} // namespace YacMessage
