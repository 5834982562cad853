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

// Windows-1252's 0x80..0x9F; the five bytes it leaves unassigned keep their C1 control.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The length of the valid UTF-8 sequence at `at`, or 0 when the byte there does not start one.
qsizetype utf8Length(QByteArrayView bytes, qsizetype at)
{
    const auto lead = uchar(bytes[at]);
    const qsizetype length = lead < 0xC2   ? 0
                             : lead < 0xE0 ? 2
                             : lead < 0xF0 ? 3
                             : lead < 0xF5 ? 4
                                           : 0;
    if (length == 0 || at + length > bytes.size())
        return 0;
    for (qsizetype i = 1; i < length; ++i) {
        if ((uchar(bytes[at + i]) & 0xC0) != 0x80)
            return 0;
    }
    // Overlong forms, UTF-16 surrogates and code points past U+10FFFF are not UTF-8.
    const auto second = uchar(bytes[at + 1]);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

// A hand-typed file may hold Latin-1 or Windows-1252 text: each valid UTF-8 sequence is read
// as UTF-8 and every other byte as Windows-1252, so no byte is lost or replaced. (The wire
// text decodes the same way; this copy keeps the bottom floor free of the adapters.)
QString decodeTyped(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        const auto b = uchar(bytes[at]);
        const qsizetype length = b < 0x80 ? 1 : utf8Length(bytes, at);
        if (length > 1) {
            // Decoded here, not by QString::fromUtf8, which drops a U+FEFF that starts its text.
            char32_t code = b & (0x7F >> length);
            for (qsizetype i = 1; i < length; ++i)
                code = (code << 6) | (uchar(bytes[at + i]) & 0x3F);
            text += QChar::fromUcs4(code);
            at += length;
        } else {
            text += QChar(b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : char16_t(b));
            ++at;
        }
    }
    return text;
}

// Appends what the escape at raw[i] (just after its backslash) stands for, and moves past it.
void unescapeOne(QByteArrayView raw, qsizetype &i, QByteArray &bytes)
{
    auto appendCode = [&](uint code) { bytes += QString(QChar(char16_t(code))).toUtf8(); };
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
    } else if ((e == '\n' || e == '\r') && i < raw.size() && (raw[i] == '\n' || raw[i] == '\r') &&
               raw[i] != e) {
        ++i;
    }
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

    skipBlanks();
    while (i < raw.size()) {
        const char ch = raw[i];
        if (ch == '\\') {
            ++i;
            if (i >= raw.size())
                break;
            unescapeOne(raw, i, bytes);
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
    while (!anyQuotes && bytes.size() > keepFrom && isBlank(bytes.back()))
        bytes.chop(1);
    text = decodeTyped(bytes);
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

// The text of a value as it stands after "=": quotes, escapes and "@" forms taken apart.
QString valueText(QByteArrayView raw)
{
    QString text;
    if (!unescape(raw, text))
        return decodeTyped(raw).trimmed();
    return fromVariantText(text);
}

// Every entry of the file as "section\0key", with the 1-based line it starts on; the last of
// repeated keys wins.
struct Entry
{
    QString value;
    qsizetype line = 0;
};
using Entries = QHash<QByteArray, Entry>;

QByteArray entryName(QByteArrayView section, QByteArrayView key)
{
    return section.toByteArray() + '\0' + key.toByteArray();
}

Entries entriesOf(QByteArrayView file)
{
    Entries entries;
    qsizetype lineNumber = 1, counted = 0;
    forEachEntry(file, [&](QByteArrayView section, const Line &line, bool header) {
        // CR LF, LF and a lone CR each end a line.
        for (; counted < line.start; ++counted) {
            if (file[counted] == '\n' || (file[counted] == '\r' && (counted + 1 >= file.size() ||
                                                                    file[counted + 1] != '\n')))
                ++lineNumber;
        }
        if (!header)
            entries.insert(
                entryName(section, keyOf(file, line)),
                {valueText(file.sliced(line.equals + 1, line.end - line.equals - 1)), lineNumber});
    });
    return entries;
}

// Edits as (from, to, replacement), found in file order.
struct Edit
{
    qsizetype from, to;
    QByteArray text;
};

// The file's own line end. In a file of lone CRs an added LF would join a CR into a CR LF,
// which a final "\\" takes into its line with the key after it.
QByteArray lineEndOf(QByteArrayView file)
{
    const qsizetype firstLf = file.indexOf('\n');
    return firstLf > 0 && file[firstLf - 1] == '\r' ? "\r\n"
           : firstLf < 0 && file.contains('\r')     ? "\r"
                                                    : "\n";
}

// `file` with the edits made.
QByteArray applied(QByteArrayView file, QList<Edit> edits)
{
    std::sort(edits.begin(), edits.end(),
              [](const Edit &a, const Edit &b) { return a.from < b.from; });
    QByteArray result;
    result.reserve(file.size() + 256);
    qsizetype at = 0;
    for (const Edit &edit : edits) {
        result += file.sliced(at, edit.from - at);
        result += edit.text;
        at = edit.to;
    }
    result += file.sliced(at);
    return result;
}

// `file` with the values written; `extraEnds` more line ends before the added keys.
QByteArray edited(QByteArrayView file, const QByteArray &sectionBytes,
                  const IniText::KeyValues &values, int extraEnds)
{
    const QByteArray eol = lineEndOf(file);
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
            // Text that already reads as the value stays as typed ("Caf\xe9" in Windows-1252).
            if (valueText(file.sliced(line.equals + 1, line.end - line.equals - 1)) !=
                values[k].second)
                edits.append({from, to, IniText::escaped(values[k].second)});
            found[k] = true;
        }
    });

    QByteArray added = eol.repeated(extraEnds);
    for (qsizetype k = 0; k < values.size(); ++k) {
        if (!found[k])
            added += eol + values[k].first.toUtf8() + '=' + IniText::escaped(values[k].second);
    }
    if (added.size() > eol.size() * extraEnds) {
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
    return applied(file, std::move(edits));
}

} // namespace

