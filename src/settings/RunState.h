// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

// The few state variables the parts of the program share besides the settings.
struct RunState
{
    QString modemBuffer;
    qint16 modemBufferTicks = 0;
    QString dialNumber;
    qint16 dialTicks = 0;
    // A number confirmed while a dial was under way; dialled once that dial is released.
    QString dialNext;
};
