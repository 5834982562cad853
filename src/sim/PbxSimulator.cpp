// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/PbxSimulator.h"

#include "base/WireText.h"
#include "sim/Console.h"
#include "sources/AmiMessageEnd.h"
#include "sources/DialScan.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QStringList>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace {

// Manager Interface messages are "Key: Value" lines, each ended by CR LF, closed by an
// empty line: "Action: login\r\nUsername: ringscout\r\nSecret: test123\r\n\r\n".
constexpr qsizetype kMessageEndSize = qsizetype(AmiMessageEnd::kText.size());

struct Header
{
    QByteArray key;
    QByteArray value;
};

QList<Header> headersOf(const QByteArray &message)
{
    QList<Header> headers;
    for (const QByteArray &line : message.split('\n')) {
        const QByteArray text = line.endsWith('\r') ? line.chopped(1) : line;
        const qsizetype colon = text.indexOf(':');
        if (colon > 0)
            headers.append({text.left(colon).trimmed(), text.mid(colon + 1).trimmed()});
    }
    return headers;
}

QByteArray valueOf(const QList<Header> &headers, QByteArrayView key)
{
    for (const Header &header : headers) {
        if (header.key.compare(key, Qt::CaseInsensitive) == 0)
            return header.value;
    }
    return {};
}

// Asterisk stamps identifiers as "<epoch seconds>.<sequence>", e.g. "1796581957.1".
QByteArray uniqueId(quint64 sequence)
{
    return QByteArray::number(QDateTime::currentSecsSinceEpoch()) + '.' +
           QByteArray::number(sequence);
}

// "Key: Value" lines and the empty line that closes the message. An empty value keeps its
// blank, "AccountCode: ", as Asterisk sends it.
QByteArray message(std::initializer_list<std::pair<QByteArrayView, QByteArray>> fields)
{
    QByteArray text;
    for (const auto &[key, value] : fields)
        text += key.toByteArray() + ": " + value + "\r\n";
    return text + "\r\n";
}

QByteArray channelSuffix(quint64 sequence)
{
    return QByteArray::number(sequence, 16).rightJustified(8, '0');
}

} // namespace

PbxSimulator::PbxSimulator(QString user, QString secret, bool old, QObject *parent)
    : QObject(parent), m_user(std::move(user)), m_secret(std::move(secret)), m_old(old),
      m_server(new QTcpServer(this))
{}

bool PbxSimulator::setTls(const QString &certificateFile, const QString &keyFile, QString *error)
{
    QFile keyText(keyFile);
    const QList<QSslCertificate> chain = QSslCertificate::fromPath(certificateFile);
    const QSslKey key(keyText.open(QIODevice::ReadOnly) ? keyText.readAll() : QByteArray(),
                      QSsl::Rsa);
    const QSslKey ecKey(keyText.seek(0) ? keyText.readAll() : QByteArray(), QSsl::Ec);
    if (chain.isEmpty() || (key.isNull() && ecKey.isNull())) {
        *error = chain.isEmpty()
                     ? QStringLiteral("no PEM certificate in %1").arg(certificateFile)
                     : QStringLiteral("no PEM RSA or EC private key in %1").arg(keyFile);
        return false;
    }
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setLocalCertificateChain(chain);
    config.setPrivateKey(key.isNull() ? ecKey : key);
    // As Asterisk 22 offers it: TLS 1.2 and 1.3 only.
    config.setProtocol(QSsl::TlsV1_2OrLater);
    auto *server = new QSslServer(this);
    server->setSslConfiguration(config);
    delete m_server;
    m_server = server;
    return true;
}

PbxSimulator::~PbxSimulator()
{
    // The server deletes the clients' sockets after our members are gone; a socket still
    // connected then says "disconnected" on its way out, which must not reach us.
    for (const Client &client : std::as_const(m_clients))
        client.socket->disconnect(this);
}

bool PbxSimulator::Listen(const QHostAddress &address, quint16 port, QString *error)
{
    // Over TLS a client is pending only once its handshake is done.
    connect(m_server, &QTcpServer::pendingConnectionAvailable, this, &PbxSimulator::accept);
    if (m_server->listen(address, port))
        return true;
    *error = m_server->errorString();
    return false;
}

