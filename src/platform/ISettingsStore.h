#pragma once

#include <QList>
#include <QString>

#include <utility>

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
    // Creates or replaces several values in one replacement of the store, in the given
    // order: either all of them are written or, when this throws Failure, none.
    virtual void WriteSettings(const QString &application, const QString &section,
                               const QList<std::pair<QString, QString>> &keysAndTexts) = 0;
};
