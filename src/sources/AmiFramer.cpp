// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/AmiFramer.h"

#include <string_view>

namespace {

// The empty line that closes a message: the CR LF of its last line and a CR LF of its own.
constexpr std::string_view kMessageEnd("\r\n\r\n");
constexpr std::string_view kLineEnd("\r\n");

// std::string_view's find runs on memchr, several times quicker here than QByteArray's
// indexOf with a needle longer than one byte.
qsizetype find(const QByteArray &bytes, std::string_view what, qsizetype from)
{
    const size_t at = std::string_view(bytes.constData(), size_t(bytes.size())).find(what, from);
    return at == std::string_view::npos ? -1 : qsizetype(at);
}

// Just past the last whole message in `bytes`, which starts with a message, or 0; no end
// starts before `from`. Searching backwards visits only the unfinished message at the end.
qsizetype lastMessageEnd(const QByteArray &bytes, qsizetype from)
{
    const std::string_view text(bytes.constData(), size_t(bytes.size()));
    const size_t at = text.substr(size_t(from)).rfind(kMessageEnd);
    if (at == std::string_view::npos)
        return 0;
    // Each message ends at the first empty line after its start, so in a run of line ends
    // ("a\r\n\r\n\r\n") the ends pair up from the run's start: "a\r\n\r\n" is a message and
    // the last "\r\n" begins the next, however the bytes came.
    qsizetype runStart = from + qsizetype(at);
    while (runStart >= 2 && text.substr(size_t(runStart) - 2, 2) == kLineEnd)
        runStart -= 2;
    const qsizetype lineEnds = (from + qsizetype(at) + 4 - runStart) / 2;
    return runStart + 4 * (lineEnds / 2);
}

} // namespace

AmiFramer::AmiFramer(qsizetype maxTail) : m_maxTail(maxTail)
{}

void AmiFramer::Reset()
{
    m_buffer.clear();
    m_searched = 0;
    m_mode = Mode::Greeting;
}

AmiFramer::Frames AmiFramer::Feed(QByteArrayView read)
{
    Frames frames;
    // Appended a bound's worth at a time, so that one huge read never sits in the buffer
    // whole: only complete messages leave, and an unfinished one is dropped at the bound.
    while (!read.isEmpty()) {
        const qsizetype room = qMax<qsizetype>(m_maxTail + 1 - m_buffer.size(), 1);
        const qsizetype take = qMin(read.size(), room);
        m_buffer.append(read.first(take));
        read = read.sliced(take);
        m_peakTail = qMax(m_peakTail, m_buffer.size());
        cut(frames);
    }
    return frames;
}

void AmiFramer::cut(Frames &frames)
{
    // An end may straddle the bytes already searched and the new ones.
    const auto from = [this](std::string_view end) {
        return qMax<qsizetype>(0, m_searched - qsizetype(end.size() - 1));
    };
    for (;;) {
        if (m_mode == Mode::Greeting) {
            // "Asterisk Call Manager/11.0.0\r\n" has no empty line after it: its CR LF ends it.
            const qsizetype at = find(m_buffer, kLineEnd, from(kLineEnd));
            if (at >= 0) {
                const qsizetype end = at + qsizetype(kLineEnd.size());
                frames.greeting = m_buffer.first(end);
                m_buffer.remove(0, end);
                m_searched = 0;
                m_mode = Mode::Messages;
                continue;
            }
        } else if (m_mode == Mode::Resync) {
            // Skipping the rest of an over-long message, up to its empty line.
            const qsizetype at = find(m_buffer, kMessageEnd, from(kMessageEnd));
            if (at >= 0) {
                m_buffer.remove(0, at + qsizetype(kMessageEnd.size()));
                m_searched = 0;
                m_mode = Mode::Messages;
                continue;
            }
        } else {
            const qsizetype end = lastMessageEnd(m_buffer, from(kMessageEnd));
            if (end > 0) {
                if (frames.messages.isEmpty() && end == m_buffer.size()) {
                    frames.messages.swap(m_buffer);
                } else {
                    frames.messages.append(QByteArrayView(m_buffer).first(end));
                    m_buffer.remove(0, end);
                }
                m_searched = 0;
            }
        }
        break;
    }
    m_searched = m_buffer.size();
    if (m_buffer.size() <= m_maxTail)
        return;
    // Over-long: drop it, keeping the last bytes in case an end straddles into the next read.
    m_buffer = m_buffer.last(qsizetype(kMessageEnd.size() - 1));
    m_searched = m_buffer.size();
    m_mode = Mode::Resync;
}
