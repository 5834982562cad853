// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ISettingsStore.h"

#include <QStringList>

// A settings store in memory, for logic tests that do not care how values are kept.
class MemorySettingsStore : public ISettingsStore
{
public:
    QHash<QString, QString> readSettings() override { return values; }
    // Records the keys of each call: what went in one replacement, and in what order.
    void writeSettings(const KeyValues &keysAndTexts) override
    {
        replacements.append(QStringList());
        for (const auto &[key, text] : keysAndTexts) {
            values.insert(key, text);
            replacements.last().append(key);
        }
    }

    void set(const QString &key, const QString &text) { values.insert(key, text); }
    QString get(const QString &key) const { return values.value(key); }

    QHash<QString, QString> values;
    QList<QStringList> replacements;
};
