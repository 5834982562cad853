// The settings conversions against a plain reading of decimal text: a whole number within
// the range converts to itself, anything else fails with a Failure, never anything worse.
#include "FuzzCheck.h"
#include "platform/Failure.h"
#include "settings/SettingConversions.h"

#include <QRegularExpression>

#include <charconv>
#include <functional>
#include <optional>

namespace {

std::optional<qint64> plainWholeNumber(const QString &text)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
    const QString trimmed = text.trimmed();
    if (!decimal.match(trimmed).hasMatch())
        return std::nullopt;
    const QByteArray digits = trimmed.toLatin1();
    const char *begin = digits.constData() + (digits.startsWith('+') ? 1 : 0);
    qint64 value = 0;
    const auto [end, error] = std::from_chars(begin, digits.constData() + digits.size(), value);
    if (error != std::errc() || end != digits.constData() + digits.size())
        return std::nullopt;
    return value;
}

std::optional<qint64> attempt(const std::function<qint64()> &convert)
{
    try {
        return convert();
    } catch (const Failure &) {
        return std::nullopt;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace SettingConversions;
    const QString text = QString::fromUtf8(fuzzBytes(data, size));
    const QString key = QStringLiteral("key");
    const auto plain = plainWholeNumber(text);
    const auto within = [&](qint64 low, qint64 high) -> std::optional<qint64> {
        return plain && *plain >= low && *plain <= high ? plain : std::nullopt;
    };
    FUZZ_CHECK(attempt([&] { return ToInt16(key, text); }) == within(-32768, 32767));
    FUZZ_CHECK(attempt([&] { return ToInt32(key, text); }) == within(INT32_MIN, INT32_MAX));
    FUZZ_CHECK(attempt([&] { return ToPort(key, text); }) == within(-32768, 65535));
    const auto on = attempt([&] { return qint64(ToBoolean(key, text)); });
    if (const auto number = within(INT32_MIN, INT32_MAX))
        FUZZ_CHECK(on == qint64(*number != 0));
    return 0;
}
