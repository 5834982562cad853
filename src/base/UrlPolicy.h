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

// What becomes of a page's step to an address.
enum class Navigation {
    Show,     // in the window itself
    Dial,     // the Phone Dialer, with the address's number
    AskFirst, // another program, if the user agrees
    Refuse,   // nothing: no program could take it as written
};
// http(s) shows, as do the engine's own addresses (about:, data:, blob:; file:, which a web
// page cannot reach); tel: and callto: dial, but "callto://name" names a user of another
// program; every other scheme would start another program.
Navigation navigation(const QUrl &url);

} // namespace UrlPolicy
