// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialer/IDialer.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QLoggingCategory>
#include <QString>
#include <QTimer>

#include <optional>

struct Settings;
class AsteriskClient;

// "ringscout.dial": each Originate, each answer and outcome, and each box of the PBX way.
Q_DECLARE_LOGGING_CATEGORY(lcDial)

// Dials through the PBX on the manager connection ("click-to-dial"): the desk phone of
// AsteriskChannel rings, and once it is picked up the PBX dials the number in
// AsteriskContext. Says in words a user understands why a call could not be placed.
class PbxDialer : public IDialer
{
    Q_OBJECT

public:
    // How long the desk phone rings before the PBX gives up, in milliseconds.
    static constexpr int kRingTimeoutMs = 30000;

    // `settings` is read at each use.
    PbxDialer(const Settings &settings, AsteriskClient &client, QObject *parent = nullptr);

    // A desk phone is set and the manager connection is logged in.
    bool canDial() const override;
    // A desk phone is set and the manager connection is being made or made again.
    QString settling() const override;
    // One Originate action for the number; nothing is sent for text that is no number.
    void dial(const QString &confirmedNumber) override;

    // The number to dial: "+1 (555) 010-0100" gives "+15550100100", with blanks, "-", ".",
    // "(" and ")" left out. What remains must be digits, "*" and "#", with an optional "+" in
    // front; anything else gives nothing.
    static std::optional<QString> dialable(const QString &typed);

signals:
    // "The call to 5550100 could not be placed: the desk phone PJSIP/101 is busy."
    void callFailed(const QString &why);

private:
    struct Call
    {
        QByteArray actionId;
        QString number;
        QString channel;
        QString context;
        // When its answer is overdue; for a failure held back, when it is told.
        QDeadlineTimer due;
        // Why the desk phone could not be rung, held back until `due` in case the link drops.
        QString heldBack;
    };

    void refresh();
    void answered(const QByteArray &actionId, const QByteArray &message);
    void overdue();
    void rearm();
    ::Call placedCall(const QString &id, const QString &number) const;
    void fail(const QByteArray &actionId, const QString &number, const QString &box);

    const Settings &m_settings;
    AsteriskClient &m_client;
    // Sent, and waiting for the PBX's word on them.
    QList<Call> m_calls;
    QTimer m_due;
    bool m_canDial = false;
    bool m_loggedIn = false;
    // The PBX said "Permission denied" to an Originate since the last login.
    bool m_originateRefused = false;
    bool m_connecting = false;
};
