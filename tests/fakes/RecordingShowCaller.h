// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pop/IShowCaller.h"

#include <QList>
#include <QPair>

// Records every call handed to ShowCaller, number first.
class RecordingShowCaller : public IShowCaller
{
public:
    void ShowCaller(QString &number, QString &name) override { calls.append({number, name}); }

    QList<QPair<QString, QString>> calls;
};
