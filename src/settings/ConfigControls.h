// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/ControlTable.h"

#include <QString>

#include <array>

// The text box that shows a setting: named after its key, the Asterisk ones as
// "txtA" and the rest ("AsteriskPort" in txtAPort).
inline QString configControlName(const char *key)
{
    QString name = QString::fromLatin1(key);
    if (name == QLatin1String("AsteriskTLS"))
        return QStringLiteral("chkATLS");
    if (name.startsWith(QLatin1String("Asterisk")))
        return QStringLiteral("txtA") + name.mid(8);
    return name;
}

// The Options dialog's controls in twips, one row per control; controls inside a frame are
// placed relative to the frame. Every field label ends 105 twips left of its field.
inline constexpr std::array<ControlSpec, 55> kConfigControls{{
    {"Picture1", ControlKind::Picture, ":/ringscout/logo.png", 120, 120, 1815, 975},
    {"Line1", ControlKind::HorizontalRule, nullptr, 120, 1200, 7080, 0},

    {"Frame1", ControlKind::Frame, "Asterisk Call Notification", 120, 1320, 7215, 1575},
    {"Label10", ControlKind::Label, "Asterisk Manager", 120, 360, 1695, 255, -1, "Frame1",
     Bold | AlignRight, "txtAManager"},
    {"txtAManager", ControlKind::TextBox, nullptr, 1920, 360, 1455, 285, 1, "Frame1"},
    {"Label12", ControlKind::Label, "Asterisk Server", 3960, 360, 1335, 255, -1, "Frame1",
     Bold | AlignRight, "txtAServer"},
    {"txtAServer", ControlKind::TextBox, nullptr, 5400, 360, 1695, 285, 3, "Frame1"},
    {"Label11", ControlKind::Label, "Password", 480, 720, 1335, 255, -1, "Frame1",
     Bold | AlignRight, "txtAPassword"},
    {"txtAPassword", ControlKind::TextBox, nullptr, 1920, 720, 1455, 285, 2, "Frame1"},
    {"Label13", ControlKind::Label, "API Port", 3960, 720, 1335, 255, -1, "Frame1",
     Bold | AlignRight, "txtAPort"},
    {"txtAPort", ControlKind::TextBox, nullptr, 5400, 720, 975, 285, 0, "Frame1"},
    {"Label14", ControlKind::Label, "Extensions (Comma Separated)", 2640, 1080, 2655, 255, -1,
     "Frame1", Bold | AlignRight, "txtAExtension"},
    {"txtAExtension", ControlKind::TextBox, nullptr, 5400, 1080, 1695, 285, 4, "Frame1"},

    {"Frame2", ControlKind::Frame, "YAC Call Notification", 120, 3000, 7215, 855},
    {"Label9", ControlKind::Label, "YACC Port", 240, 360, 1575, 255, -1, "Frame2",
     Bold | AlignRight, "yacPort"},
    {"yacPort", ControlKind::TextBox, nullptr, 1920, 360, 975, 285, 5, "Frame2"},

    {"Frame3", ControlKind::Frame, "Modem Call Notification && Dialer Settings", 120, 3960, 7215,
     1575},
    {"Label2", ControlKind::Label, "Modem Settings", 240, 360, 1575, 255, -1, "Frame3",
     Bold | AlignRight, "modemSettings"},
    {"modemSettings", ControlKind::TextBox, nullptr, 1920, 360, 2415, 285, 6, "Frame3"},
    {"Label1", ControlKind::Label, "Com Port", 4800, 360, 1095, 255, -1, "Frame3",
     Bold | AlignRight, "comPort"},
    {"comPort", ControlKind::TextBox, nullptr, 6000, 360, 975, 285, 7, "Frame3"},
    {"Label3", ControlKind::Label, "CallerID Init String", 240, 720, 1575, 255, -1, "Frame3",
     Bold | AlignRight, "initString"},
    {"initString", ControlKind::TextBox, nullptr, 1920, 720, 5055, 285, 8, "Frame3"},
    {"Label4", ControlKind::Label, "CallerID Key", 240, 1080, 1575, 255, -1, "Frame3",
     Bold | AlignRight, "cidKey"},
    {"cidKey", ControlKind::TextBox, nullptr, 1920, 1080, 1815, 285, 9, "Frame3"},
    {"Label15", ControlKind::Label, "Name Key", 3480, 1080, 1575, 255, -1, "Frame3",
     Bold | AlignRight, "cidnameKey"},
    {"cidnameKey", ControlKind::TextBox, nullptr, 5160, 1080, 1815, 285, 10, "Frame3"},

    {"Frame4", ControlKind::Frame, "Browser Ringscout Options", 120, 5640, 7215, 2295},
    {"Label5", ControlKind::Label, "Search URL", 360, 360, 1215, 255, -1, "Frame4",
     Bold | AlignRight, "URL"},
    {"URL", ControlKind::TextBox, nullptr, 1680, 360, 5295, 285, 11, "Frame4"},
    // Regular weight; ends under the right edge of the URL box.
    {"Label16", ControlKind::Label,
     "Search Format: * - Caller ID, + - Caller Name (ex. http://crm/search.htm?phone=*&&name=+)",
     120, 720, 6855, 255, -1, "Frame4", AlignRight},
    {"Label8", ControlKind::Label, "Startup URL", 360, 1080, 1215, 255, -1, "Frame4",
     Bold | AlignRight, "startupURL"},
    {"startupURL", ControlKind::TextBox, nullptr, 1680, 1080, 5295, 285, 12, "Frame4"},
    {"Label6", ControlKind::Label, "Browser Target", 0, 1440, 1575, 255, -1, "Frame4",
     Bold | AlignRight, "Target"},
    {"Target", ControlKind::TextBox, nullptr, 1680, 1440, 2655, 285, 13, "Frame4"},
    {"Label7", ControlKind::Label, "Web Link", 240, 1800, 1335, 255, -1, "Frame4",
     Bold | AlignRight, "newwin"},
    {"newwin", ControlKind::ChoiceList, "Pop-up\nBrowser Link!", 1680, 1800, 1695, 315, 14,
     "Frame4"},

    {"cmdOK", ControlKind::Button, "&OK", 5040, 8040, 1095, 375, 15},
    {"cmdCancel", ControlKind::Button, "&Cancel", 6240, 8040, 1095, 375, 16},

    // Below the buttons, so that every control above keeps its place and its tab position.
    {"Frame5", ControlKind::Frame, "Dial Through the PBX", 120, 8520, 4815, 1215},
    {"Label17", ControlKind::Label, "Desk Phone", 240, 360, 1575, 255, -1, "Frame5",
     Bold | AlignRight, "txtAChannel"},
    {"txtAChannel", ControlKind::TextBox, nullptr, 1920, 360, 2655, 285, 17, "Frame5"},
    {"Label18", ControlKind::Label, "Dial Context", 240, 720, 1575, 255, -1, "Frame5",
     Bold | AlignRight, "txtAContext"},
    {"txtAContext", ControlKind::TextBox, nullptr, 1920, 720, 2655, 285, 18, "Frame5"},
    {"Frame6", ControlKind::Frame, "Desktop Session", 5040, 8520, 2295, 1215},
    {"StartWithSession", ControlKind::CheckBox, "Start with the session", 120, 360, 2055, 285, 19,
     "Frame6"},
    {"Frame7", ControlKind::Frame, "The Link to the PBX", 120, 9840, 4815, 615},
    {"chkATLS", ControlKind::CheckBox, "Use TLS", 240, 240, 2055, 285, 20, "Frame7"},

    // Below the link's frame; tab positions from 25 on.
    {"Frame8", ControlKind::Frame, "Call List && Notifications", 120, 10560, 7215, 1215},
    {"CallList", ControlKind::CheckBox, "Keep a list of calls", 120, 360, 2535, 285, 25, "Frame8"},
    {"Label25", ControlKind::Label, "Calls Kept", 2760, 360, 1095, 255, -1, "Frame8",
     Bold | AlignRight, "CallListMax"},
    {"CallListMax", ControlKind::TextBox, nullptr, 3960, 360, 975, 285, 26, "Frame8"},
    {"Label26", ControlKind::Label, "Days Kept", 2760, 720, 1095, 255, -1, "Frame8",
     Bold | AlignRight, "CallListDays"},
    {"CallListDays", ControlKind::TextBox, nullptr, 3960, 720, 975, 285, 27, "Frame8"},
    {"Notifications", ControlKind::CheckBox, "Desktop notifications", 120, 720, 2535, 285, 28,
     "Frame8"},
}};

// The dialog's client area.
inline constexpr int kConfigClientWidth = 7530;
inline constexpr int kConfigClientHeight = 11895;