QString PbxSimulator::address() const
{
    return QStringLiteral("%1:%2")
        .arg(m_server->serverAddress().toString())
        .arg(m_server->serverPort());
}

void PbxSimulator::accept()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        Client client;
        client.socket = socket;
        client.peer =
            QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
        m_clients.append(client);
        Console::say(QStringLiteral("%1 connected").arg(client.peer));
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            if (Client *c = find(socket))
                receive(*c);
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
        // The greeting is one line, not a message: Asterisk 1.4 said 1.0, Asterisk 22 says 11.0.0.
        socket->write(m_old ? "Asterisk Call Manager/1.0\r\n" : "Asterisk Call Manager/11.0.0\r\n");
    }
}

PbxSimulator::Client *PbxSimulator::find(QTcpSocket *socket)
{
    for (Client &client : m_clients) {
        if (client.socket == socket)
            return &client;
    }
    return nullptr;
}

void PbxSimulator::drop(QTcpSocket *socket)
{
    for (qsizetype i = 0; i < m_clients.size(); ++i) {
        if (m_clients[i].socket == socket) {
            Console::say(QStringLiteral("%1 disconnected").arg(m_clients[i].peer));
            m_clients.removeAt(i);
            break;
        }
    }
    socket->deleteLater();
}

void PbxSimulator::receive(Client &client)
{
    QTcpSocket *socket = client.socket;
    client.pending += socket->readAll();
    qsizetype end;
    while ((end = AmiMessageEnd::after(client.pending)) >= 0) {
        const QByteArray message = client.pending.left(end);
        client.pending.remove(0, message.size());
        handle(client, message);
        // Login refused and Logoff close the connection, and `client` with it.
        if (!find(socket) || socket->state() != QAbstractSocket::ConnectedState)
            return;
    }
    if (client.pending.size() > kMaxMessageBytes) {
        Console::say(QStringLiteral("%1 sent over %2 bytes without an empty line: hanging up")
                         .arg(client.peer)
                         .arg(kMaxMessageBytes));
        socket->abort();
    }
}

// Prints a client's message line by line, its secret or key masked.
void PbxSimulator::print(const Client &client, const QByteArray &message)
{
    for (const QByteArray &line : message.chopped(kMessageEndSize).split('\n')) {
        QString text = WireText::decode(line.endsWith('\r') ? line.chopped(1) : line);
        if (text.startsWith(QLatin1String("Secret:"), Qt::CaseInsensitive) ||
            text.startsWith(QLatin1String("Key:"), Qt::CaseInsensitive))
            text = text.left(text.indexOf(u':') + 1) + QStringLiteral(" ********");
        Console::say(QStringLiteral("%1 < %2").arg(client.peer, text));
    }
}

void PbxSimulator::handle(Client &client, const QByteArray &message)
{
    const QList<Header> headers = headersOf(message);
    print(client, message);

    const QByteArray action = valueOf(headers, "Action").toLower();
    const QByteArray actionId = valueOf(headers, "ActionID");
    if (action.isEmpty()) {
        reply(client, actionId, "Response: Error\r\nMessage: Missing action in request\r\n");
    } else if (action == "challenge" && valueOf(headers, "AuthType").toLower() == "md5") {
        // "Response: Success\r\nChallenge: 445174750": a random number, as Asterisk sends.
        client.challenge = QByteArray::number(QRandomGenerator::global()->bounded(1u << 30));
        reply(client, actionId, "Response: Success\r\nChallenge: " + client.challenge + "\r\n");
    } else if (action == "login") {
        login(client, actionId, message);
    } else if (action == "logoff") {
        reply(client, actionId, "Response: Goodbye\r\nMessage: Thanks for all the fish.\r\n");
        client.socket->disconnectFromHost();
    } else if (!client.loggedIn) {
        reply(client, actionId, "Response: Error\r\nMessage: Permission denied\r\n");
    } else if (action == "events") {
        // "EventMask: call" (what Ringscout asks for), "on" or "all" switch call events on.
        const QByteArray mask = valueOf(headers, "EventMask").toLower();
        client.events = mask == "on" || mask == "all" || mask.contains("call");
        if (m_old)
            reply(client, actionId,
                  client.events ? "Response: Events On\r\n" : "Response: Events Off\r\n");
        else
            reply(client, actionId,
                  client.events ? "Response: Success\r\nEvents: On\r\n"
                                : "Response: Success\r\nEvents: Off\r\n");
    } else if (action == "ping") {
        pong(client, actionId);
    } else if (action == "originate") {
        originate(client, actionId, valueOf(headers, "Channel"), valueOf(headers, "Context"),
                  valueOf(headers, "Exten"));
    } else {
        reply(client, actionId,
              "Response: Error\r\nMessage: Invalid/unknown command: " + valueOf(headers, "Action") +
                  ". Use Action: ListCommands to show available commands.\r\n");
    }
}

