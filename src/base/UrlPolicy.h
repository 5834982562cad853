// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// Which text from the settings (the search URL filled in, the start page) the browser may
// show, and as what address.
namespace UrlPolicy {

// "about:clear" and empty text are an empty page; text without a scheme is taken as an
// address bar takes it. Nothing for text that is no usable URL, or that would run a script.
std::optional<QUrl> toUrl(const QString &text);

} // namespace UrlPolicy
