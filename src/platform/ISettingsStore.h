#pragma once

#include <QString>

// The per-user settings store: text values addressed by application, section and key.
class ISettingsStore
{
public:
    virtual ~ISettingsStore() = default;

    // The stored text; `defaultValue` when the key does not exist. A key that exists with
    // empty text gives empty text.
    virtual QString ReadSetting(const QString &application, const QString &section,
                                const QString &key, const QString &defaultValue) = 0;
    // Creates or replaces the value. Throws Failure when the store cannot be written.
    virtual void WriteSetting(const QString &application, const QString &section,
                              const QString &key, const QString &text) = 0;
};
