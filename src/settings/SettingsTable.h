// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ISettingsStore.h"

#include <QString>

#include <array>

struct Settings;

// Every stored setting once: its key, its default text, and how its text goes into the
// settings record and comes back out. LoadSettings reads the rows in this order.
namespace SettingsTable {

struct Row
{
    const char *key;
    const char *defaultText;
    // Converts the stored text of `key` into the record's field; throws Failure when it does
    // not convert, leaving the field as it was.
    void (*load)(Settings &settings, const QString &key, const QString &text);
    // The field as text, as the Options dialog shows it.
    QString (*text)(const Settings &settings);
};

const std::array<Row, 31> &rows();
// The row of `key`; nullptr when there is none.
const Row *find(const QString &key);

// The keys the Options dialog shows and writes, in its order.
inline constexpr std::array<const char *, 23> kOptionsKeys{
    "comPort",         "yacPort",          "cidKey",
    "cidnameKey",      "initString",       "modemSettings",
    "newwin",          "Target",           "URL",
    "startupURL",      "AsteriskServer",   "AsteriskPort",
    "AsteriskManager", "AsteriskPassword", "AsteriskExtension",
    "AsteriskChannel", "AsteriskContext",  "StartWithSession",
    "AsteriskTLS",     "CallList",         "CallListMax",
    "CallListDays",    "Notifications"};

// The main window's outer left, top, width and height in twips, written at Quit.
inline constexpr std::array<const char *, 4> kGeometryKeys{"startx", "starty", "startw", "starth"};
ISettingsStore::KeyValues geometryValues(int left, int top, int width, int height);

} // namespace SettingsTable
