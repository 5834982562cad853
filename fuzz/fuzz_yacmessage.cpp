// The YAC message: a call is exactly "@CALL", the name, "~", the number, with no "~" in the
// name; only the first message of a connection counts.
#include "FuzzCheck.h"
#include "platform/WireText.h"
#include "sources/YacMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = WireText::Decode(fuzzBytes(data, size));
    const QString first = YacMessage::FirstMessage(text);
    FUZZ_CHECK(text.startsWith(first));
    FUZZ_CHECK(first.indexOf(QStringLiteral("@CALL"), 1) < 0);
    if (const auto call = YacMessage::Parse(first)) {
        FUZZ_CHECK(QStringLiteral("@CALL") + call->name + u'~' + call->number == first);
        FUZZ_CHECK(!call->name.contains(u'~'));
    } else {
        FUZZ_CHECK(!first.startsWith(QStringLiteral("@CALL")) || first.indexOf(u'~', 5) < 0);
    }
    return 0;
}
