// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/IMessageBox.h"

class QWidget;

// Message boxes of the window system, modal, with a single OK button.
class QtMessageBox : public IMessageBox
{
public:
    void critical(const QString &title, const QString &text) override;
    void message(const QString &title, const QString &text) override;
    bool question(const QString &title, const QString &text) override;
};
