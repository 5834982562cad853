// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialer/DialerOpener.h"

#include "Version.h"
#include "dialer/IDialler.h"
#include "dialer/frmDialer.h"
#include "platform/IMainWindow.h"
#include "platform/IMessageBox.h"

#include <QLineEdit>

DialerOpener::DialerOpener(IMainWindow &window, IDialler &dialler, IMessageBox &box,
                           QObject *parent)
    : QObject(parent), m_window(window), m_dialler(dialler), m_box(box)
{}

DialerOpener::~DialerOpener() = default;

void DialerOpener::cmdDialer_Click()
{
    if (!m_frmDialer) {
        m_frmDialer = std::make_unique<frmDialer>();
        connect(m_frmDialer.get(), &frmDialer::numberConfirmed, this,
                [this](const QString &number) {
                    // The way to dial may have gone while the dialer was up: say so rather
                    // than keep the number for a line that may never come.
                    if (m_dialler.canDial())
                        m_dialler.dial(number);
                    else
                        tellNothingToDialWith();
                    m_window.showAndActivate();
                });
        connect(m_frmDialer.get(), &frmDialer::dismissed, this,
                [this] { m_window.showAndActivate(); });
    }
    m_window.hideWindow();
    m_frmDialer->showAndFocus();
}

void DialerOpener::dialFromPage(const QString &number)
{
    // As "&Dial" would: the user confirms the number, or there is nothing to dial with.
    if (!m_dialler.canDial()) {
        tellNothingToDialWith();
        return;
    }
    cmdDialer_Click();
    m_frmDialer->txtNumber()->setText(number);
}

// Without the number, which may be a page's text, not ours.
void DialerOpener::tellNothingToDialWith()
{
    m_box.message(QString::fromUtf8(Version::Title),
                  QStringLiteral("There is nothing to dial the number with: no modem is open, "
                                 "and dialling through the PBX needs a Desk Phone in the Options "
                                 "dialog and a logged-in Asterisk connection."));
}
