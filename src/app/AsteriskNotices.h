// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class AsteriskClient;
class IMainWindow;
class IMessageBox;
class PbxDialer;

// Shows what the Asterisk client reports on the main window: the network mark while the
// link is down, a box for a refused login, one at a time, one for a login that cannot be sent,
// one for a link that cannot be used as set up (an untrusted certificate), and one for each
// call the PBX could not place.
class AsteriskNotices : public QObject
{
    Q_OBJECT

public:
    AsteriskNotices(AsteriskClient &client, PbxDialer &dialer, IMainWindow &window,
                    IMessageBox &box, QObject *parent = nullptr);

private:
    void showRefusal();
    // Each box of the PBX way, also under --verbose.
    void show(const QString &text);

    IMessageBox &m_box;
    bool m_boxOpen = false;
};
