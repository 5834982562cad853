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
        const auto it = values.constFind(address(application, section, key));
        return it == values.constEnd() ? defaultValue : *it;
    }
    // Records the keys of each call: what went in one replacement, and in what order.
    void WriteSettings(const QString &application, const QString &section,
                       const KeyValues &keysAndTexts) override
    {
        replacements.append(QStringList());
        for (const auto &[key, text] : keysAndTexts) {
            values.insert(address(application, section, key), text);
            replacements.last().append(key);
        }
    }

    // Values of the program's own address, Belvane/settings.
    void set(const QString &key, const QString &text)
    {
        values.insert(address(app, sec, key), text);
    }
    QString get(const QString &key) const { return values.value(address(app, sec, key)); }
    bool has(const QString &key) const { return values.contains(address(app, sec, key)); }

    QHash<QString, QString> values;
    QList<QStringList> replacements;
    QString app = QStringLiteral("Belvane");
    QString sec = QStringLiteral("settings");

private:
    static QString address(const QString &a, const QString &s, const QString &k)
    {
        return a + QLatin1Char('/') + s + QLatin1Char('/') + k;
    }
};
