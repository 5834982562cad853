// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ISerialPort.h"

#include <QSerialPort>

// The serial-port control on QSerialPort; port N is the device SerialLine::DevicePath names.
class QtSerialPort : public ISerialPort
{
    Q_OBJECT

public:
    // `configDir` empty: the user's configuration folder, looked up at each open.
    explicit QtSerialPort(QString configDir = {}, QObject *parent = nullptr);

    void SetCommPort(int port) override { m_commPort = port; }
    void SetSettings(const QString &settings) override;

    bool PortOpen() const override { return m_port.isOpen(); }
    void SetPortOpen(bool open) override;

    void outputBytes(const QByteArray &bytes) override;
    QByteArray inputBytes() override;

private:
    QString source() const;
    void onError(QSerialPort::SerialPortError error);

    QString m_configDir;
    QSerialPort m_port;
    int m_commPort = 1;
    QString m_settings = QStringLiteral("9600,N,8,1");
};
