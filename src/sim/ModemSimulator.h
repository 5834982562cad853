// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <memory>

// Plays a voice modem with caller ID: a pseudo-terminal linked as serial port N where
// Ringscout looks for it, which prints what Ringscout writes to the modem and writes the
// caller-ID lines of a ringing call. The link is removed again when the simulator ends.
class ModemSimulator : public QObject
{
    Q_OBJECT

public:
    // What arrives without a line end is printed after this pause.
    static constexpr int kPartialLineMs = 200;

    explicit ModemSimulator(int port, QObject *parent = nullptr);
    ~ModemSimulator() override;

    // Opens the pseudo-terminal and links it; false, with `error` set, when it cannot.
    bool start(QString *error);
    QString linkPath() const { return m_linkPath; }
    QString devicePath() const { return m_devicePath; }

    // "NUMBER NAME", e.g. "5551234567 JOHN SMITH": the name may hold blanks and may be left
    // out. Writes the call's caller-ID lines to the port.
    bool ring(const QString &line, QString *error);

    // The linked folder's path for port N: "$XDG_CONFIG_HOME/Belvane/comN".
    static QString linkPathFor(int port);
    // Bytes as a person can read them: "ATDT 555<CR>" for "ATDT 555\r".
    static QString Visible(QByteArrayView bytes);

private:
    void readFromPort();
    void printLines(bool all);
    void removeLink();

    QString m_linkPath;
    QString m_devicePath;
    int m_master = -1;
    int m_slave = -1;
    bool m_linked = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_received;
    QTimer m_partial;
};
