// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialer/IDialer.h"

// The program's dialer when there are two ways to dial: the first that can dial now takes
// the number. Given the PBX first, the desk phone is used whenever it can be, the modem
// otherwise.
class DialerChoice : public IDialer
{
    Q_OBJECT

public:
    DialerChoice(IDialer &first, IDialer &second, QObject *parent = nullptr);

    bool canDial() const override { return m_first.canDial() || m_second.canDial(); }
    // The first's wait, else the second's.
    QString settling() const override;
    // When neither can dial, the second keeps the number: the modem dials it once its port
    // is open again.
    void dial(const QString &confirmedNumber) override;

private:
    void refresh();

    IDialer &m_first;
    IDialer &m_second;
    bool m_canDial;
};
