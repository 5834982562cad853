// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/WireText.h"

#include <QByteArray>
#include <QObject>
#include <QString>

// The serial-port control: a port chosen by number, opened with line settings, written to
// and read from. Events arrive on the GUI thread.
class ISerialPort : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void SetCommPort(int port) = 0;
    // "speed,parity,data bits,stop bits", e.g. "115200,N,8,1". Throws Failure, quoting the
    // text, when it is not valid; the port keeps its earlier settings then.
    virtual void SetSettings(const QString &settings) = 0;

    virtual bool PortOpen() const = 0;
    // True opens the port with the line settings; throws Failure naming the port, the device
    // and the reason. False closes the port; closing a closed port is quiet.
    virtual void SetPortOpen(bool open) = 0;

    // Sends the bytes unchanged and in order. Throws Failure when the port is not open.
    virtual void outputBytes(const QByteArray &bytes) = 0;
    void Output(const QString &text) { outputBytes(WireText::encode(text)); }
    // Everything received and not yet read; empty when nothing came or the port is closed.
    // Bytes, not text: a character may be cut between two reads.
    virtual QByteArray inputBytes() = 0;

signals:
    // The device failed for good while open (a USB modem unplugged, the far end of a
    // pseudo-terminal closed). Raised at every such error until the port is closed.
    void deviceLost(const QString &reason);
};