void PbxSimulator::pong(Client &client, const QByteArray &actionId)
{
    if (m_old)
        return reply(client, actionId, "Response: Pong\r\n");
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    reply(client, actionId,
          "Response: Success\r\nPing: Pong\r\nTimestamp: " + QByteArray::number(ms / 1000) + '.' +
              QByteArray::number((ms % 1000) * 1000).rightJustified(6, '0') + "\r\n");
}

// Plain ("Secret") or MD5 ("AuthType: MD5", "Key": the lower-case hex MD5 of the challenge and
// the secret; Asterisk refuses upper case).
void PbxSimulator::login(Client &client, const QByteArray &actionId, const QByteArray &message)
{
    const QList<Header> headers = headersOf(message);
    const QString user = WireText::decode(valueOf(headers, "Username"));
    const bool md5 = valueOf(headers, "AuthType").toLower() == "md5";
    const QByteArray key = QCryptographicHash::hash(client.challenge + WireText::encode(m_secret),
                                                    QCryptographicHash::Md5)
                               .toHex();
    // Asterisk finds the manager user with letter case ignored; the secret is exact.
    const bool secretOk =
        md5 ? !client.challenge.isEmpty() && valueOf(headers, "Key") == key
            : !m_requireMd5 && WireText::decode(valueOf(headers, "Secret")) == m_secret;
    if (user.compare(m_user, Qt::CaseInsensitive) == 0 && secretOk) {
        client.loggedIn = true;
        reply(client, actionId, "Response: Success\r\nMessage: Authentication accepted\r\n");
        // The Manager Interface carries no word of them.
        Console::say(QStringLiteral("%1 logged in as %2 with the %3 login (which extensions it "
                                    "watches, its AsteriskExtension, it does not say)")
                         .arg(client.peer, user, md5 ? QStringLiteral("MD5") : "plain"));
        return;
    }
    reply(client, actionId, "Response: Error\r\nMessage: Authentication failed\r\n");
    Console::say(!md5 && m_requireMd5
                     ? QStringLiteral("%1 refused: --md5 takes only the MD5 challenge login, and "
                                      "this one sent the secret in clear")
                           .arg(client.peer)
                     : QStringLiteral("%1 refused: user name or secret does not match --user and "
                                      "--secret")
                           .arg(client.peer));
    client.socket->disconnectFromHost();
}

void PbxSimulator::reply(Client &client, const QByteArray &actionId, const QByteArray &lines)
{
    QByteArray response = lines;
    // A response repeats the action's identifier right after its first line.
    if (!actionId.isEmpty())
        response.insert(response.indexOf("\r\n") + 2, "ActionID: " + actionId + "\r\n");
    client.socket->write(response + "\r\n");
}

