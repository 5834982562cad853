// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialer/IDialler.h"

// The program's dialler when there are two ways to dial: the first that can dial now takes
// the number. Given the PBX first, the desk phone is used whenever it can be, the modem
// otherwise.
class DiallerChoice : public IDialler
{
    Q_OBJECT

public:
    DiallerChoice(IDialler &first, IDialler &second, QObject *parent = nullptr);

    bool canDial() const override { return m_first.canDial() || m_second.canDial(); }
    // The first's wait, else the second's.
    QString settling() const override;
    // When neither can dial, the second keeps the number: the modem dials it once its port
    // is open again.
    void dial(const QString &confirmedNumber) override;

private:
    void refresh();

    IDialler &m_first;
    IDialler &m_second;
    bool m_canDial;
};
