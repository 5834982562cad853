// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsTable.h"

#include "base/Failure.h"
#include "settings/SettingConversions.h"
#include "settings/Settings.h"

using namespace SettingConversions;

namespace {

QString asText(const QString &, const QString &text)
{
    return text;
}

// An emptied Com Port box means "no modem", unlike the other numbers.
qint16 comPortNumber(const QString &key, const QString &text)
{
    return text.isEmpty() ? qint16(0) : toInt16(key, text);
}

// A count of calls or days: none or fewer would keep nothing, or forever.
qint32 positiveNumber(const QString &key, const QString &text)
{
    const qint32 value = toInt32(key, text);
    if (value <= 0)
        throw Failure(QStringLiteral("Settings"),
                      QStringLiteral("\"%1\" holds \"%2\", which is not a whole number above 0")
                          .arg(key, text));
    return value;
}

QString toText(const QString &value)
{
    return value;
}

QString toText(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

template <typename Number> QString toText(Number value)
{
    return QString::number(value);
}

// A row for a field named after its key.
template <auto Field, auto Convert>
constexpr SettingsTable::Row row(const char *key, const char *defaultText)
{
    return {key, defaultText,
            [](Settings &settings, const QString &key, const QString &text) {
                settings.*Field = Convert(key, text);
            },
            [](const Settings &settings) { return toText(settings.*Field); }};
}

// In the order LoadSettings reads them.
const std::array<SettingsTable::Row, 31> kRows{
    row<&Settings::cidKey, asText>("cidKey", "NMBR = "),
    row<&Settings::cidnameKey, asText>("cidnameKey", "NAME = "),
    row<&Settings::comPort, comPortNumber>("comPort", "2"),
    row<&Settings::yacPort, toPort>("yacPort", "10629"),
    row<&Settings::initString, asText>("initString", "ATS0=0M0+VCID=1"),
    row<&Settings::modemSettings, asText>("modemSettings", "115200,N,8,1"),
    row<&Settings::newwin, toBoolean>("newwin", "0"),
    row<&Settings::Target, asText>("Target", "CallerID"),
    row<&Settings::URL, asText>("URL", "https://"),
    row<&Settings::startupURL, asText>("startupURL", "https://"),
    row<&Settings::AsteriskServer, asText>("AsteriskServer", ""),
    row<&Settings::AsteriskPort, toPort>("AsteriskPort", "5038"),
    row<&Settings::AsteriskManager, asText>("AsteriskManager", "Manager"),
    row<&Settings::AsteriskPassword, asText>("AsteriskPassword", ""),
    row<&Settings::AsteriskExtension, asText>("AsteriskExtension", ""),
    row<&Settings::startx, toInt32>("startx", "0"),
    row<&Settings::starty, toInt32>("starty", "0"),
    row<&Settings::startw, toInt32>("startw", "0"),
    row<&Settings::starth, toInt32>("starth", "0"),
    row<&Settings::AsteriskChannel, asText>("AsteriskChannel", ""),
    row<&Settings::AsteriskContext, asText>("AsteriskContext", "from-internal"),
    row<&Settings::StartWithSession, toBoolean>("StartWithSession", "0"),
    row<&Settings::AsteriskTLS, toBoolean>("AsteriskTLS", "0"),
    row<&Settings::AsteriskCertSha256, asText>("AsteriskCertSha256", ""),
    row<&Settings::AsteriskPlainLogin, toBoolean>("AsteriskPlainLogin", "1"),
    row<&Settings::yacAllow, asText>("yacAllow", ""),
    row<&Settings::yacBind, asText>("yacBind", ""),
    row<&Settings::CallList, toBoolean>("CallList", "1"),
    row<&Settings::CallListMax, positiveNumber>("CallListMax", "10000"),
    row<&Settings::CallListDays, positiveNumber>("CallListDays", "365"),
    row<&Settings::Notifications, toBoolean>("Notifications", "1"),
};

} // namespace

namespace SettingsTable {

const std::array<Row, 31> &rows()
{
    return kRows;
}

const Row *find(const QString &key)
{
    for (const Row &row : kRows) {
        if (key == QLatin1String(row.key))
            return &row;
    }
    return nullptr;
}

ISettingsStore::KeyValues geometryValues(int left, int top, int width, int height)
{
    const int values[] = {left, top, width, height};
    ISettingsStore::KeyValues pairs;
    for (std::size_t i = 0; i < kGeometryKeys.size(); ++i)
        pairs.append({QString::fromLatin1(kGeometryKeys[i]), QString::number(values[i])});
    return pairs;
}

} // namespace SettingsTable
