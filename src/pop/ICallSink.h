// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Call.h"

// Where every source hands each call it recognises, and later how it ended. The composition
// root fills it: the pop today, the call list and notifications next.
class ICallSink
{
public:
    virtual ~ICallSink() = default;

    virtual void callRecognised(const Call &call) = 0;
    virtual void callEnded(const CallEnd &end) = 0;
};
