// Bytes from the wire become text without losing one: the text gives back exactly the bytes,
// as UTF-8 or, where they were not UTF-8, as Windows-1252.
#include "FuzzCheck.h"
#include "platform/WireText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes = fuzzBytes(data, size);
    const QString text = WireText::Decode(bytes);
    bool same = text.toUtf8() == bytes || text.size() == bytes.size();
    for (qsizetype i = 0; same && text.toUtf8() != bytes && i < text.size(); ++i)
        same = WireText::Windows1252Byte(text[i].unicode()) == static_cast<uchar>(bytes[i]);
    FUZZ_CHECK(same);
    return 0;
}
