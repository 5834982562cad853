// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/IniText.h"

#include <algorithm>
#include <iterator>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isLineSpace(char c)
{
    return isBlank(c) || c == '\n' || c == '\r';
}

// One logical line of the file: `start` to `end` holds "key=value" or "[section]" without
// comment or line ending; a quoted value or a trailing backslash may carry it over several
// physical lines, as QSettings reads it.
struct Line
{
    qsizetype start = 0;
    qsizetype end = 0;
    qsizetype equals = -1;
};

// The next logical line from `pos`, skipping blank lines and ";" comments.
bool nextLine(QByteArrayView data, qsizetype &pos, Line &line)
{
    const qsizetype size = data.size();
    bool inQuotes = false;
    line.equals = -1;
    line.start = pos;
    while (line.start < size && isLineSpace(data[line.start]))
        ++line.start;
    qsizetype i = line.start;
    while (i < size) {
        const char ch = data[i++];
        if (ch == '=') {
            if (!inQuotes && line.equals < 0)
                line.equals = i - 1;
        } else if (ch == '\n' || ch == '\r') {
            if (i == line.start + 1) {
                ++line.start;
            } else if (!inQuotes) {
                --i;
                break;
            }
        } else if (ch == '\\') {
            // The escaped character, and with it a CR LF or LF CR, belongs to the line.
            if (i < size) {
                const char escaped = data[i++];
                if (i < size &&
                    ((escaped == '\n' && data[i] == '\r') || (escaped == '\r' && data[i] == '\n')))
                    ++i;
            }
        } else if (ch == '"') {
            inQuotes = !inQuotes;
        } else if (ch == ';') {
            if (i == line.start + 1) {
                while (i < size && data[i] != '\n' && data[i] != '\r')
                    ++i;
                while (i < size && isLineSpace(data[i]))
                    ++i;
                line.start = i;
            } else if (!inQuotes) {
                --i;
                break;
            }
        }
    }
    pos = i;
    line.end = i;
    return line.end > line.start;
}

// Walks the entries of the file with the section each stands in.
template <typename Visit> void forEachEntry(QByteArrayView file, Visit visit)
{
    qsizetype pos = file.startsWith("\xef\xbb\xbf") ? 3 : 0;
    QByteArrayView section = "General";
    Line line;
    while (nextLine(file, pos, line)) {
        const QByteArrayView text = file.sliced(line.start, line.end - line.start);
        if (text.startsWith('[')) {
            const qsizetype close = text.indexOf(']');
            section = text.first(close < 0 ? text.size() : close).sliced(1).trimmed();
            visit(section, line, true);
        } else if (line.equals >= 0) {
            visit(section, line, false);
        }
    }
}

QByteArrayView keyOf(QByteArrayView file, const Line &line)
{
    return file.sliced(line.start, line.equals - line.start).trimmed();
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The value text as QSettings takes it apart: quotes, backslash escapes, blanks trimmed
// outside quotes. Returns false when an unquoted comma makes it a list.
bool unescape(QByteArrayView raw, QString &text)
{
    QByteArray bytes;
    bool quoted = false;    // inside "..."
    bool anyQuotes = false; // the value had quotes, so its blanks are kept
    qsizetype keepFrom = 0; // blanks before this index are not chopped (escaped or quoted)
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < raw.size() && isBlank(raw[i]))
            ++i;
    };
    auto chopBlanks = [&] {
        while (bytes.size() > keepFrom && isBlank(bytes.back()))
            bytes.chop(1);
    };
    auto appendCode = [&](uint code) { bytes += QString(QChar(char16_t(code))).toUtf8(); };

    skipBlanks();
    while (i < raw.size()) {
        const char ch = raw[i];
        if (ch == '\\') {
            ++i;
            if (i >= raw.size())
                break;
            const char e = raw[i++];
            static constexpr std::pair<char, char> simple[] = {
                {'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'},  {'r', '\r'}, {'t', '\t'},
                {'v', '\v'}, {'"', '"'},  {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
            const auto hit = std::find_if(std::begin(simple), std::end(simple),
                                          [e](const auto &pair) { return pair.first == e; });
            if (hit != std::end(simple)) {
                bytes += hit->second;
            } else if (e == 'x' && i < raw.size() && hexDigit(raw[i]) >= 0) {
                uint code = 0;
                while (i < raw.size() && hexDigit(raw[i]) >= 0)
                    code = ((code << 4) + uint(hexDigit(raw[i++]))) & 0xFFFF;
                appendCode(code);
            } else if (e >= '0' && e <= '7') {
                uint code = uint(e - '0');
                while (i < raw.size() && raw[i] >= '0' && raw[i] <= '7')
                    code = ((code << 3) + uint(raw[i++] - '0')) & 0xFFFF;
                appendCode(code);
            } else if ((e == '\n' || e == '\r') && i < raw.size() &&
                       (raw[i] == '\n' || raw[i] == '\r') && raw[i] != e) {
                ++i;
            }
            keepFrom = bytes.size();
        } else if (ch == '"') {
            ++i;
            anyQuotes = true;
            quoted = !quoted;
            if (!quoted) {
                keepFrom = bytes.size();
                skipBlanks();
            }
        } else if (ch == ',' && !quoted) {
            return false;
        } else {
            bytes += ch;
            ++i;
        }
    }
    if (!anyQuotes)
        chopBlanks();
    text = QString::fromUtf8(bytes);
    return true;
}

// What QSettings makes of a value that starts with "@".
QString fromVariantText(const QString &text)
{
    if (text.startsWith(QLatin1String("@@")))
        return text.sliced(1);
    if (text == QLatin1String("@Invalid()"))
        return {};
    for (QLatin1String wrapper : {QLatin1String("@ByteArray("), QLatin1String("@String(")}) {
        if (text.startsWith(wrapper) && text.endsWith(QLatin1Char(')')))
            return text.sliced(wrapper.size()).chopped(1);
    }
    return text;
}

} // namespace

