#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

// The far end of a modem line: a pseudo-terminal whose other end the program opens as its
// serial port, linked as port N in a settings folder as a user links a real modem.
class PtyModem : public QObject
{
    Q_OBJECT

public:
    PtyModem();
    ~PtyModem() override;

    bool IsOpen() const { return m_master >= 0; }
    QString DevicePath() const { return m_device; }
    // Makes `<configDir>/Belvane/com<port>` point at this pseudo-terminal, replacing any link.
    bool LinkAs(const QString &configDir, int port) const;

    void Write(const QByteArray &bytes);
    // Everything the program wrote so far, in order.
    QByteArray Received() const { return m_received; }
    void ClearReceived() { m_received.clear(); }
    // The far end goes away, as a modem that is unplugged.
    void Close();

private:
    void drain();

    int m_master = -1;
    QString m_device;
    QByteArray m_received;
    // The master end is read by polling: it reads as an error, not as empty, while the
    // program's end is closed, which would keep a read notifier firing.
    QTimer m_poll;
};
