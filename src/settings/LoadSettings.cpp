#include "settings/LoadSettings.h"

#include "platform/IMainWindow.h"
#include "platform/ISettingsStore.h"
#include "settings/Globals.h"
#include "settings/SettingConversions.h"

#include <QHash>

using namespace SettingConversions;

QString SettingDefault(const QString &key)
{
    static const QHash<QString, QString> defaults{
        {QStringLiteral("cidKey"), QStringLiteral("NMBR = ")},
        {QStringLiteral("cidnameKey"), QStringLiteral("NAME = ")},
        {QStringLiteral("comPort"), QStringLiteral("2")},
        {QStringLiteral("yacPort"), QStringLiteral("10629")},
        {QStringLiteral("initString"), QStringLiteral("ATS0=0M0+VCID=1")},
        {QStringLiteral("modemSettings"), QStringLiteral("115200,N,8,1")},
        {QStringLiteral("newwin"), QStringLiteral("0")},
        {QStringLiteral("Target"), QStringLiteral("CallerID")},
        {QStringLiteral("URL"), QStringLiteral("https://")},
        {QStringLiteral("startupURL"), QStringLiteral("https://")},
        {QStringLiteral("AsteriskPort"), QStringLiteral("5038")},
        {QStringLiteral("AsteriskManager"), QStringLiteral("Manager")},
        {QStringLiteral("startx"), QStringLiteral("0")},
        {QStringLiteral("starty"), QStringLiteral("0")},
        {QStringLiteral("startw"), QStringLiteral("0")},
        {QStringLiteral("starth"), QStringLiteral("0")},
    };
    // AsteriskServer, AsteriskPassword and AsteriskExtension default to empty text.
    return defaults.value(key);
}

void LoadSettings(Globals &g, ISettingsStore &store, IMainWindow &window)
{
    auto read = [&](const char *key) {
        const QString name = QString::fromLatin1(key);
        return store.ReadSetting(g.appName, g.sectionName, name, SettingDefault(name));
    };

    g.cidKey = read("cidKey");
    g.cidnameKey = read("cidnameKey");
    // An emptied Com Port box means "no modem", unlike the other numbers.
    const QString comPort = read("comPort");
    g.comPort = comPort.isEmpty() ? qint16(0) : ToInt16(QStringLiteral("comPort"), comPort);
    g.yacPort = ToInt16(QStringLiteral("yacPort"), read("yacPort"));
    g.initString = read("initString");
    g.modemSettings = read("modemSettings");
    g.newwin = ToBoolean(QStringLiteral("newwin"), read("newwin"));
    g.Target = read("Target");
    g.URL = read("URL");
    g.startupURL = read("startupURL");
    g.AsteriskServer = read("AsteriskServer");
    g.AsteriskPort = ToInt16(QStringLiteral("AsteriskPort"), read("AsteriskPort"));
    g.AsteriskManager = read("AsteriskManager");
    g.AsteriskPassword = read("AsteriskPassword");
    g.AsteriskExtension = read("AsteriskExtension");
    g.startx = ToInt32(QStringLiteral("startx"), read("startx"));
    g.starty = ToInt32(QStringLiteral("starty"), read("starty"));
    g.startw = ToInt32(QStringLiteral("startw"), read("startw"));
    g.starth = ToInt32(QStringLiteral("starth"), read("starth"));

    window.SetGeometryTwips(g.startx, g.starty, g.startw, g.starth);
}
