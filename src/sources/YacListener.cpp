// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/YacListener.h"

#include "base/Failure.h"
#include "base/LogText.h"
#include "base/WireText.h"
#include "platform/ISocketControl.h"
#include "pop/ICallSink.h"
#include "settings/Settings.h"
#include "sources/YacMessage.h"

#include <QLoggingCategory>

#include <algorithm>

namespace {

Q_LOGGING_CATEGORY(lcYac, "ringscout.yac", QtWarningMsg)

} // namespace

YacListener::YacListener(const Settings &settings, ISocketControl &Winsock1, ICallSink &sink,
                         QObject *parent)
    : QObject(parent), m_settings(settings), m_Winsock1(Winsock1), m_sink(sink)
{
    m_deadline.setSingleShot(true);
    m_quiet.setSingleShot(true);
    setIntervals({});

    connect(&m_Winsock1, &ISocketControl::ConnectionRequest, this,
            &YacListener::Winsock1_ConnectionRequest);
    connect(&m_Winsock1, &ISocketControl::DataArrival, this, &YacListener::Winsock1_DataArrival);
    connect(&m_Winsock1, &ISocketControl::peerClosed, this, &YacListener::Winsock1_PeerClosed);
    connect(&m_deadline, &QTimer::timeout, this, &YacListener::deadlinePassed);
    connect(&m_quiet, &QTimer::timeout, this, &YacListener::finishConnection);
}

void YacListener::setIntervals(const Intervals &intervals)
{
    m_deadline.setInterval(intervals.connectionTimeout);
    m_quiet.setInterval(intervals.quietGap);
}

void YacListener::CloseYac()
{
    m_deadline.stop();
    m_quiet.stop();
    m_serving = false;
    m_received.clear();
    if (m_Winsock1.State() != ISocketControl::sckClosed)
        m_Winsock1.Close();
}

void YacListener::ListenYac()
{
    CloseYac();
    if (m_settings.yacPort <= 0) {
        qCDebug(lcYac) << "off: yacPort is" << m_settings.yacPort;
        return;
    }
    m_Winsock1.SetLocalPort(m_settings.yacPort);
    m_Winsock1.setLocalAddress(m_settings.yacBind);
    try {
        parseAllowed();
        m_Winsock1.Listen();
    } catch (const Failure &failure) {
        throw Failure(QStringLiteral("YAC listener"), failure.description());
    }
    qCDebug(lcYac) << "listening on port" << m_settings.yacPort << "of"
                   << (m_settings.yacBind.isEmpty() ? QStringLiteral("every interface")
                                                    : m_settings.yacBind)
                   << "for"
                   << (m_allowed.isEmpty() ? QStringLiteral("anyone") : m_settings.yacAllow);
}

// "192.0.2.7, 192.0.2.0/24, 2001:db8::/32": a typing error must not let everyone in.
void YacListener::parseAllowed()
{
    m_allowed.clear();
    m_refusedCount = m_refusedUnlogged = 0;
    m_refusalLogged.invalidate();
    for (const QString &entry : m_settings.yacAllow.split(u',', Qt::SkipEmptyParts)) {
        const QString trimmed = entry.trimmed();
        if (trimmed.isEmpty())
            continue;
        const auto network = QHostAddress::parseSubnet(trimmed);
        if (network.second < 0)
            throw Failure(QString(), QStringLiteral("yacAllow: \"%1\" is neither an address nor "
                                                    "a network such as 192.0.2.0/24")
                                         .arg(trimmed));
        m_allowed.append(network);
    }
}

bool YacListener::allowed(const QString &address) const
{
    if (m_allowed.isEmpty())
        return true;
    const QHostAddress peer(address);
    return std::any_of(m_allowed.begin(), m_allowed.end(),
                       [&](const auto &network) { return peer.isInSubnet(network); });
}

// Closed unread, and said under --verbose at most once in kRefusalLogMs, however many come.
void YacListener::refuse(const QString &address)
{
    m_Winsock1.closeConnection();
    ++m_refusedCount;
    ++m_refusedUnlogged;
    if (m_refusalLogged.isValid() && m_refusalLogged.elapsed() < kRefusalLogMs)
        return;
    qCDebug(lcYac).nospace() << "closed unread " << m_refusedUnlogged
                             << " connection(s) from outside yacAllow, the latest from " << address;
    m_refusedUnlogged = 0;
    m_refusalLogged.start();
}

// The control goes on listening while it serves this server: one that connects meanwhile
// waits its turn instead of being dropped from the system's queue unseen.
void YacListener::Winsock1_ConnectionRequest(qintptr requestId)
{
    try {
        m_Winsock1.Accept(requestId);
    } catch (const Failure &failure) {
        qCDebug(lcYac) << "cannot take a connection:" << failure.text();
        return;
    }
    m_server = m_Winsock1.peerAddress();
    if (!allowed(m_server)) {
        refuse(m_server);
        return;
    }
    qCDebug(lcYac) << "a server connected from" << m_server;
    m_received.clear();
    m_serving = true;
    m_deadline.start();
}

void YacListener::Winsock1_DataArrival(qint64 bytesTotal)
{
    Q_UNUSED(bytesTotal)
    if (m_serving)
        collect();
}

// A server that closes right after connecting, before sending anything, also ends here.
void YacListener::Winsock1_PeerClosed()
{
    if (!m_serving)
        return;
    m_received += m_Winsock1.GetData();
    m_received.truncate(kMaxMessageBytes);
    finishConnection();
}

void YacListener::collect()
{
    m_received += m_Winsock1.GetData();
    if (m_received.size() >= kMaxMessageBytes) {
        // Judge what came so far: a call at the start still pops, and a peer cannot make us
        // hold more.
        m_received.truncate(kMaxMessageBytes);
        finishConnection();
        return;
    }
    m_quiet.start();
}

void YacListener::finishConnection()
{
    if (!m_serving)
        return;
    if (m_received.size() == kMaxMessageBytes)
        qCDebug(lcYac) << "read no further than" << kMaxMessageBytes << "bytes";
    // Decoded whole, as a UTF-8 character may straddle two pieces.
    const QString whole = WireText::decode(m_received);
    const QString text = YacMessage::firstMessage(whole);
    endConnection();
    if (text.size() < whole.size())
        qCDebug(lcYac) << "only the first message counts; dropped:"
                       << LogText(QStringView(whole).mid(text.size()));
    YacMessage::Verdict verdict = YacMessage::judge(text);
    if (!verdict.call) {
        qCDebug(lcYac).nospace() << "message dropped (" << verdict.reason << "): " << LogText(text);
        return;
    }
    // Cut short: a hostile server may send up to the read limit.
    qCDebug(lcYac) << "call: name" << LogText(verdict.call->name) << "number"
                   << LogText(verdict.call->number);
    verdict.call->recognisedBy(Call::Source::Yac, m_server);
    m_sink.callRecognised(*verdict.call);
}

// A server still sending when its time is up (one byte every 50 ms, say) would pop a
// number cut short: "@CALLX~5550003333444" read as far as "@CALLX~5550003".
void YacListener::deadlinePassed()
{
    if (!m_serving)
        return;
    if (m_received.isEmpty())
        qCDebug(lcYac) << "message dropped: nothing arrived in" << m_deadline.interval() << "ms";
    else
        qCDebug(lcYac) << "message dropped: still arriving after" << m_deadline.interval()
                       << "ms:" << m_received.left(80);
    endConnection();
}

void YacListener::endConnection()
{
    m_deadline.stop();
    m_quiet.stop();
    m_serving = false;
    m_received.clear();
    m_Winsock1.closeConnection();
}
