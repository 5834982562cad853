// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AsteriskNotices.h"

#include "Version.h"
#include "platform/IMainWindow.h"
#include "platform/IMessageBox.h"
#include "sources/AsteriskClient.h"
#include "sources/PbxDialer.h"

AsteriskNotices::AsteriskNotices(AsteriskClient &client, PbxDialer &dialer, IMainWindow &window,
                                 IMessageBox &box, QObject *parent)
    : QObject(parent), m_box(box)
{
    connect(&client, &AsteriskClient::linkDown, this,
            [&window](bool down) { window.setNetFailVisible(down); });
    // Queued: the modal box runs a nested event loop, which must not sit inside the client's
    // own data handler.
    connect(&client, &AsteriskClient::loginRefused, this, &AsteriskNotices::showRefusal,
            Qt::QueuedConnection);
    connect(&dialer, &PbxDialer::callFailed, this, &AsteriskNotices::show, Qt::QueuedConnection);
    connect(
        &client, &AsteriskClient::linkRefused, this,
        [this](const QString &reason) {
            show(QStringLiteral("Ringscout does not use the link to the PBX: %1.").arg(reason));
        },
        Qt::QueuedConnection);
    connect(
        &client, &AsteriskClient::loginNotSent, this,
        [this](const QString &setting) {
            show(QStringLiteral("Ringscout does not log in to the PBX: %1 in the Options dialog "
                                "holds a line break or another control character, which the PBX "
                                "would read as the end of its line. Type it again without one.")
                     .arg(setting));
        },
        Qt::QueuedConnection);
}

void AsteriskNotices::show(const QString &text)
{
    qCDebug(lcDial) << "box:" << text.left(400);
    m_box.message(QString::fromUtf8(Version::Title), text);
}

// The same secret is refused again at every retry, while the box stands open; one box is
// enough to tell.
void AsteriskNotices::showRefusal()
{
    if (m_boxOpen)
        return;
    m_boxOpen = true;
    show(QStringLiteral("Authentication Failed to Asterisk Server"));
    m_boxOpen = false;
}
