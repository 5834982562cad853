// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/IMessageBox.h"

#include <QList>
#include <functional>

// Records each box instead of waiting for a click; `onShow` runs while the "box is open",
// so a test can look at the program's state at that moment.
class FakeMessageBox : public IMessageBox
{
public:
    struct Shown
    {
        QString kind, title, text;
    };

    void critical(const QString &title, const QString &text) override
    {
        show({QStringLiteral("critical"), title, text});
    }
    void message(const QString &title, const QString &text) override
    {
        show({QStringLiteral("plain"), title, text});
    }

    bool question(const QString &title, const QString &text) override
    {
        show({QStringLiteral("question"), title, text});
        return yes;
    }

    QList<Shown> shown;
    bool yes = false; // the answer to each question
    std::function<void(const Shown &)> onShow = [](const Shown &) {};

private:
    void show(const Shown &box)
    {
        shown.append(box);
        onShow(box);
    }
};
