// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <memory>

class IDialler;
class IMainWindow;
class IMessageBox;
class frmDialer;

// Keeps the one Phone Dialer: made on first use, then only hidden and shown. The main window
// goes while the dialer is up and comes back when it is left; a confirmed number goes to the
// dialler. A page's tel: link opens it the same way.
class DialerOpener : public QObject
{
    Q_OBJECT

public:
    DialerOpener(IMainWindow &window, IDialler &dialler, IMessageBox &box,
                 QObject *parent = nullptr);
    ~DialerOpener() override;

    // "&Dial": hides the main window and shows the dialer with the focus in its number field.
    void cmdDialer_Click();
    // A tel: link: the dialer with the number, for the user to confirm, or a message when
    // there is nothing to dial with.
    void dialFromPage(const QString &number);

    frmDialer *dialer() const { return m_frmDialer.get(); }

private:
    void tellNothingToDialWith();

    IMainWindow &m_window;
    IDialler &m_dialler;
    IMessageBox &m_box;
    std::unique_ptr<frmDialer> m_frmDialer;
};