// As Asterisk 22 answers "Async: true": the call is queued at once, and its end follows as an
// event; Reason 4 is the desk phone answered, 0 that it could not be reached.
void PbxSimulator::originate(Client &client, const QByteArray &actionId, const QByteArray &channel,
                             const QByteArray &context, const QByteArray &exten)
{
    reply(client, actionId, "Response: Success\r\nMessage: Originate successfully queued\r\n");
    const QByteArray outcome = m_refuseOriginate ? "Failure" : "Success";
    QByteArray event = message({{"Event", "OriginateResponse"},
                                {"Privilege", "call,all"},
                                {"Response", outcome},
                                {"Channel", channel},
                                {"Context", context},
                                {"Exten", exten},
                                {"Reason", m_refuseOriginate ? "0" : "4"},
                                {"Uniqueid", m_refuseOriginate ? "<null>" : uniqueId(m_calls++)},
                                {"CallerIDNum", "<unknown>"},
                                {"CallerIDName", "<unknown>"}});
    if (!actionId.isEmpty())
        event.insert(event.indexOf("Response: "), "ActionID: " + actionId + "\r\n");
    client.socket->write(event);
    Console::say(QStringLiteral("> OriginateResponse %1 for %2 dialling %3 in %4")
                     .arg(QString::fromLatin1(outcome), WireText::decode(channel),
                          WireText::decode(exten), WireText::decode(context)));
}

QByteArray PbxSimulator::dialEvent(const QString &number, const QString &name,
                                   const QString &extension)
{
    const QByteArray num = WireText::encode(number);
    const QByteArray nam = name.isEmpty() ? QByteArray("<unknown>") : WireText::encode(name);
    const QByteArray ext = WireText::encode(extension);
    const quint64 caller = m_calls++ * 2;
    const quint64 callee = caller + 1;
    const QByteArray from = channelSuffix(caller);
    const QByteArray to = ext + '-' + channelSuffix(callee);
    m_last = {
        "PJSIP/trunk-" + from, uniqueId(caller), "PJSIP/" + to, uniqueId(callee), num, nam, ext};
    if (m_old) {
        // Asterisk 1.4: "Event: Dial\r\nPrivilege: call,all\r\nSource: SIP/trunk-0a1b..."
        return message({{"Event", "Dial"},
                        {"Privilege", "call,all"},
                        {"Source", "SIP/trunk-" + from},
                        {"Destination", "SIP/" + to},
                        {"CallerID", num},
                        {"CallerIDName", nam},
                        {"SrcUniqueID", uniqueId(caller)},
                        {"DestUniqueID", uniqueId(callee)}});
    }
    return dialBegin(num, nam, ext);
}

// Asterisk 22: the calling channel's fields, then the same fields of the dialled one with
// "Dest" in front, as in a captured "Event: DialBegin".
QByteArray PbxSimulator::dialBegin(const QByteArray &num, const QByteArray &nam,
                                   const QByteArray &ext) const
{
    return message({{"Event", "DialBegin"},
                    {"Privilege", "call,all"},
                    {"Channel", m_last.channel},
                    {"ChannelState", "4"},
                    {"ChannelStateDesc", "Ring"},
                    {"CallerIDNum", num},
                    {"CallerIDName", nam},
                    {"ConnectedLineNum", "<unknown>"},
                    {"ConnectedLineName", "<unknown>"},
                    {"Language", "en"},
                    {"AccountCode", ""},
                    {"Context", "from-trunk"},
                    {"Exten", ext},
                    {"Priority", "1"},
                    {"Uniqueid", m_last.uniqueid},
                    {"Linkedid", m_last.uniqueid},
                    {"DestChannel", m_last.destChannel},
                    {"DestChannelState", "0"},
                    {"DestChannelStateDesc", "Down"},
                    {"DestCallerIDNum", ext},
                    {"DestCallerIDName", "<unknown>"},
                    {"DestConnectedLineNum", num},
                    {"DestConnectedLineName", nam},
                    {"DestLanguage", "en"},
                    {"DestAccountCode", ""},
                    {"DestContext", "from-internal"},
                    {"DestExten", ext},
                    {"DestPriority", "1"},
                    {"DestUniqueid", m_last.destUniqueid},
                    {"DestLinkedid", m_last.uniqueid},
                    {"DialString", ext}});
}

