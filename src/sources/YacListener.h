#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

class IShowCaller;
class ISocketControl;
struct Settings;

// Waits for YAC servers on yacPort, serves one connection at a time and hands each call
// message to ShowCaller; after every connection it listens again.
class YacListener : public QObject
{
    Q_OBJECT

public:
    // A YAC server sends its message as soon as it connects; while a connection is served
    // nobody else can connect, so none is kept longer than this.
    static constexpr int kConnectionTimeoutMs = 3000;
    // A message may arrive in pieces: it is complete when the server closes or stays quiet
    // this long.
    static constexpr int kQuietGapMs = 300;
    // A message is well under 100 bytes; what comes past this is not read.
    static constexpr qsizetype kMaxMessageBytes = qsizetype(64) * 1024;
    // When the port cannot be listened on again after a connection (another program took
    // it meanwhile), try again this often until it can.
    static constexpr int kRelistenRetryMs = 5000;

    YacListener(const Settings &g, ISocketControl &Winsock1, IShowCaller &pop,
                QObject *parent = nullptr);

    // Also drops a connection being served and stops retrying to listen.
    void CloseYac();
    // Listens on yacPort; with yacPort 0 or less the listener stays closed. Throws Failure,
    // e.g. "YAC listener: port 10629 is already in use".
    void ListenYac();

    void SetConnectionTimeout(int milliseconds) { m_deadline.setInterval(milliseconds); }
    void SetQuietGap(int milliseconds) { m_quiet.setInterval(milliseconds); }
    void SetRelistenRetryInterval(int milliseconds) { m_retry.setInterval(milliseconds); }

private:
    void Winsock1_ConnectionRequest(qintptr requestId);
    void Winsock1_DataArrival(qint64 bytesTotal);
    void Winsock1_PeerClosed();
    void collect();
    void finishConnection();
    void relisten();

    const Settings &m_g;
    ISocketControl &m_Winsock1;
    IShowCaller &m_pop;
    QTimer m_deadline;
    QTimer m_quiet;
    QTimer m_retry;
    QByteArray m_received;
    bool m_serving = false;
};
