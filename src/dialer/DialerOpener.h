// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>

#include <memory>

class IDialer;
class IMainWindow;
class IMessageBox;
class frmDialer;

// Keeps the one Phone Dialer: made on first use, then only hidden and shown. The main window
// goes while the dialer is up and comes back when it is left; a confirmed number goes to the
// dialer. A page's tel: link opens it the same way, and one that comes while the way to dial
// is still being made waits for it.
class DialerOpener : public QObject
{
    Q_OBJECT

public:
    // How long a tel: link waits for the PBX's login or the modem's port.
    static constexpr int kWaitMs = 10000;

    DialerOpener(IMainWindow &window, IDialer &dialer, IMessageBox &box, QObject *parent = nullptr);
    ~DialerOpener() override;

    void setWaitTime(int milliseconds) { m_wait.setInterval(milliseconds); }

    // "&Dial": hides the main window and shows the dialer with the focus in its number field.
    void cmdDialer_Click();
    // A tel: link: the dialer with the number, for the user to confirm, or a message when
    // there is nothing to dial with. While the dialer is settling, the dialer shows the
    // number with OK held back until it can dial; one number waits at a time, the newest.
    void dialFromPage(const QString &number);

    frmDialer *dialer() const { return m_frmDialer.get(); }

private:
    // The waiting number's turn: the dialer can dial, cannot, or the wait is over.
    void settle(bool waitOver);
    // Hides the dialer and brings the main window back.
    void putAway();
    void tellNothingToDialWith(const QString &number, const QString &why = {});

    IMainWindow &m_window;
    IDialer &m_dialer;
    IMessageBox &m_box;
    std::unique_ptr<frmDialer> m_frmDialer;
    // Runs while a number waits.
    QTimer m_wait;
};
