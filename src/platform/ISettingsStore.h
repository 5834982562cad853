// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <utility>

// The per-user settings store, bound to the program's address (application and section) when
// it is made: text values by key. Every call may throw Failure when the store cannot be read or
// written; none other.
class ISettingsStore
{
public:
    using KeyValues = QList<std::pair<QString, QString>>;

    virtual ~ISettingsStore() = default;

    // Every stored key with its text, read at once. A key that exists with empty text gives
    // empty text.
    virtual QHash<QString, QString> readSettings() = 0;
    // Creates or replaces the values, all of them or, when the store cannot be written,
    // none.
    virtual void writeSettings(const KeyValues &values) = 0;

    // The stored text; `defaultValue` when the key does not exist.
    QString ReadSetting(const QString &key, const QString &defaultValue)
    {
        return readSettings().value(key, defaultValue);
    }
    void WriteSetting(const QString &key, const QString &text) { writeSettings({{key, text}}); }
};
