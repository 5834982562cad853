// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Call.h"

#include <QObject>
#include <QString>

// What dials a number for the Phone Dialer and a page's tel: link: it says whether it can
// dial now, and takes a number the user has confirmed.
class IDialer : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual bool canDial() const = 0;
    // What it is waiting for before it can dial, when it may be able to soon ("connecting to
    // the PBX"); "" when it can dial now or has no way to dial in sight.
    virtual QString settling() const = 0;
    // The number exactly as the user confirmed it; dialled as soon as the dialer can.
    virtual void dial(const QString &confirmedNumber) = 0;

signals:
    void availabilityChanged(bool canDial);
    // settling() may say something else now.
    void settlingChanged();
    // A call out was dialled, or refused before it could be (an end follows then): direction
    // Out, the way used as its source, not to pop.
    void callPlaced(const Call &call);
    // How a call placed ended, where the dialer knows it (a refusal); the PBX tells the rest.
    void placedCallEnded(const CallEnd &end);
};
