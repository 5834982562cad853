// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Call.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// Follows the calls this desk recognised or placed until the PBX's events say how each ended:
// answered here, not answered, given up by the caller, answered elsewhere, busy or failed.
class CallTracker
{
public:
    // A dial recognised: its Uniqueid is the calling channel's, its DestUniqueid the desk's.
    void popped(QByteArrayView dial);
    // An Originate sent with this ActionID.
    void placing(const QByteArray &actionId);
    // The PBX rang the desk phone for the Originate with this ActionID: the call's ID.
    void deskRang(QByteArrayView actionId, const QString &deskLeg);
    // A believed answer to an action; the end of a placed call the PBX could not place.
    std::optional<CallEnd> answered(QByteArrayView actionId, QByteArrayView message);
    // Any message; the end of a call it tells of.
    std::optional<CallEnd> event(QByteArrayView message);
    bool idle() const { return m_calls.isEmpty(); }

private:
    struct Tracked
    {
        // The calling channel's Uniqueid; for a call we placed, the desk phone's.
        QString id;
        // The desk phone's channel, when the call rang it: its own dial's end counts only.
        QString deskLeg;
        // A placed call until its OriginateResponse.
        QByteArray actionId;
        // Dial ended in CANCEL: the desk phone's Hangup cause says why.
        bool cancelled = false;
        // A placed call is told by its Originate's ActionID, the only ID known when it was
        // dialled.
        QByteArray placedAs;
    };
    void track(Tracked call);
    std::optional<CallEnd> dialEnded(const QString &id, const QString &deskLeg,
                                     QByteArrayView status);
    std::optional<CallEnd> hungUp(const QString &leg, QByteArrayView cause);
    CallEnd end(qsizetype index, CallOutcome outcome, const QString &detail);

    QList<Tracked> m_calls;
};