bool PbxSimulator::dial(const QString &line, QString *error)
{
    QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 2) {
        *error = QStringLiteral("type NUMBER NAME EXTENSION, e.g. 5551234567 Front Desk 101");
        return false;
    }
    const QString number = words.takeFirst();
    const QString extension = words.takeLast();
    const QByteArray event = dialEvent(number, words.join(QLatin1Char(' ')), extension);

    const int sent = int(std::count_if(m_clients.begin(), m_clients.end(),
                                       [](const Client &c) { return c.loggedIn && c.events; }));
    broadcast(event);
    if (sent == 0) {
        *error = QStringLiteral("no client is logged in with call events on: nothing sent");
        return false;
    }
    // Judged as Ringscout judges it, for every extension list at once.
    const DialScan::Verdict verdict = DialScan::judge(event, QString());
    const QString fate =
        verdict.caller
            ? QStringLiteral("a client pops it if its AsteriskExtension is empty or has an "
                             "element found in %1, such as %2")
                  .arg(verdict.destination, extension)
            : QStringLiteral("no client pops it: %1").arg(QLatin1String(verdict.reason));
    Console::say(QStringLiteral("> %1 from %2 to %3 sent to %4 client(s); %5")
                     .arg(m_old ? QStringLiteral("Dial") : QStringLiteral("DialBegin"), number,
                          verdict.destination, QString::number(sent), fate));
    if (!m_outcome.isEmpty()) {
        ++m_ringing;
        QTimer::singleShot(m_outcomeAfterMs, this, [this, end = endEvents(m_last)] {
            broadcast(end);
            Console::say(QStringLiteral("> the call ended: %1").arg(m_outcome));
            if (--m_ringing == 0)
                emit allEnded();
        });
    }
    return true;
}

void PbxSimulator::broadcast(const QByteArray &events)
{
    for (Client &client : m_clients) {
        // At once: the last call's end may be followed by the end of the program.
        if (client.loggedIn && client.events) {
            client.socket->write(events);
            client.socket->flush();
        }
    }
}

const QStringList &PbxSimulator::outcomes()
{
    static const QStringList words{QStringLiteral("answered"), QStringLiteral("noanswer"),
                                   QStringLiteral("cancel"), QStringLiteral("elsewhere"),
                                   QStringLiteral("busy")};
    return words;
}

void PbxSimulator::setOutcome(const QString &outcome, int afterMs)
{
    m_outcome = outcome;
    m_outcomeAfterMs = afterMs;
}

// As Asterisk 22 ends a call to the desk (the captures of each outcome): the dial's DialEnd
// with its DialStatus, the desk channel's Hangup, whose Cause tells a CANCEL apart (16 the
// caller hung up, 26 answered elsewhere), then the caller's Hangup.
QByteArray PbxSimulator::endEvents(const Leg &leg) const
{
    const int index = int(outcomes().indexOf(m_outcome));
    const char *status[] = {"ANSWER", "NOANSWER", "CANCEL", "CANCEL", "BUSY"};
    const char *deskCause[] = {"16", "0", "16", "26", "0"};
    const char *causeText[] = {"Normal Clearing", "Unknown", "Normal Clearing",
                               "Answered elsewhere", "Unknown"};
    const auto hangup = [&](const QByteArray &channel, const QByteArray &id, const char *cause,
                            const char *text) {
        return message({{"Event", "Hangup"},
                        {"Privilege", "call,all"},
                        {"Channel", channel},
                        {"CallerIDNum", leg.number},
                        {"CallerIDName", leg.name},
                        {"Uniqueid", id},
                        {"Linkedid", leg.uniqueid},
                        {"Cause", cause},
                        {"Cause-txt", text}});
    };
    return message({{"Event", "DialEnd"},
                    {"Privilege", "call,all"},
                    {"Channel", leg.channel},
                    {"CallerIDNum", leg.number},
                    {"CallerIDName", leg.name},
                    {"Exten", leg.extension},
                    {"Uniqueid", leg.uniqueid},
                    {"Linkedid", leg.uniqueid},
                    {"DestChannel", leg.destChannel},
                    {"DestUniqueid", leg.destUniqueid},
                    {"DestLinkedid", leg.uniqueid},
                    {"DialStatus", status[index]}}) +
           hangup(leg.destChannel, leg.destUniqueid, deskCause[index], causeText[index]) +
           hangup(leg.channel, leg.uniqueid, "16", "Normal Clearing");
}