namespace IniText {

std::optional<QString> Value(QByteArrayView file, const QString &section, const QString &key)
{
    const QByteArray sectionBytes = section.toUtf8();
    const QByteArray keyBytes = key.toUtf8();
    std::optional<QByteArrayView> raw;
    forEachEntry(file, [&](QByteArrayView inSection, const Line &line, bool header) {
        if (!header && inSection == sectionBytes && keyOf(file, line) == keyBytes)
            raw = file.sliced(line.equals + 1, line.end - line.equals - 1);
    });
    if (!raw)
        return std::nullopt;
    QString text;
    if (!unescape(*raw, text))
        return QString::fromUtf8(*raw).trimmed();
    return fromVariantText(text);
}

QByteArray WithValues(QByteArrayView file, const QString &section, const KeyValues &values)
{
    const QByteArray sectionBytes = section.toUtf8();
    const qsizetype firstLf = file.indexOf('\n');
    const QByteArray eol = firstLf > 0 && file[firstLf - 1] == '\r' ? "\r\n" : "\n";

    // Edits as (from, to, replacement), found in file order.
    struct Edit
    {
        qsizetype from, to;
        QByteArray text;
    };
    QList<Edit> edits;
    QList<bool> found(values.size(), false);
    qsizetype sectionEnd = -1; // where a missing key goes: after the section's last line
    forEachEntry(file, [&](QByteArrayView inSection, const Line &line, bool header) {
        if (inSection != sectionBytes)
            return;
        // The end of the physical line, after any comment.
        qsizetype lineEnd = line.end;
        while (lineEnd < file.size() && file[lineEnd] != '\n' && file[lineEnd] != '\r')
            ++lineEnd;
        sectionEnd = lineEnd;
        if (header)
            return;
        const QByteArrayView key = keyOf(file, line);
        for (qsizetype k = 0; k < values.size(); ++k) {
            if (key != values[k].first.toUtf8())
                continue;
            // Keep the blanks around the value as typed: "startx = 100 ; left edge".
            qsizetype from = line.equals + 1, to = line.end;
            while (from < to && isBlank(file[from]))
                ++from;
            while (to > from && isBlank(file[to - 1]))
                --to;
            edits.append({from, to, Escaped(values[k].second)});
            found[k] = true;
        }
    });

    QByteArray added;
    for (qsizetype k = 0; k < values.size(); ++k) {
        if (!found[k])
            added += eol + values[k].first.toUtf8() + '=' + Escaped(values[k].second);
    }
    if (!added.isEmpty()) {
        if (sectionEnd >= 0) {
            edits.append({sectionEnd, sectionEnd, added});
        } else {
            QByteArray tail;
            if (!file.isEmpty())
                tail += (file.endsWith('\n') || file.endsWith('\r') ? eol : eol + eol);
            tail += '[' + sectionBytes + ']' + added + eol;
            edits.append({file.size(), file.size(), tail});
        }
    }
    std::sort(edits.begin(), edits.end(),
              [](const Edit &a, const Edit &b) { return a.from < b.from; });

    QByteArray result;
    result.reserve(file.size() + added.size() + 64);
    qsizetype at = 0;
    for (const Edit &edit : edits) {
        result += file.sliced(at, edit.from - at);
        result += edit.text;
        at = edit.to;
    }
    result += file.sliced(at);
    return result;
}

QByteArray Escaped(const QString &text)
{
    // A leading "@" marks a typed value for QSettings ("@Variant(...)"); "@@" is a plain "@".
    const QString plain = text.startsWith(QLatin1Char('@')) ? QLatin1Char('@') + text : text;
    QByteArray out;
    qsizetype runFrom = 0;       // characters from here on go out as UTF-8 in one piece
    bool escapeHexDigit = false; // after "\x1f" a following "a" would join the number
    auto escape = [&](qsizetype at, const QByteArray &escaped) {
        out += plain.sliced(runFrom, at - runFrom).toUtf8() + escaped;
        runFrom = at + 1;
    };
    for (qsizetype at = 0; at < plain.size(); ++at) {
        const char16_t c = plain[at].unicode();
        if (escapeHexDigit && c < 0x80 && hexDigit(char(c)) >= 0) {
            escape(at, "\\x" + QByteArray::number(uint(c), 16));
            continue;
        }
        escapeHexDigit = c < 0x20 && !QByteArrayView("\a\b\f\n\r\t\v").contains(char(c));
        static constexpr std::pair<char16_t, const char *> named[] = {
            {'\a', "\\a"}, {'\b', "\\b"}, {'\f', "\\f"}, {'\n', "\\n"}, {'\r', "\\r"},
            {'\t', "\\t"}, {'\v', "\\v"}, {'"', "\\\""}, {'\\', "\\\\"}};
        const auto hit = std::find_if(std::begin(named), std::end(named),
                                      [c](const auto &pair) { return pair.first == c; });
        if (hit != std::end(named))
            escape(at, hit->second);
        else if (c < 0x20)
            escape(at, "\\x" + QByteArray::number(uint(c), 16));
    }
    out += plain.sliced(runFrom).toUtf8();
    const bool needsQuotes = plain.contains(QLatin1Char(';')) || plain.contains(QLatin1Char(',')) ||
                             plain.contains(QLatin1Char('=')) || out.startsWith(' ') ||
                             out.endsWith(' ');
    return needsQuotes ? '"' + out + '"' : out;
}

} // namespace IniText
