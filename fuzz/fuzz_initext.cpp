// SPDX-License-Identifier: GPL-3.0-or-later
// Writing one key into any text found in the settings file changes that key and nothing else:
// every other key reads back as it did, no key appears, and the key reads back exactly as
// written. A file the editor refuses holds a quote or a backslash, the only ways a line runs
// on into the next. Input: "key NUL value NUL file", or a file alone (startx=0 is written).
#include "FuzzCheck.h"
#include "base/IniText.h"

#include <QRegularExpression>
#include <QSet>

namespace {

using Address = std::pair<QString, QString>;

// Each "key =" a line may start with, in the section of the "[...]" above it, found without
// the editor's own parser.
QSet<Address> keysNamed(QByteArrayView file)
{
    QSet<Address> keys;
    QString section = QStringLiteral("General");
    for (const QString &line : QString::fromUtf8(file).split(QRegularExpression("[\r\n]"))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'['))
            section = trimmed.mid(1).section(u']', 0, 0).trimmed();
        else if (trimmed.contains(u'='))
            keys.insert({section, trimmed.section(u'=', 0, 0).trimmed()});
    }
    return keys;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArrayView file = fuzzBytes(data, size);
    QString key = QStringLiteral("startx"), value = QStringLiteral("0");
    const qsizetype first = file.indexOf('\0');
    const qsizetype second = first < 0 ? -1 : file.indexOf('\0', first + 1);
    if (second > 0) {
        static const QRegularExpression plainKey(
            QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9_]+")));
        const QString name = QString::fromLatin1(file.first(first));
        if (plainKey.match(name).hasMatch())
            key = name;
        value = QString::fromUtf8(file.sliced(first + 1, second - first - 1));
        file = file.sliced(second + 1);
    }
    const QString section = QStringLiteral("settings");
    const IniText::Update update = IniText::WithValues(file, section, {{key, value}});
    if (update.refusedLine > 0)
        return FUZZ_CHECK(file.contains('"') || file.contains('\\')), 0;
    FUZZ_CHECK(IniText::Value(update.text, section, key) == value);
    for (const auto &[inSection, other] : keysNamed(file) + keysNamed(update.text))
        FUZZ_CHECK((inSection == section && other == key) ||
                   IniText::Value(file, inSection, other) ==
                       IniText::Value(update.text, inSection, other));
    return 0;
}
