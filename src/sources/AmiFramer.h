// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

// Cuts the Manager Interface byte stream into whole messages, so that every message is judged
// whole however the PBX's writes were cut. Messages are handed back as views: those inside
// one read point into it, and only a message that straddles two reads is copied, once, into
// one of two buffers that take turns. Nothing is allocated per message or per read once the
// buffers have grown to the largest unfinished message.
//
// A connection opens with the one-line greeting "Asterisk Call Manager/11.0.0\r\n"; every
// later message is "Key: Value\r\n" lines closed by an empty line:
//   "Response: Success\r\nMessage: Authentication accepted\r\n\r\n"
class AmiFramer
{
public:
    // The largest unfinished message kept; the biggest Asterisk sends is about 1 KB. A
    // message of more than this and one byte is dropped whole, up to its empty line.
    static constexpr qsizetype DefaultMaxTail = qsizetype(1) << 20;

    explicit AmiFramer(qsizetype maxTail = DefaultMaxTail);

    struct Frames
    {
        // The connection's first line, once it is complete; empty in every later read.
        QByteArrayView greeting;
        // Every message whose empty line has now arrived, each with its empty line, in order.
        // (A std::vector: its append is inlined, and a busy PBX sends 20,000 messages a second.)
        std::vector<QByteArrayView> messages;
    };
    // The views point into `read` and the framer's buffers: they hold until the next feed() or
    // reset(), and while `read` lives.
    const Frames &feed(QByteArrayView read);

    // A new connection: forget the kept bytes and expect the greeting again.
    void reset();

    qsizetype tailSize() const { return m_tail.size(); }
    // The most bytes ever kept at once.
    qsizetype peakTailSize() const { return m_peakTail; }

private:
    enum class Mode { Greeting, Messages, Resync };

    qsizetype findEnd(QByteArrayView read, qsizetype from) const;
    void take(QByteArrayView read, qsizetype start, qsizetype end);
    void keep(QByteArrayView read, qsizetype from);

    // The bytes of the unfinished message (while resyncing, the last few bytes searched),
    // which stand just before each new read.
    QByteArray m_tail;
    // The other buffer: what the last read completed of m_tail's message, then m_tail's next.
    QByteArray m_spare;
    Frames m_frames;
    // Where the current message starts and where its end may start, counted from the start
    // of the current read: negative inside the kept tail.
    qsizetype m_start = 0;
    qsizetype m_searchFrom = 0;
    qsizetype m_maxTail;
    qsizetype m_peakTail = 0;
    Mode m_mode = Mode::Greeting;
};