namespace IniText {

std::optional<QString> value(QByteArrayView file, const QString &section, const QString &key)
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
    return valueText(*raw);
}

QHash<QString, QString> values(QByteArrayView file, const QString &section)
{
    const QByteArray sectionBytes = section.toUtf8();
    QHash<QString, QString> values;
    forEachEntry(file, [&](QByteArrayView inSection, const Line &line, bool header) {
        if (!header && inSection == sectionBytes)
            values.insert(decodeTyped(keyOf(file, line)),
                          valueText(file.sliced(line.equals + 1, line.end - line.equals - 1)));
    });
    return values;
}

Update withValues(QByteArrayView file, const QString &section, const KeyValues &values)
{
    const QByteArray sectionBytes = section.toUtf8();
    const Entries before = entriesOf(file);
    Entries expected = before;
    for (const auto &[key, text] : values)
        expected[entryName(sectionBytes, key.toUtf8())].value = text;
    // Read back what is about to be written: every key the file held reads as it did, the
    // written ones as written. A final "\\" continues its line over the first line end, so
    // an added key may need a second one.
    Update update;
    for (int extraEnds : {0, 1}) {
        update.text = edited(file, sectionBytes, values, extraEnds);
        const Entries after = entriesOf(update.text);
        const bool same = after.size() == expected.size() &&
                          std::all_of(after.keyValueBegin(), after.keyValueEnd(), [&](auto entry) {
                              const auto want = expected.constFind(entry.first);
                              return want != expected.cend() && want->value == entry.second.value;
                          });
        if (same)
            return update;
    }
    // Not placed safely (an unclosed quote takes in what follows it): name the first line
    // that would read differently, or the last line when only the written keys would.
    update.text.clear();
    const Entries after = entriesOf(edited(file, sectionBytes, values, 0));
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const auto now = after.constFind(it.key());
        const bool changed = now == after.cend() || now->value != it->value;
        if (changed && expected.value(it.key()).value == it->value &&
            (update.refusedLine == 0 || it->line < update.refusedLine))
            update.refusedLine = it->line;
    }
    if (update.refusedLine == 0)
        update.refusedLine = std::max<qsizetype>(1, file.count('\n') + 1);
    return update;
}

QByteArray escaped(const QString &text)
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
        escapeHexDigit =
            (c < 0x20 && !QByteArrayView("\a\b\f\n\r\t\v").contains(char(c))) || c == 0xFEFF;
        static constexpr std::pair<char16_t, const char *> named[] = {
            {'\a', "\\a"}, {'\b', "\\b"}, {'\f', "\\f"}, {'\n', "\\n"}, {'\r', "\\r"},
            {'\t', "\\t"}, {'\v', "\\v"}, {'"', "\\\""}, {'\\', "\\\\"}};
        const auto hit = std::find_if(std::begin(named), std::end(named),
                                      [c](const auto &pair) { return pair.first == c; });
        if (hit != std::end(named))
            escape(at, hit->second);
        else if (c < 0x20 || c == 0xFEFF) // QSettings drops a U+FEFF as a byte-order mark
            escape(at, "\\x" + QByteArray::number(uint(c), 16));
    }
    out += plain.sliced(runFrom).toUtf8();
    const bool needsQuotes = plain.contains(QLatin1Char(';')) || plain.contains(QLatin1Char(',')) ||
                             plain.contains(QLatin1Char('=')) || out.startsWith(' ') ||
                             out.endsWith(' ');
    return needsQuotes ? '"' + out + '"' : out;
}

} // namespace IniText
