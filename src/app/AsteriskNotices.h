// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class AsteriskClient;
class IMainWindow;
class IMessageBox;

// Shows what the Asterisk client reports on the main window: the network mark while the
// link is down, and a box for a refused login, one at a time.
class AsteriskNotices : public QObject
{
    Q_OBJECT

public:
    AsteriskNotices(AsteriskClient &client, IMainWindow &window, IMessageBox &box,
                    QObject *parent = nullptr);

private:
    void showRefusal();

    IMessageBox &m_box;
    bool m_boxOpen = false;
};
