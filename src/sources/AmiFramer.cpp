#include "sources/AmiFramer.h"

namespace {

// The empty line that closes a message: the CR LF of its last line and a CR LF of its own.
constexpr QByteArrayView kMessageEnd("\r\n\r\n");
constexpr QByteArrayView kLineEnd("\r\n");

// The end of a message end split across reads: its first `j` bytes close `before` and the
// rest open `read`. The index in `read` just past it, or -1.
qsizetype straddlingEnd(QByteArrayView before, QByteArrayView read, qsizetype j)
{
    if (before.size() < j || read.size() < 4 - j)
        return -1;
    if (before.last(j) == kMessageEnd.first(j) && read.first(4 - j) == kMessageEnd.sliced(j))
        return 4 - j;
    return -1;
}

// Just past the first message end that finishes inside `read`, or -1. `before` holds the
// bytes seen just before `read`; only its last three can matter.
qsizetype firstEnd(QByteArrayView before, QByteArrayView read)
{
    for (qsizetype j = 3; j >= 1; --j) {
        if (const qsizetype end = straddlingEnd(before, read, j); end >= 0)
            return end;
    }
    const qsizetype at = read.indexOf(kMessageEnd);
    return at < 0 ? -1 : at + 4;
}

// Just past the last message end that finishes inside `read`, or -1. Searching backwards
// visits only the unfinished message at the end of the read.
qsizetype lastEnd(QByteArrayView before, QByteArrayView read)
{
    if (const qsizetype at = read.lastIndexOf(kMessageEnd); at >= 0)
        return at + 4;
    for (qsizetype j = 1; j <= 3; ++j) {
        if (const qsizetype end = straddlingEnd(before, read, j); end >= 0)
            return end;
    }
    return -1;
}

} // namespace

AmiFramer::AmiFramer(qsizetype maxTail) : m_maxTail(maxTail)
{}

void AmiFramer::Reset()
{
    m_tail.clear();
    m_mode = Mode::Greeting;
}

QByteArray AmiFramer::Feed(QByteArrayView read)
{
    QByteArray greeting;
    if (m_mode == Mode::Greeting) {
        // "Asterisk Call Manager/11.0.0\r\n" has no empty line after it: its CR LF ends it.
        qsizetype end = -1;
        if (m_tail.endsWith('\r') && read.startsWith('\n'))
            end = 1;
        else if (const qsizetype at = read.indexOf(kLineEnd); at >= 0)
            end = at + 2;
        if (end < 0) {
            keep(read);
            return {};
        }
        greeting.reserve(m_tail.size() + end);
        greeting.append(m_tail).append(read.first(end));
        m_tail.truncate(0);
        m_mode = Mode::Messages;
        read = read.sliced(end);
    } else if (m_mode == Mode::Resync) {
        // Skipping the rest of an over-long message: the tail holds the last bytes seen,
        // in case its empty line straddles two reads.
        const qsizetype end = firstEnd(m_tail, read);
        if (end < 0) {
            m_dropped += read.size();
            m_tail.append(read.last(qMin<qsizetype>(3, read.size())));
            m_tail = m_tail.last(qMin<qsizetype>(3, m_tail.size()));
            return {};
        }
        m_dropped += end;
        m_tail.truncate(0);
        m_mode = Mode::Messages;
        read = read.sliced(end);
    }

    QByteArray messages = feedMessages(read);
    if (greeting.isEmpty())
        return messages;
    greeting.append(messages);
    return greeting;
}

QByteArray AmiFramer::feedMessages(QByteArrayView read)
{
    const qsizetype end = lastEnd(m_tail, read);
    if (end < 0) {
        keep(read);
        return {};
    }
    QByteArray done;
    if (m_tail.isEmpty()) {
        done = read.first(end).toByteArray();
    } else {
        done.reserve(m_tail.size() + end);
        done.append(m_tail).append(read.first(end));
        m_tail.truncate(0);
    }
    keep(read.sliced(end));
    return done;
}

// Keeps an unfinished message; one that outgrows the bound is dropped, and reading starts
// again after its empty line.
void AmiFramer::keep(QByteArrayView read)
{
    if (read.isEmpty())
        return;
    m_tail.append(read);
    m_peakTail = qMax(m_peakTail, m_tail.size());
    if (m_tail.size() <= m_maxTail)
        return;
    m_dropped += m_tail.size();
    m_tail = m_tail.last(qMin<qsizetype>(3, m_tail.size()));
    m_mode = Mode::Resync;
}
