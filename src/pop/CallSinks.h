// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pop/ICallSink.h"

#include <QList>

// Hands each call, and each end of one, to every sink added, in the order they were added.
class CallSinks : public ICallSink
{
public:
    // The sink must outlive this one.
    void add(ICallSink &sink) { m_sinks.append(&sink); }

    void callRecognised(const Call &call) override
    {
        for (ICallSink *sink : std::as_const(m_sinks))
            sink->callRecognised(call);
    }
    void callEnded(const CallEnd &end) override
    {
        for (ICallSink *sink : std::as_const(m_sinks))
            sink->callEnded(end);
    }

private:
    QList<ICallSink *> m_sinks;
};
