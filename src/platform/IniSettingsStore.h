// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ISettingsStore.h"

// The settings store as an INI file per application: `<config dir>/<application>.ini`, one
// group per section (on Linux `$XDG_CONFIG_HOME/Belvane.ini`, group [settings]). A write
// changes only the lines of its keys and replaces the file in one step. The file holds the
// Asterisk secret, so it is kept readable by its owner only.
class IniSettingsStore : public ISettingsStore
{
public:
    // `configDir` empty: the user's configuration folder, looked up at each access.
    explicit IniSettingsStore(QString configDir = {});

    QString ReadSetting(const QString &application, const QString &section, const QString &key,
                        const QString &defaultValue) override;
    void WriteSettings(const QString &application, const QString &section,
                       const KeyValues &values) override;

    QString FilePath(const QString &application) const;

private:
    // The file's bytes, empty when there is none. A file that others may read is made
    // owner-only first.
    QByteArray readFile(const QString &path);

    QString m_configDir;
};
