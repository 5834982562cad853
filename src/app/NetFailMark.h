// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// The red network-failure mark of the main window's top-left corner: the Webdings "~" where
// that font exists, otherwise a red "no connection" sign drawn in the same box.
class NetFailMark : public QWidget
{
    Q_OBJECT

public:
    explicit NetFailMark(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_hasWebdings;
};
