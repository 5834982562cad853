#pragma once

#include "platform/ISettingsStore.h"

// The settings store as an INI file per application: `<config dir>/<application>.ini`, one
// group per section (on Linux `$XDG_CONFIG_HOME/Belvane.ini`, group [settings]). The file
// holds the Asterisk secret, so it is kept readable by its owner only.
class IniSettingsStore : public ISettingsStore
{
public:
    // `configDir` empty: the user's configuration folder, looked up at each access.
    explicit IniSettingsStore(QString configDir = {});

    QString ReadSetting(const QString &application, const QString &section, const QString &key,
                        const QString &defaultValue) override;
    void WriteSetting(const QString &application, const QString &section, const QString &key,
                      const QString &text) override;
    void WriteSettings(const QString &application, const QString &section,
                       const QList<std::pair<QString, QString>> &keysAndTexts) override;

    QString FilePath(const QString &application) const;

private:
    QString m_configDir;
};
