// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingConversions.h"

#include "base/Failure.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {

const QString kSource = QStringLiteral("Settings");

[[noreturn]] void fail(const QString &key, const QString &text, const QString &why)
{
    throw Failure(kSource, QStringLiteral("\"%1\" holds \"%2\", %3").arg(key, text, why));
}

qint64 toWholeNumber(const QString &key, const QString &text, qint64 min, qint64 max)
{
    static const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]+$"));
    const QString trimmed = text.trimmed();
    if (!wholeNumber.match(trimmed).hasMatch())
        fail(key, text, QStringLiteral("which is not a whole number"));
    bool ok = false;
    const qint64 value = trimmed.toLongLong(&ok, 10);
    if (!ok || value < min || value > max)
        fail(key, text, QStringLiteral("which is outside %1 to %2").arg(min).arg(max));
    return value;
}

} // namespace

namespace SettingConversions {

qint16 toInt16(const QString &key, const QString &text)
{
    return static_cast<qint16>(toWholeNumber(key, text, std::numeric_limits<qint16>::min(),
                                             std::numeric_limits<qint16>::max()));
}

qint32 toInt32(const QString &key, const QString &text)
{
    return static_cast<qint32>(toWholeNumber(key, text, std::numeric_limits<qint32>::min(),
                                             std::numeric_limits<qint32>::max()));
}

qint32 toPort(const QString &key, const QString &text)
{
    const qint32 port = toInt32(key, text);
    if (port < std::numeric_limits<qint16>::min() || port > 65535)
        fail(key, text, QStringLiteral("which is not a TCP port (1 to 65535, or 0 for off)"));
    return port;
}

bool toBoolean(const QString &key, const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        fail(key, text, QStringLiteral("which is not a number (0 is off, 1 is on)"));
    return value != 0.0;
}

} // namespace SettingConversions
