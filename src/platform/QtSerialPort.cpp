// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QtSerialPort.h"

#include "base/ConfigFolder.h"
#include "base/Failure.h"
#include "base/LineSettings.h"
#include "platform/SerialLine.h"

QtSerialPort::QtSerialPort(QString configDir, QObject *parent)
    : ISerialPort(parent), m_configDir(std::move(configDir))
{
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QString QtSerialPort::source() const
{
    return QStringLiteral("Serial port %1").arg(m_commPort);
}

void QtSerialPort::SetSettings(const QString &settings)
{
    try {
        LineSettings::parse(settings);
    } catch (const Failure &failure) {
        throw Failure(source(), failure.description());
    }
    m_settings = settings;
}

void QtSerialPort::SetPortOpen(bool open)
{
    if (!open) {
        if (m_port.isOpen())
            m_port.close();
        return;
    }
    if (m_port.isOpen())
        throw Failure(source(), QStringLiteral("the port is already open"));

    const QString device = SerialLine::devicePath(ConfigFolder::path(m_configDir), m_commPort);
    const LineSettings line = LineSettings::parse(m_settings);
    m_port.setPortName(device);
    m_port.setBaudRate(line.speed);
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(line.dataBits));
    switch (line.parity) {
    case 'E':
        m_port.setParity(QSerialPort::EvenParity);
        break;
    case 'O':
        m_port.setParity(QSerialPort::OddParity);
        break;
    case 'M':
        m_port.setParity(QSerialPort::MarkParity);
        break;
    case 'S':
        m_port.setParity(QSerialPort::SpaceParity);
        break;
    default:
        m_port.setParity(QSerialPort::NoParity);
    }
    m_port.setStopBits(line.stopBits == LineSettings::StopBits::Two ? QSerialPort::TwoStop
                       : line.stopBits == LineSettings::StopBits::OneAndHalf
                           ? QSerialPort::OneAndHalfStop
                           : QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.clearError();
    if (!m_port.open(QIODevice::ReadWrite)) {
        // Most desks have no modem, and a first start looks for one on port 2.
        const QString reason =
            m_port.errorString() + (m_port.error() == QSerialPort::DeviceNotFoundError
                                        ? QStringLiteral(". No modem? Set Com Port to 0.")
                                        : QString());
        m_port.clearError();
        throw Failure(source(), QStringLiteral("cannot open %1: %2").arg(device, reason));
    }
}

void QtSerialPort::outputBytes(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        throw Failure(source(), QStringLiteral("the port is not open"));
    if (m_port.write(bytes) != bytes.size())
        throw Failure(source(), QStringLiteral("cannot write: %1").arg(m_port.errorString()));
}

QByteArray QtSerialPort::inputBytes()
{
    return m_port.isOpen() ? m_port.readAll() : QByteArray();
}

void QtSerialPort::onError(QSerialPort::SerialPortError error)
{
    // Modem control lines cannot be set on every device (a pseudo-terminal refuses DTR and
    // RTS); only errors that mean the device is gone matter here.
    const bool gone = error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
                      error == QSerialPort::WriteError;
    if (gone && m_port.isOpen())
        emit deviceLost(m_port.errorString());
}
