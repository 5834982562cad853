// SPDX-License-Identifier: GPL-3.0-or-later
// Writing one key into any text found in the settings file changes that key and nothing else:
// every other key reads back as it did, no key appears, and the key reads back exactly as
// written. A file the editor refuses holds a quote or a backslash, the only ways a line runs
// on into the next. Input: a byte that picks the key, the value, NUL, the file.
#include "FuzzCheck.h"
#include "base/IniText.h"
#include "settings/SettingsTable.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

// Each "key =" a line may start with, in the section of the "[...]" above it, found without
// the editor's own parser.
static QSet<std::pair<QString, QString>> keysNamed(QByteArrayView file)
{
    QSet<std::pair<QString, QString>> keys;
    QString section = QStringLiteral("General");
    for (const QString &line : QString::fromUtf8(file).split(QRegularExpression("[\r\n]"))) {
        if (line.trimmed().startsWith(u'['))
            section = line.section(u'[', 1).section(u']', 0, 0).trimmed();
        else if (line.contains(u'='))
            keys.insert({section, line.section(u'=', 0, 0).trimmed()});
    }
    return keys;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArrayView file = fuzzBytes(data, size);
    if (file.isEmpty())
        return 0;
    const QString key = QString::fromLatin1(
        SettingsTable::rows()[uchar(file[0]) % SettingsTable::rows().size()].key);
    const qsizetype end = file.indexOf('\0');
    const QString value = QString::fromUtf8(file.sliced(1, std::max<qsizetype>(end, 1) - 1));
    file = file.sliced(std::max<qsizetype>(end + 1, 1));
    const QString section = QStringLiteral("settings");
    const IniText::Update update = IniText::withValues(file, section, {{key, value}});
    if (update.refusedLine > 0)
        return FUZZ_CHECK(file.contains('"') || file.contains('\\')), 0;
    FUZZ_CHECK(IniText::value(update.text, section, key) == value);
    for (const auto &[inSection, other] : keysNamed(file) + keysNamed(update.text))
        FUZZ_CHECK((inSection == section && other == key) ||
                   IniText::value(file, inSection, other) ==
                       IniText::value(update.text, inSection, other));
    return 0;
}
