#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Cuts the Manager Interface byte stream into whole messages: the unfinished end of a read
// is kept and completed by the reads that follow, so every message is judged whole.
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

    // The bytes this read completes, concatenated exactly as received: the greeting and
    // every message whose empty line has now arrived. Empty when it completes none.
    QByteArray Feed(QByteArrayView read);

    // A new connection: forget the kept bytes and expect the greeting again.
    void Reset();

    qsizetype MaxTail() const { return m_maxTail; }
    qsizetype TailSize() const { return m_tail.size(); }
    // The most bytes ever kept at once, and the bytes dropped as over-long.
    qsizetype PeakTailSize() const { return m_peakTail; }
    qint64 DroppedBytes() const { return m_dropped; }

private:
    enum class Mode { Greeting, Messages, Resync };

    QByteArray feedMessages(QByteArrayView read);
    void keep(QByteArrayView read);

    QByteArray m_tail;
    qsizetype m_maxTail;
    qsizetype m_peakTail = 0;
    qint64 m_dropped = 0;
    Mode m_mode = Mode::Greeting;
};
