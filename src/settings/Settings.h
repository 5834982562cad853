// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

// The settings record: every stored setting, named after its key.
// One instance lives for the whole run; every field starts as zero, off or empty, the
// defaults come only from LoadSettings, and nothing else writes it.
struct Settings
{
    qint16 comPort = 0;
    qint32 yacPort = 0;
    QString modemSettings;
    QString initString;
    QString cidKey;
    QString cidnameKey;
    QString URL;
    QString startupURL;
    QString Target;
    bool newwin = false;
    QString AsteriskServer;
    qint32 AsteriskPort = 0;
    QString AsteriskManager;
    QString AsteriskPassword;
    QString AsteriskExtension;
    qint32 startx = 0;
    qint32 starty = 0;
    qint32 startw = 0;
    qint32 starth = 0;
    // Dialling through the PBX: the desk phone's channel ("PJSIP/101"; empty: not at all)
    // and the dialplan context the number is dialled in.
    QString AsteriskChannel;
    QString AsteriskContext;
    bool StartWithSession = false; // an autostart entry starts the program at log-in
    // The link to the PBX: TLS, the trusted certificate's SHA-256 fingerprint (hex, colons
    // allowed) and whether the plain login may follow a refused MD5 challenge.
    bool AsteriskTLS = false;
    QString AsteriskCertSha256;
    bool AsteriskPlainLogin = false;
    // The addresses and networks allowed to send YAC calls ("" anyone) and the one address
    // the listener binds to ("" every interface).
    QString yacAllow;
    QString yacBind;
    // The call list: kept or not, at most this many calls, none older than this many days.
    bool CallList = false;
    qint32 CallListMax = 0;
    qint32 CallListDays = 0;
    bool Notifications = false; // desktop notifications of missed and unseen calls
};
