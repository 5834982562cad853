// The search URL: whatever the caller's number and name hold, what they put into the URL is
// letters, digits, "+" and "%XX" escapes only (never a raw "&", "#", "?", blank or control
// byte), the template around them is kept as written, and in UTF-8 no byte of them is lost.
#include "FuzzCheck.h"
#include "pop/SearchUrl.h"

namespace {

bool upperHex(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
}

bool safelyEncoded(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'%') {
            if (i + 2 >= text.size() || !upperHex(text[i + 1]) || !upperHex(text[i + 2]))
                return false;
            i += 2;
        } else if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') ||
                     (c >= u'a' && c <= u'z') || c == u'+')) {
            return false;
        }
    }
    return true;
}

QByteArray urlDecode(QStringView text)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'%') {
            bytes.append(char(text.mid(i + 1, 2).toString().toInt(nullptr, 16)));
            i += 2;
        } else {
            bytes.append(text[i] == u'+' ? ' ' : char(text[i].unicode()));
        }
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString all = QString::fromUtf8(fuzzBytes(data, size));
    const qsizetype half = all.indexOf(u'\n') < 0 ? all.size() / 2 : all.indexOf(u'\n');
    const QString number = all.left(half);
    const QString name = all.mid(half + 1);
    const QString head = QStringLiteral("https://crm.example/s?phone=");
    const QString middle = QStringLiteral("&name=");
    const QString tail = QStringLiteral("#top");

    for (const CodePage codePage : {CodePage::Utf8, CodePage::Windows1252}) {
        const QString url =
            FillTemplate(head + u'*' + middle + u'+' + tail, number, name, codePage);
        FUZZ_CHECK(url.startsWith(head) && url.endsWith(tail));
        const QStringView filled = QStringView(url).sliced(head.size()).chopped(tail.size());
        const qsizetype at = filled.indexOf(middle);
        FUZZ_CHECK(at >= 0 && filled.indexOf(middle, at + 1) < 0);
        const QStringView encodedNumber = filled.first(at);
        const QStringView encodedName = filled.sliced(at + middle.size());
        FUZZ_CHECK(safelyEncoded(encodedNumber) && safelyEncoded(encodedName));
        if (codePage == CodePage::Utf8) {
            FUZZ_CHECK(urlDecode(encodedNumber) == number.toUtf8());
            FUZZ_CHECK(urlDecode(encodedName) == name.toUtf8());
        }
    }
    return 0;
}
