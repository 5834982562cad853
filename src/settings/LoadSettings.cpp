// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/LoadSettings.h"

#include "platform/IMainWindow.h"
#include "platform/ISettingsStore.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"

void LoadSettings(Settings &settings, ISettingsStore &store, IMainWindow &window)
{
    const QHash<QString, QString> stored = store.readSettings();
    for (const SettingsTable::Row &row : SettingsTable::rows()) {
        const QString key = QString::fromLatin1(row.key);
        row.load(settings, key, stored.value(key, QString::fromLatin1(row.defaultText)));
    }
    window.setGeometryTwips(settings.startx, settings.starty, settings.startw, settings.starth);
}
