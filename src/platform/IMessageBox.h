// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Modal message boxes with a single OK button, or Yes and No; each call returns when the box
// is closed.
// No call throws.
class IMessageBox
{
public:
    virtual ~IMessageBox() = default;

    // With the stop icon.
    virtual void critical(const QString &title, const QString &text) = 0;
    // Just the text, the title and OK: no icon.
    virtual void message(const QString &title, const QString &text) = 0;
    // Yes and No, No the default: whether the user answered Yes.
    virtual bool question(const QString &title, const QString &text) = 0;
};
