#include "sources/DialScan.h"

#include "platform/WireText.h"

#include <QStringTokenizer>

#include <array>
#include <cstring>
#include <string_view>

namespace {

constexpr std::array<unsigned char, 256> makeFoldTable()
{
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    return table;
}
constexpr auto kFold = makeFoldTable();

inline unsigned char fold(char c)
{
    return kFold[static_cast<unsigned char>(c)];
}

bool equalsIgnoringCase(QByteArrayView bytes, std::string_view ascii)
{
    if (bytes.size() != qsizetype(ascii.size()))
        return false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (fold(bytes[i]) != fold(ascii[i]))
            return false;
    }
    return true;
}

// An ASCII field tag, found with letter case ignored. Horspool's skips pass over most bytes
// of a value without looking at them, which matters on a busy PBX's event stream.
class Tag
{
public:
    explicit Tag(std::string_view tag) : m_size(qsizetype(tag.size()))
    {
        for (size_t i = 0; i < tag.size(); ++i)
            m_folded[i] = fold(tag[i]);
        m_skip.fill(m_size);
        for (qsizetype i = 0; i + 1 < m_size; ++i)
            m_skip[m_folded[i]] = m_size - 1 - i;
    }

    qsizetype size() const { return m_size; }

    // The first position at or after `from` where the whole tag lies in `text`, or -1.
    qsizetype find(QByteArrayView text, qsizetype from = 0) const
    {
        const char *data = text.data();
        const unsigned char last = m_folded[m_size - 1];
        for (qsizetype pos = from; pos + m_size <= text.size();) {
            const unsigned char c = fold(data[pos + m_size - 1]);
            if (c == last && matchesAt(data + pos))
                return pos;
            pos += m_skip[c];
        }
        return -1;
    }

private:
    bool matchesAt(const char *at) const
    {
        for (qsizetype i = 0; i + 1 < m_size; ++i) {
            if (fold(at[i]) != m_folded[i])
                return false;
        }
        return true;
    }

    qsizetype m_size;
    std::array<unsigned char, 32> m_folded{};
    std::array<qsizetype, 256> m_skip{};
};

// Asterisk 1.4:
//   "Event: Dial\r\nPrivilege: call,all\r\nSource: SIP/200-0a1b\r\n"
//   "Destination: SIP/101-0a1c\r\nCallerID: 5551234567\r\nCallerIDName: Front Desk\r\n..."
// The tags count anywhere in the block, as in every Asterisk client of that time.
const Tag kEventDial("Event: Dial");
const Tag kDestination("Destination: ");
const Tag kCallerId("CallerID: ");
const Tag kCallerIdName("CallerIDName: ");

// Later forms, matched as whole field names at the start of a line, since "DestCallerIDNum"
// ends in "CallerIDNum". Asterisk 1.8 to 11:
//   "Event: Dial\r\nSubEvent: Begin\r\nChannel: SIP/200-0a1b\r\nDestination: SIP/101-0a1c\r\n"
//   "CallerIDNum: 5551234567\r\nCallerIDName: Front Desk\r\n..."
// Asterisk 12 and later:
//   "Event: DialBegin\r\nChannel: Local/100@test-00000000;2\r\nCallerIDNum: 5551234567\r\n"
//   "CallerIDName: Front Desk\r\n...DestChannel: Local/101@inner-00000001;1\r\n..."
const Tag kLineSubEvent("\nSubEvent: ");
const Tag kLineDestChannel("\nDestChannel: ");
const Tag kLineDestination("\nDestination: ");
const Tag kLineCallerIdNum("\nCallerIDNum: ");
const Tag kLineCallerIdName("\nCallerIDName: ");

constexpr QByteArrayView kMessageEnd("\r\n\r\n");
const QString kUnknown = QStringLiteral("<unknown>");

// The value that starts at `start`, up to the CR that ends its line. The block ends in a CR,
// so there always is one.
QByteArrayView valueFrom(QByteArrayView block, qsizetype start)
{
    const auto *cr = static_cast<const char *>(
        std::memchr(block.data() + start, '\r', size_t(block.size() - start)));
    return block.sliced(start, cr - (block.data() + start));
}

QByteArrayView trimBlanks(QByteArrayView value)
{
    while (!value.isEmpty() && value.front() == ' ')
        value = value.sliced(1);
    while (!value.isEmpty() && value.back() == ' ')
        value.chop(1);
    return value;
}

