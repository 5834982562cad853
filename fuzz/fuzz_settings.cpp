// The settings conversions against a plain reading of decimal text: a whole number within
// the range converts to itself, anything else fails with a Failure, never anything worse.
#include "FuzzCheck.h"
#include "platform/Failure.h"
#include "settings/SettingConversions.h"

#include <charconv>
#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace SettingConversions;
    const QString text = QString::fromUtf8(fuzzBytes(data, size));
    // Blanks around, one optional sign, then ASCII digits only.
    const QByteArray plain = text.trimmed().toLatin1();
    const bool plus = plain.startsWith('+') && !plain.startsWith("+-");
    qint64 number = 0;
    const char *end = plain.constData() + plain.size();
    const auto read = std::from_chars(plain.constData() + plus, end, number);
    const bool whole = read.ptr == end && read.ec == std::errc() && !plain.isEmpty();
    const auto within = [&](qint64 low, qint64 high) {
        return whole && number >= low && number <= high ? std::optional(number) : std::nullopt;
    };
    const auto attempt = [&](auto convert) -> std::optional<qint64> {
        try {
            return convert(QStringLiteral("key"), text);
        } catch (const Failure &) {
            return std::nullopt;
        }
    };
    FUZZ_CHECK(attempt(ToInt16) == within(-32768, 32767) &&
               attempt(ToInt32) == within(INT32_MIN, INT32_MAX) &&
               attempt(ToPort) == within(-32768, 65535));
    if (const auto on = attempt(ToBoolean); within(INT32_MIN, INT32_MAX))
        FUZZ_CHECK(on == qint64(number != 0));
    return 0;
}
