// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ISettingsStore.h"

#include <QHash>
#include <QStringList>

// A settings store in memory, for logic tests that do not care how values are kept.
class MemorySettingsStore : public ISettingsStore
{
public:
    QString ReadSetting(const QString &application, const QString &section, const QString &key,
                        const QString &defaultValue) override
    {
        return values.value(application + '/' + section + '/' + key, defaultValue);
    }
    // Records the keys of each call: what went in one replacement, and in what order.
    void WriteSettings(const QString &application, const QString &section,
                       const KeyValues &keysAndTexts) override
    {
        replacements.append(QStringList());
        for (const auto &[key, text] : keysAndTexts) {
            values.insert(application + '/' + section + '/' + key, text);
            replacements.last().append(key);
        }
    }

    // Values of the program's own address, Belvane/settings.
    void set(const QString &key, const QString &text) { values.insert(kOwn + key, text); }
    QString get(const QString &key) const { return values.value(kOwn + key); }

    QHash<QString, QString> values;
    QList<QStringList> replacements;

private:
    static constexpr char kOwn[] = "Belvane/settings/";
};
