// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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
};
