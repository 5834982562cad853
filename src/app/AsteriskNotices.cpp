// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AsteriskNotices.h"

#include "Version.h"
#include "platform/IMainWindow.h"
#include "platform/IMessageBox.h"
#include "sources/AsteriskClient.h"
#include "sources/PbxDialler.h"

AsteriskNotices::AsteriskNotices(AsteriskClient &client, PbxDialler &dialler, IMainWindow &window,
                                 IMessageBox &box, QObject *parent)
    : QObject(parent), m_box(box)
{
    connect(&client, &AsteriskClient::linkDown, this,
            [&window](bool down) { window.setNetFailVisible(down); });
    // Queued: the modal box runs a nested event loop, which must not sit inside the client's
    // own data handler.
    connect(&client, &AsteriskClient::loginRefused, this, &AsteriskNotices::showRefusal,
            Qt::QueuedConnection);
    connect(
        &dialler, &PbxDialler::callFailed, this,
        [this](const QString &why) { m_box.message(QString::fromUtf8(Version::Title), why); },
        Qt::QueuedConnection);
}

// The same secret is refused again at every retry, while the box stands open; one box is
// enough to tell.
void AsteriskNotices::showRefusal()
{
    if (m_boxOpen)
        return;
    m_boxOpen = true;
    m_box.message(QString::fromUtf8(Version::Title),
                  QStringLiteral("Authentication Failed to Asterisk Server"));
    m_boxOpen = false;
}
