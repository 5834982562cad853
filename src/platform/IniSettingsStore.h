// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ISettingsStore.h"

// The settings store as an INI file per application: `<config dir>/<application>.ini`, the
// section a group (on Linux `$XDG_CONFIG_HOME/Belvane.ini`, group [settings]). Each read reads
// the file once. A write
// changes only the lines of its keys and replaces the file in one step. The file holds the
// Asterisk secret, so it is kept readable by its owner only.
class IniSettingsStore : public ISettingsStore
{
public:
    // `configDir` empty: the user's configuration folder, looked up at each access.
    IniSettingsStore(QString application, QString section, QString configDir = {});

    QHash<QString, QString> readSettings() override;
    void writeSettings(const KeyValues &values) override;

    QString filePath() const;

private:
    // The file's bytes, empty when there is none. A file that others may read is made
    // owner-only first.
    QByteArray readFile(const QString &path);

    QString m_application;
    QString m_section;
    QString m_configDir;
};
