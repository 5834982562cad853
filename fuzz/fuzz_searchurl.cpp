// SPDX-License-Identifier: GPL-3.0-or-later
// The search URL: whatever the caller's number and name hold, what they put into the URL is
// letters, digits, "+" and "%XX" escapes only (never a raw "&", "#", "?", blank or control
// byte), the template around them is kept as written, and in UTF-8 no byte of them is lost.
#include "FuzzCheck.h"
#include "pop/SearchUrl.h"

#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QRegularExpression url(QStringLiteral(
        "^https://crm\\.example/"
        "s\\?phone=((?:[0-9A-Za-z+]|%[0-9A-F]{2})*)&name=((?:[0-9A-Za-z+]|%[0-9A-F]{2})*)#top$"));
    const QString all = QString::fromUtf8(fuzzBytes(data, size));
    const qsizetype half = all.indexOf(u'\n') < 0 ? all.size() / 2 : all.indexOf(u'\n');
    const QString fields[] = {all.left(half), all.mid(half + 1)};
    for (const CodePage codePage : {CodePage::Utf8, CodePage::Windows1252}) {
        const QRegularExpressionMatch match =
            url.match(fillTemplate(QStringLiteral("https://crm.example/s?phone=*&name=+#top"),
                                   fields[0], fields[1], codePage));
        FUZZ_CHECK(match.hasMatch());
        for (int i = 0; i < 2 && codePage == CodePage::Utf8; ++i) {
            const QByteArray encoded = match.captured(i + 1).toLatin1().replace('+', ' ');
            FUZZ_CHECK(QByteArray::fromPercentEncoding(encoded) == fields[i].toUtf8());
        }
    }
    return 0;
}
