// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/ConfigFolder.h"

#include <QStandardPaths>

namespace ConfigFolder {

QString path(const QString &chosen)
{
    return chosen.isEmpty()
               ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
               : chosen;
}

} // namespace ConfigFolder
