// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where the program's per-user files live: the settings file and the links that name serial
// ports (on Linux `$XDG_CONFIG_HOME`, usually ~/.config).
namespace ConfigFolder {

// `chosen` when it is not empty (a test's temporary folder), otherwise the user's
// configuration folder, looked up at each call.
QString path(const QString &chosen = {});

} // namespace ConfigFolder
