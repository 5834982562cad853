// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialer/DialerOpener.h"

#include "Version.h"
#include "dialer/IDialer.h"
#include "dialer/frmDialer.h"
#include "platform/IMainWindow.h"
#include "platform/IMessageBox.h"

#include <QLineEdit>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcDialWait, "ringscout.dial", QtWarningMsg)

// Enough for any phone number; a page's text may be longer.
constexpr qsizetype kShownNumber = 64;

} // namespace

DialerOpener::DialerOpener(IMainWindow &window, IDialer &dialer, IMessageBox &box, QObject *parent)
    : QObject(parent), m_window(window), m_dialer(dialer), m_box(box)
{
    m_wait.setSingleShot(true);
    m_wait.setInterval(kWaitMs);
    connect(&m_wait, &QTimer::timeout, this, [this] { settle(true); });
    connect(&m_dialer, &IDialer::availabilityChanged, this, [this] { settle(false); });
    connect(&m_dialer, &IDialer::settlingChanged, this, [this] { settle(false); });
}

DialerOpener::~DialerOpener() = default;

void DialerOpener::cmdDialer_Click()
{
    if (!m_frmDialer) {
        m_frmDialer = std::make_unique<frmDialer>();
        connect(m_frmDialer.get(), &frmDialer::numberConfirmed, this,
                [this](const QString &number) {
                    // The way to dial may have gone while the dialer was up: say so rather
                    // than keep the number for a line that may never come.
                    if (m_dialer.canDial())
                        m_dialer.dial(number);
                    else
                        tellNothingToDialWith(number);
                    m_window.showAndActivate();
                });
        connect(m_frmDialer.get(), &frmDialer::dismissed, this, [this] {
            // Left while a number waits: the user has let it go.
            m_wait.stop();
            putAway();
        });
    }
    m_window.hideWindow();
    m_frmDialer->showAndFocus();
}

void DialerOpener::dialFromPage(const QString &number)
{
    const bool waited = m_wait.isActive();
    if (waited) {
        m_wait.stop();
        qCInfo(lcDialWait) << "a newer tel: request takes the place of the waiting"
                           << m_frmDialer->txtNumber()->text().left(kShownNumber);
    }
    // As "&Dial" would: the user confirms the number, or there is nothing to dial with.
    const QString awaited = m_dialer.settling();
    if (!m_dialer.canDial() && awaited.isEmpty()) {
        if (waited)
            putAway();
        tellNothingToDialWith(number);
        return;
    }
    cmdDialer_Click();
    m_frmDialer->txtNumber()->setText(number);
    m_frmDialer->setWaiting(awaited);
    if (awaited.isEmpty())
        return;
    m_wait.start();
    qCInfo(lcDialWait).nospace() << "waiting up to " << m_wait.interval() << " ms ("
                                 << qUtf8Printable(awaited) << ") to dial "
                                 << number.left(kShownNumber);
}

void DialerOpener::settle(bool waitOver)
{
    if (!waitOver && !m_wait.isActive())
        return;
    const QString awaited = m_dialer.settling();
    if (!waitOver && !awaited.isEmpty()) {
        m_frmDialer->setWaiting(awaited);
        return;
    }
    m_wait.stop();
    if (m_dialer.canDial()) {
        m_frmDialer->setWaiting({});
        return;
    }
    const QString number = m_frmDialer->txtNumber()->text();
    qCInfo(lcDialWait) << "nothing to dial" << number.left(kShownNumber) << "with after waiting";
    putAway();
    tellNothingToDialWith(number, waitOver && !awaited.isEmpty()
                                      ? QStringLiteral("still %1 after %2 seconds")
                                            .arg(awaited)
                                            .arg(m_wait.interval() / 1000.0)
                                      : QString());
}

void DialerOpener::putAway()
{
    m_frmDialer->setWaiting({});
    m_frmDialer->hide();
    m_window.showAndActivate();
}

void DialerOpener::tellNothingToDialWith(const QString &number, const QString &why)
{
    const QString named = number.isEmpty() ? QStringLiteral("the number")
                          : number.size() > kShownNumber
                              ? QStringLiteral("\"%1…\"").arg(number.left(kShownNumber))
                              : QStringLiteral("\"%1\"").arg(number);
    m_box.message(QString::fromUtf8(Version::Title),
                  QStringLiteral("There is nothing to dial %1 with: ").arg(named) +
                      (why.isEmpty() ? QStringLiteral("no modem is open, and dialling through "
                                                      "the PBX needs a Desk Phone in the Options "
                                                      "dialog and a logged-in Asterisk connection.")
                                     : why + QStringLiteral(". Try again in a moment.")));
}
