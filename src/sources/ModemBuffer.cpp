// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/ModemBuffer.h"

#include <QList>

#include <algorithm>
#include <limits>

namespace {

// The text from `from` up to the next CR (or LF, with `lfEnds`); none while that end has not
// come in yet.
std::optional<QString> lineFrom(const QString &text, qsizetype from, bool lfEnds)
{
    qsizetype end = text.indexOf(QLatin1Char('\r'), from);
    const qsizetype lf = lfEnds ? text.indexOf(QLatin1Char('\n'), from) : -1;
    if (lf >= 0 && (end < 0 || lf < end))
        end = lf;
    if (end < 0)
        return std::nullopt;
    return text.mid(from, end - from);
}

// Keeps the reason for the log unless the text is only line ends and blanks, which every
// report leaves behind.
void noteDrop(ModemBuffer::Step &step, const char *reason, const QString &text, bool always)
{
    if (!step.dropped && (always || !text.trimmed().isEmpty())) {
        step.dropped = reason;
        step.droppedText = text;
    }
}

// Where the number key stands, in order; nowhere for an empty key, which is found everywhere.
QList<qsizetype> keysIn(const QString &text, const QString &key)
{
    QList<qsizetype> at;
    for (qsizetype i = key.isEmpty() ? -1 : text.indexOf(key); i >= 0;
         i = text.indexOf(key, i + key.size()))
        at << i;
    return at;
}

// Where a "RING" line starts ("RINGO" inside a name line is not one), in order.
QList<qsizetype> ringsIn(const QString &text)
{
    QList<qsizetype> at;
    for (qsizetype i = text.indexOf(u"RING"); i >= 0; i = text.indexOf(u"RING", i + 4)) {
        if (i == 0 || text[i - 1] == u'\r' || text[i - 1] == u'\n')
            at << i;
    }
    return at;
}

} // namespace

// A report starts at a "RING" line or at a number key. What stands before such a start is
// dropped when it can no longer end in a report of its own: the rest of a report whose number
// was taken (a name a tick late), or a number key whose CR never came (LF-only line ends,
// noise). A complete number line is never dropped.
void ModemBuffer::dropStale(const QString &numberKey, Step &step)
{
    const QList<qsizetype> keys = keysIn(m_text, numberKey);
    QList<qsizetype> starts = ringsIn(m_text) + keys;
    std::sort(starts.begin(), starts.end());
    const auto firstAtOrAfter = [](const QList<qsizetype> &list, qsizetype from) {
        const auto it = std::lower_bound(list.cbegin(), list.cend(), from);
        return it == list.cend() ? qsizetype(-1) : *it;
    };

    const qsizetype restOfReport = m_afterNumber ? firstAtOrAfter(starts, 0) : -1;
    qsizetype cut = restOfReport;
    // The first CR after a number key, looked for again only once a later key passes it.
    qsizetype cr = -2;
    for (qsizetype from = std::max<qsizetype>(cut, 0);;) {
        const qsizetype key = firstAtOrAfter(keys, from);
        if (key < 0)
            break;
        const qsizetype lineAt = key + numberKey.size();
        if (cr != -1 && cr < lineAt)
            cr = m_text.indexOf(QLatin1Char('\r'), lineAt);
        const qsizetype next = firstAtOrAfter(starts, lineAt);
        if (next < 0 || (cr >= 0 && cr < next))
            break;
        cut = from = next;
    }
    if (cut < 0)
        return;
    noteDrop(step,
             cut == restOfReport ? "rest of a report already taken" : "number line never ended",
             m_text.left(cut), false);
    m_text.remove(0, cut);
    m_ticks = 0;
    m_afterNumber = false;
}

ModemBuffer::Step ModemBuffer::readStep(const QString &numberKey, const QString &nameKey)
{
    Step step;
    dropStale(numberKey, step);
    if (m_text.isEmpty()) {
        m_ticks = 0;
        // A tick passed with nothing after the number: what comes next is a report of its own.
        m_afterNumber = false;
    } else if (m_ticks < std::numeric_limits<qint16>::max()) {
        ++m_ticks;
    }

    Call caller;
    if (nameKey.size() > 1) {
        const qsizetype at = m_text.indexOf(nameKey);
        if (at >= 0 && m_ticks > 2)
            caller.name = lineFrom(m_text, at + nameKey.size(), true).value_or(QString());
    }

    // An empty number key is found at the start, so the number is the text up to the first CR.
    const qsizetype at = m_text.indexOf(numberKey);
    bool taken = false;
    if (at >= 0 && m_ticks > 2) {
        if (const std::optional<QString> number = lineFrom(m_text, at + numberKey.size(), false)) {
            taken = true;
            caller.number = *number;
            m_text.clear();
            m_ticks = 0;
            m_afterNumber = true;
        }
    } else if (at < 0 && m_ticks > kChatterTicks) {
        noteDrop(step, "no number key in 1000 ticks", m_text, false);
        m_text.clear();
        m_ticks = 0;
        m_afterNumber = false;
    }

    // A number key that never gets its CR must not let the buffer grow without end.
    if (m_text.size() > kMaxBuffer)
        m_text.remove(0, m_text.size() - kMaxBuffer);

    if (caller.number.size() > 1)
        step.caller = std::move(caller);
    else if (taken)
        noteDrop(step, "number shorter than two characters", caller.number, true);
    return step;
}

void ModemBuffer::clear()
{
    m_text.clear();
    m_ticks = 0;
    m_afterNumber = false;
    m_decoder.reset();
}
