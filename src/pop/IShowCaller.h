// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where every call source hands a recognised caller: number first, name second. The texts
// are taken by reference and may be cleaned in place; callers do not look at them afterwards.
class IShowCaller
{
public:
    virtual ~IShowCaller() = default;

    virtual void ShowCaller(QString &number, QString &name) = 0;
};
