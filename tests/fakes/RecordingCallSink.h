// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pop/ICallSink.h"

#include <QList>
#include <QPair>
#include <QTest>

// Records every call and every end handed to it, and fails the test on a call that lacks what
// every source gives: an id, the time in UTC.
class RecordingCallSink : public ICallSink
{
public:
    void callRecognised(const Call &call) override
    {
        QVERIFY(!call.id.isEmpty() && call.recognised.timeSpec() == Qt::UTC &&
                qAbs(call.recognised.secsTo(QDateTime::currentDateTimeUtc())) < 60);
        calls.append(call);
    }
    void callEnded(const CallEnd &end) override { ends.append(end); }

    // Number and name of each call, in order.
    QList<QPair<QString, QString>> shown() const
    {
        QList<QPair<QString, QString>> pairs;
        for (const Call &call : calls)
            pairs.append({call.number, call.name});
        return pairs;
    }

    QList<Call> calls;
    QList<CallEnd> ends;
};
