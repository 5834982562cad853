#include "sources/YacListener.h"

#include "platform/Failure.h"
#include "platform/ISocketControl.h"
#include "platform/WireText.h"
#include "pop/IShowCaller.h"
#include "settings/Globals.h"
#include "sources/YacMessage.h"

#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcYac, "ringscout.yac", QtWarningMsg)

} // namespace

YacListener::YacListener(const Settings &g, ISocketControl &winsock1, IShowCaller &pop,
                         QObject *parent)
    : QObject(parent), m_g(g), m_Winsock1(winsock1), m_pop(pop)
{
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(kConnectionTimeoutMs);
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(kQuietGapMs);
    m_retry.setInterval(kRelistenRetryMs);

    connect(&m_Winsock1, &ISocketControl::ConnectionRequest, this,
            &YacListener::Winsock1_ConnectionRequest);
    connect(&m_Winsock1, &ISocketControl::DataArrival, this, &YacListener::Winsock1_DataArrival);
    connect(&m_Winsock1, &ISocketControl::PeerClosed, this, &YacListener::Winsock1_PeerClosed);
    connect(&m_deadline, &QTimer::timeout, this, &YacListener::finishConnection);
    connect(&m_quiet, &QTimer::timeout, this, &YacListener::finishConnection);
    connect(&m_retry, &QTimer::timeout, this, &YacListener::relisten);
}

void YacListener::CloseYac()
{
    m_retry.stop();
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
    if (m_g.yacPort <= 0)
        return;
    m_Winsock1.SetLocalPort(m_g.yacPort);
    try {
        m_Winsock1.Listen();
    } catch (const Failure &failure) {
        throw Failure(QStringLiteral("YAC listener"), failure.Description());
    }
}

// The listening socket is closed and the same control takes the client, so a second
// server that connects while this one is served is refused.
void YacListener::Winsock1_ConnectionRequest(qintptr requestId)
{
    try {
        if (m_Winsock1.State() != ISocketControl::sckClosed)
            m_Winsock1.Close();
        m_Winsock1.Accept(requestId);
        m_received.clear();
        m_serving = true;
        m_deadline.start();
    } catch (const std::exception &e) {
        qCDebug(lcYac) << "cannot take a connection:" << e.what();
        relisten();
    }
}

void YacListener::Winsock1_DataArrival(qint64 bytesTotal)
{
    Q_UNUSED(bytesTotal)
    if (!m_serving)
        return;
    try {
        collect();
    } catch (const std::exception &e) {
        qCDebug(lcYac) << "cannot read:" << e.what();
        finishConnection();
    }
}

// A server that closes right after connecting, before sending anything, also ends here.
void YacListener::Winsock1_PeerClosed()
{
    if (!m_serving)
        return;
    try {
        m_received += m_Winsock1.GetBytes();
        m_received.truncate(kMaxMessageBytes);
    } catch (const std::exception &e) {
        qCDebug(lcYac) << "cannot read:" << e.what();
    }
    finishConnection();
}

void YacListener::collect()
{
    m_received += m_Winsock1.GetBytes();
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
    // Decoded whole, as a UTF-8 character may straddle two pieces.
    const QString text = YacMessage::FirstMessage(WireText::Decode(m_received));
    // Listening again before the pop keeps the time in which other servers are refused
    // short, and holds whatever the pop does.
    relisten();
    if (auto call = YacMessage::Parse(text)) {
        try {
            m_pop.ShowCaller(call->number, call->name);
        } catch (const std::exception &e) {
            qCDebug(lcYac) << "showing the caller failed:" << e.what();
        }
    }
}

void YacListener::relisten()
{
    try {
        ListenYac();
    } catch (const std::exception &e) {
        qCDebug(lcYac) << e.what() << "- trying again in" << m_retry.interval() << "ms";
        m_retry.start();
    }
}
