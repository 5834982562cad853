#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

// The far end of a modem line: a pseudo-terminal whose other end the program opens as its
// serial port, linked as port N in a settings folder the way a user links a real modem.
class PtyModem : public QObject
{
    Q_OBJECT

public:
    // `read` false: what the program writes is never read here. Qt then reports the far end's
    // going away again and again until the port is closed, as it does for an unplugged modem.
    explicit PtyModem(bool read = true);
    ~PtyModem() override { Close(); }

    // Makes `<configDir>/Belvane/com<port>` point here, replacing any link of that name.
    bool LinkAs(const QString &configDir, int port) const;
    void Write(const QByteArray &bytes);
    // The far end goes away, as an unplugged modem does.
    void Close();

    // Everything the program wrote, in order.
    QByteArray received;

private:
    int m_master = -1;
    // Polled: while the program's end is closed the master end reads as an error, which
    // would keep a read notifier firing.
    QTimer m_poll;
};
