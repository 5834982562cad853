// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <utility>

// The per-user settings store: text values addressed by application, section and key.
// Every call may throw Failure when the store cannot be read or written; none other.
class ISettingsStore
{
public:
    using KeyValues = QList<std::pair<QString, QString>>;

    virtual ~ISettingsStore() = default;

    // The stored text; `defaultValue` when the key does not exist. A key that exists with
    // empty text gives empty text.
    virtual QString ReadSetting(const QString &application, const QString &section,
                                const QString &key, const QString &defaultValue) = 0;
    // Creates or replaces the values, all of them or, when the store cannot be written,
    // none.
    virtual void WriteSettings(const QString &application, const QString &section,
                               const KeyValues &values) = 0;

    void WriteSetting(const QString &application, const QString &section, const QString &key,
                      const QString &text)
    {
        WriteSettings(application, section, {{key, text}});
    }
};
