// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/UrlPolicy.h"

std::optional<QUrl> UrlPolicy::toUrl(const QString &text)
{
    if (text.isEmpty() || text.compare(QLatin1String("about:clear"), Qt::CaseInsensitive) == 0)
        return QUrl(QStringLiteral("about:blank"));
    // As an address bar takes it: "crm.local/search?phone=555" is http://crm.local/...
    const QUrl url = QUrl::fromUserInput(text);
    const QString scheme = url.scheme().toLower();
    const bool web = scheme == QLatin1String("http") || scheme == QLatin1String("https");
    // A script URL would run in whatever page the window shows; a pop only ever shows pages.
    // A local file only when the text says so ("::x::" would otherwise be a file name).
    if (!url.isValid() || scheme.isEmpty() || scheme == QLatin1String("javascript") ||
        (web && url.host().isEmpty()) ||
        (scheme == QLatin1String("file") && !text.startsWith(QLatin1String("file:"))))
        return std::nullopt;
    return url;
}

UrlPolicy::Navigation UrlPolicy::navigation(const QUrl &url)
{
    if (!url.isValid())
        return Navigation::Refuse;
    const QString scheme = url.scheme().toLower();
    for (const char *shown : {"http", "https", "about", "data", "blob", "file"}) {
        if (scheme == QLatin1String(shown))
            return Navigation::Show;
    }
    return scheme == QLatin1String("tel") ||
                   (scheme == QLatin1String("callto") && url.authority().isEmpty())
               ? Navigation::Dial
               : Navigation::AskFirst;
}
