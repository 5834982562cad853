// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <QUuid>

// One call as a source recognised it: the caller's number and name exactly as the source cut
// them, and what the source knows besides. Made once by the source, then only read.
struct Call
{
    enum class Source { Modem, Yac, Asterisk };
    enum class Direction { In, Out };

    // Unique for the run; the source's own where it has one (Asterisk: the calling channel's
    // Uniqueid, "1733650000.42"), so that what becomes of the call can be told against it.
    QString id;
    Source source = Source::Modem;
    Direction direction = Direction::In;
    QDateTime recognised;
    QString number;
    QString name;
    // Where it came from: "Serial port 3", the YAC server's address "192.0.2.7", the PBX
    // "pbx.example:5038".
    QString origin;
    // Asterisk only: the calling channel, the destination channel (the desk it rang) and the
    // channels' call IDs.
    QString channel;
    QString destination;
    QString uniqueid;
    QString linkedid;
    // False for a call the source recognised but does not pop (the other dials of one read
    // from the PBX): it is still recorded.
    bool pops = true;

    // A call of this number and name as the source cut them; the source fills in the rest.
    static Call of(QString number, QString name)
    {
        Call call;
        call.number = std::move(number);
        call.name = std::move(name);
        return call;
    }

    // What each source adds to the number and name it cut, at the moment it hands the call
    // on: a fresh id where it set none of its own, never the same twice.
    void recognisedBy(Source by, const QString &where)
    {
        if (id.isEmpty())
            id = QUuid::createUuid().toString(QUuid::WithoutBraces);
        source = by;
        origin = where;
        recognised = QDateTime::currentDateTimeUtc();
    }
};

// What became of a call after it was recognised or placed; only the Asterisk client knows.
enum class CallOutcome {
    AnsweredHere,      // DialEnd ANSWER at this desk
    NotAnswered,       // DialEnd NOANSWER: a missed call
    CallerGaveUp,      // DialEnd CANCEL, the caller hung up (Hangup cause 16)
    AnsweredElsewhere, // DialEnd CANCEL, answered by another phone (Hangup cause 26)
    Busy,              // DialEnd BUSY, CONGESTION or CHANUNAVAIL
    Failed,            // a call we placed that the PBX could not place
};

// How a call ended, for the call whose Call::id it names.
struct CallEnd
{
    QString id;
    CallOutcome outcome = CallOutcome::NotAnswered;
    QDateTime at;
    // The PBX's own word where it has one ("NOANSWER", "Reason: 5"), for the log.
    QString detail;
};
