// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>

#include <utility>

class ICallSink;
class ISocketControl;
struct Settings;

// Waits for YAC servers on yacPort and serves them one connection at a time, in the order
// they came, handing the call of each message to the call sink.
class YacListener : public QObject
{
    Q_OBJECT

public:
    // Waits in milliseconds; tests shorten them.
    struct Intervals
    {
        // A YAC server sends its message as soon as it connects, and others wait while one is
        // served, so none is kept longer than this. A message still coming in then is cut,
        // and dropped rather than popped with a shortened number.
        int connectionTimeout = 3000;
        // A message may arrive in pieces: it is complete when the server closes or stays
        // quiet this long.
        int quietGap = 300;
    };
    // A message is well under 100 bytes; what comes past this is not read.
    static constexpr qsizetype kMaxMessageBytes = qsizetype(64) * 1024;

    YacListener(const Settings &settings, ISocketControl &Winsock1, ICallSink &sink,
                QObject *parent = nullptr);

    // Also drops the connection being served and the servers waiting.
    void CloseYac();
    // Listens on yacPort, on yacBind or every interface; with yacPort 0 or less the listener
    // stays closed. Throws Failure, e.g. "YAC listener: port 10629 is already in use", or for
    // an entry of yacAllow that is no address or network.
    void ListenYac();
    // Connections closed unread since ListenYac: their peer was not in yacAllow.
    quint64 refusedCount() const { return m_refusedCount; }
    // A flood of refused peers makes at most one --verbose line this often.
    static constexpr qint64 kRefusalLogMs = 10000;

    void setIntervals(const Intervals &intervals);

private:
    void Winsock1_ConnectionRequest(qintptr requestId);
    void Winsock1_DataArrival(qint64 bytesTotal);
    void Winsock1_PeerClosed();
    void collect();
    void finishConnection();
    void deadlinePassed();
    // Ends the connection being served; the next server waiting comes next.
    void endConnection();
    void parseAllowed();
    bool allowed(const QString &address) const;
    void refuse(const QString &address);

    const Settings &m_settings;
    ISocketControl &m_Winsock1;
    ICallSink &m_sink;
    QTimer m_deadline;
    QTimer m_quiet;
    QByteArray m_received;
    // The address of the server being served, taken while the connection is open.
    QString m_server;
    bool m_serving = false;
    // yacAllow as networks; empty: anyone.
    QList<std::pair<QHostAddress, int>> m_allowed;
    quint64 m_refusedCount = 0;
    quint64 m_refusedUnlogged = 0;
    QElapsedTimer m_refusalLogged;
};
