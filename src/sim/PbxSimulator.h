// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

// A small stand-in for an Asterisk Manager Interface, over TCP or TLS: it greets each client,
// accepts or refuses its login (plain or MD5 challenge) by the configured credentials, answers
// Events, Ping, Logoff and Originate (a call placed, or with setRefuseOriginate one that
// fails), prints every message a client sends (the secret masked), and on request sends a
// call's dial event in the byte form of Asterisk 22 (DialBegin) or of Asterisk 1.4 (Dial), and
// then, if asked, the events that end it with an outcome, as a real Asterisk 22 sent them.
class PbxSimulator : public QObject
{
    Q_OBJECT

public:
    // A client that sends this much without an empty line is not speaking the protocol.
    static constexpr qsizetype kMaxMessageBytes = qsizetype(64) * 1024;

    PbxSimulator(QString user, QString secret, bool old, QObject *parent = nullptr);
    ~PbxSimulator() override;

    bool Listen(const QHostAddress &address, quint16 port, QString *error);
    // Serves TLS with this certificate and key (PEM files); false, with `error` set, when
    // they cannot be read. Before Listen.
    bool setTls(const QString &certificateFile, const QString &keyFile, QString *error);
    // The plain login, secret in clear, is then refused: only the MD5 challenge login works.
    void setRequireMd5(bool require) { m_requireMd5 = require; }
    // Every Originate then ends in failure, as when the desk phone cannot be reached.
    void setRefuseOriginate(bool refuse) { m_refuseOriginate = refuse; }
    QString address() const;

    // The outcomes a call can end with: "answered", "noanswer", "cancel" (the caller gave up),
    // "elsewhere" (another phone answered) and "busy".
    static const QStringList &outcomes();
    // Each call sent from now on ends with this outcome after `afterMs`; "" leaves it ringing.
    void setOutcome(const QString &outcome, int afterMs);
    // Calls sent whose end is still to come.
    int ringing() const { return m_ringing; }

    // "NUMBER NAME EXTENSION", e.g. "5551234567 Front Desk 101": the name may hold blanks
    // and may be left out. Sends the dial event to every logged-in client that takes call
    // events; false, with `error` set, when the line is not of that form.
    bool dial(const QString &line, QString *error);

    // The dial event block for a call, exactly as it goes on the wire.
    QByteArray dialEvent(const QString &number, const QString &name, const QString &extension);

signals:
    // The last call ringing has ended.
    void allEnded();

private:
    // The channels and IDs of a call sent, which its end repeats.
    struct Leg
    {
        QByteArray channel, uniqueid, destChannel, destUniqueid, number, name, extension;
    };
    QByteArray endEvents(const Leg &leg) const;
    void broadcast(const QByteArray &events);

    struct Client
    {
        QTcpSocket *socket = nullptr;
        QString peer;
        QByteArray pending;
        bool loggedIn = false;
        bool events = true;
        QByteArray challenge; // the MD5 challenge given to this client
    };

    void accept();
    void receive(Client &client);
    void handle(Client &client, const QByteArray &message);
    void print(const Client &client, const QByteArray &message);
    QByteArray dialBegin(const QByteArray &num, const QByteArray &nam, const QByteArray &ext) const;
    void pong(Client &client, const QByteArray &actionId);
    void login(Client &client, const QByteArray &actionId, const QByteArray &message);
    void reply(Client &client, const QByteArray &actionId, const QByteArray &lines);
    void originate(Client &client, const QByteArray &actionId, const QByteArray &channel,
                   const QByteArray &context, const QByteArray &exten);
    void drop(QTcpSocket *socket);
    Client *find(QTcpSocket *socket);

    QString m_user;
    QString m_secret;
    bool m_old;
    bool m_refuseOriginate = false;
    bool m_requireMd5 = false;
    QTcpServer *m_server;
    QList<Client> m_clients;
    quint64 m_calls = 0;
    QString m_outcome;
    int m_outcomeAfterMs = 0;
    int m_ringing = 0;
    Leg m_last;
};
