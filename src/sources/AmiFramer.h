// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Cuts the Manager Interface byte stream into whole messages: each read is appended to one
// buffer, and whatever it completes is cut off the front, so every message is judged whole.
//
// A connection opens with the one-line greeting "Asterisk Call Manager/11.0.0\r\n"; every
// later message is "Key: Value\r\n" lines closed by an empty line:
//   "Response: Success\r\nMessage: Authentication accepted\r\n\r\n"
class AmiFramer
{
public:
    // The largest unfinished message kept; the biggest Asterisk sends is about 1 KB.
    static constexpr qsizetype DefaultMaxTail = qsizetype(1) << 20;

    explicit AmiFramer(qsizetype maxTail = DefaultMaxTail);

    struct Frames
    {
        // The connection's first line, once it is complete; empty in every later read.
        QByteArray greeting;
        // Every message whose empty line has now arrived, concatenated exactly as received.
        QByteArray messages;
    };
    Frames Feed(QByteArrayView read);

    // A new connection: forget the kept bytes and expect the greeting again.
    void Reset();

    qsizetype TailSize() const { return m_buffer.size(); }
    // The most bytes ever kept at once.
    qsizetype PeakTailSize() const { return m_peakTail; }

private:
    enum class Mode { Greeting, Messages, Resync };

    void cut(Frames &frames);

    QByteArray m_buffer;
    // Bytes at the front of the buffer already searched without finding an end.
    qsizetype m_searched = 0;
    qsizetype m_maxTail;
    qsizetype m_peakTail = 0;
    Mode m_mode = Mode::Greeting;
};
