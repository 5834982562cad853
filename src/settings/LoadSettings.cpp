#include "settings/LoadSettings.h"

#include "platform/IMainWindow.h"
#include "platform/ISettingsStore.h"
#include "settings/Globals.h"
#include "settings/SettingConversions.h"

using namespace SettingConversions;

void LoadSettings(Globals &g, ISettingsStore &store, IMainWindow &window)
{
    auto read = [&](const char *key, const char *defaultValue) {
        return store.ReadSetting(g.appName, g.sectionName, QString::fromLatin1(key),
                                 QString::fromLatin1(defaultValue));
    };

    g.cidKey = read("cidKey", "NMBR = ");
    g.cidnameKey = read("cidnameKey", "NAME = ");
    // An emptied Com Port box means "no modem", unlike the other numbers.
    const QString comPort = read("comPort", "2");
    g.comPort = comPort.isEmpty() ? qint16(0) : ToInt16(QStringLiteral("comPort"), comPort);
    g.yacPort = ToPort(QStringLiteral("yacPort"), read("yacPort", "10629"));
    g.initString = read("initString", "ATS0=0M0+VCID=1");
    g.modemSettings = read("modemSettings", "115200,N,8,1");
    g.newwin = ToBoolean(QStringLiteral("newwin"), read("newwin", "0"));
    g.Target = read("Target", "CallerID");
    g.URL = read("URL", "https://");
    g.startupURL = read("startupURL", "https://");
    g.AsteriskServer = read("AsteriskServer", "");
    g.AsteriskPort = ToPort(QStringLiteral("AsteriskPort"), read("AsteriskPort", "5038"));
    g.AsteriskManager = read("AsteriskManager", "Manager");
    g.AsteriskPassword = read("AsteriskPassword", "");
    g.AsteriskExtension = read("AsteriskExtension", "");
    g.startx = ToInt32(QStringLiteral("startx"), read("startx", "0"));
    g.starty = ToInt32(QStringLiteral("starty"), read("starty", "0"));
    g.startw = ToInt32(QStringLiteral("startw"), read("startw", "0"));
    g.starth = ToInt32(QStringLiteral("starth"), read("starth", "0"));

    // One value at a time, so a stored position with a zero size moves without resizing.
    if (g.startx != 0)
        window.SetLeftTwips(g.startx);
    if (g.starty != 0)
        window.SetTopTwips(g.starty);
    if (g.startw != 0)
        window.SetWidthTwips(g.startw);
    if (g.starth != 0)
        window.SetHeightTwips(g.starth);
}