std::optional<QByteArrayView> lineField(QByteArrayView block, const Tag &tag)
{
    const qsizetype at = tag.find(block);
    if (at < 0)
        return std::nullopt;
    return valueFrom(block, at + tag.size());
}

struct Dial
{
    QString destination;
    QString number;
    QString name;
};

// The newer forms: only the start of a dial pops, never "DialEnd", "DialState" or
// "SubEvent: End". A dial without a calling channel (an originated call) has no
// "CallerIDNum" line of its own and so no caller.
std::optional<Dial> readNewerForm(QByteArrayView block, bool atLineStart)
{
    if (!atLineStart)
        return std::nullopt;
    const QByteArrayView event = trimBlanks(valueFrom(block, 7));
    if (!equalsIgnoringCase(event, "DialBegin")) {
        if (!equalsIgnoringCase(event, "Dial"))
            return std::nullopt;
        const auto subEvent = lineField(block, kLineSubEvent);
        if (!subEvent || !equalsIgnoringCase(trimBlanks(*subEvent), "Begin"))
            return std::nullopt;
    }
    auto destination = lineField(block, kLineDestChannel);
    if (!destination)
        destination = lineField(block, kLineDestination);
    const auto number = lineField(block, kLineCallerIdNum);
    if (!destination || destination->isEmpty() || !number || number->isEmpty())
        return std::nullopt;
    const auto name = lineField(block, kLineCallerIdName);

    Dial dial;
    dial.destination = DialScan::Unescape(WireText::Decode(*destination));
    dial.number = DialScan::Unescape(WireText::Decode(trimBlanks(*number)));
    if (name)
        dial.name = DialScan::Unescape(WireText::Decode(trimBlanks(*name)));
    return dial;
}

// One block, from "Event: Dial" up to and including the first CR of its empty line.
std::optional<Dial> readBlock(QByteArrayView block, bool atLineStart)
{
    const qsizetype destinationTag = kDestination.find(block);
    const qsizetype numberTag = destinationTag < 0 ? -1 : kCallerId.find(block);
    if (destinationTag < 0 || numberTag < 0)
        return readNewerForm(block, atLineStart);

    const QByteArrayView destination = valueFrom(block, destinationTag + kDestination.size());
    const QByteArrayView number = valueFrom(block, numberTag + kCallerId.size());
    if (destination.isEmpty() || number.isEmpty())
        return std::nullopt;
    Dial dial;
    dial.destination = WireText::Decode(destination);
    dial.number = WireText::Decode(trimBlanks(number));
    if (const qsizetype nameTag = kCallerIdName.find(block); nameTag >= 0)
        dial.name = WireText::Decode(trimBlanks(valueFrom(block, nameTag + kCallerIdName.size())));
    return dial;
}

} // namespace

namespace DialScan {

std::optional<Caller> FirstCaller(QByteArrayView text, const QString &extensions)
{
    qsizetype from = 0;
    for (;;) {
        const qsizetype start = kEventDial.find(text, from);
        if (start < 0)
            return std::nullopt;
        const qsizetype end = text.indexOf(kMessageEnd, start);
        if (end < 0)
            return std::nullopt;
        // A skipped block lets the search go on from its empty line.
        from = end;

        const bool atLineStart = start == 0 || text[start - 1] == '\n';
        auto dial = readBlock(text.sliced(start, end + 1 - start), atLineStart);
        if (!dial)
            continue;
        if (dial->name == kUnknown)
            dial->name.clear();
        // "<unknown>" and internal extensions such as "201" are no caller to look up.
        if (dial->number == kUnknown || dial->number.size() <= 5)
            continue;
        if (!MatchesExtension(dial->destination, extensions))
            continue;
        return Caller{std::move(dial->number), std::move(dial->name)};
    }
}

bool MatchesExtension(const QString &destination, const QString &extensions)
{
    if (extensions.isEmpty())
        return true;
    // Elements keep their blanks: "101, 102" holds " 102", which needs the blank too.
    for (const QStringView extension : qTokenize(extensions, u',')) {
        if (!extension.isEmpty() && destination.contains(extension, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString Unescape(const QString &value)
{
    if (!value.contains(u'\\'))
        return value;
    QString plain;
    plain.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\' && i + 1 < value.size()) {
            const QChar next = value[i + 1];
            if (next == u'\\' || next == u'\'' || next == u'"' || next == u'?') {
                plain.append(next);
                ++i;
                continue;
            }
        }
        plain.append(c);
    }
    return plain;
}

} // namespace DialScan
