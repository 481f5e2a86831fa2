#include "ProfileFile.h"

#include "Cp932.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <optional>
#include <vector>

namespace kalvetra::profile {
namespace {

const QByteArray Crlf = QByteArrayLiteral("\r\n");

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// NOTE: blank and quote bytes never occur as the second byte of a CP932 character, so
// trimming byte-wise cannot cut a character in half.
QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Case-insensitive for the single-byte letters only: a two-byte character is compared as
// it is, since its second byte may look like an ASCII letter.
bool sameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size();) {
        if (cp932::characterLength(static_cast<unsigned char>(a[i])) == 2) {
            if (a[i] != b[i] || (i + 1 < a.size() && a[i + 1] != b[i + 1]))
                return false;
            i += 2;
        } else {
            if (asciiLower(a[i]) != asciiLower(b[i]))
                return false;
            ++i;
        }
    }
    return true;
}

// Position of `c` as a character of its own (not the second byte of a two-byte one).
qsizetype findCharacter(QByteArrayView text, char c, qsizetype from = 0)
{
    for (qsizetype i = from; i < text.size();) {
        if (text[i] == c)
            return i;
        i += cp932::characterLength(static_cast<unsigned char>(text[i]));
    }
    return -1;
}

struct Line {
    enum Kind { Blank, Comment, Header, Key, Other } kind = Blank;
    QByteArrayView name;   // section of a header, key of a key line
    QByteArrayView value;  // raw text after "=" of a key line
};

Line classify(QByteArrayView raw)
{
    if (raw.endsWith('\n'))
        raw.chop(1);
    if (raw.endsWith('\r'))
        raw.chop(1);
    const QByteArrayView text = trimmed(raw);
    if (text.isEmpty())
        return {};
    if (text.front() == ';')
        return {Line::Comment, {}, {}};
    if (text.front() == '[') {
        const qsizetype close = findCharacter(text, ']', 1);
        if (close > 0)
            return {Line::Header, trimmed(text.sliced(1, close - 1)), {}};
        return {Line::Other, {}, {}};
    }
    const qsizetype eq = text.indexOf('=');
    if (eq < 0)
        return {Line::Other, {}, {}};
    return {Line::Key, trimmed(text.first(eq)), text.sliced(eq + 1)};
}

QByteArray valueOf(QByteArrayView raw)
{
    QByteArrayView v = trimmed(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.sliced(1, v.size() - 2);
    // The profile functions hand back a C string: nothing after a NUL survives.
    const qsizetype nul = v.indexOf('\0');
    if (nul >= 0)
        v = v.first(nul);
    // Only the bytes that can be kept are copied: a value may be as long as the file.
    return cp932::truncateAtCharacter(v.first(std::min(v.size(), MaxValueBytes + 1)).toByteArray(), MaxValueBytes);
}

QByteArray encodedName(const QString& name)
{
    return trimmed(cp932::encode(name)).toByteArray();
}

bool hasLineBreakOrNul(QByteArrayView text)
{
    return text.contains('\r') || text.contains('\n') || text.contains('\0');
}

// Names and values that would not read back as written (a second line, a key that ends
// early at its "=", a section that ends early at its "]") are refused instead of written.
bool storable(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    return !section.isEmpty() && !hasLineBreakOrNul(section) && findCharacter(section, ']') < 0 && !key.isEmpty() &&
           !hasLineBreakOrNul(key) && !key.contains('=') && key.front() != ';' && key.front() != '[' &&
           !hasLineBreakOrNul(value);
}

// The file as lines with their own line ends, read once from start to end.
class LineReader {
public:
    explicit LineReader(QFile& file) : m_file(file) {}

    std::optional<QByteArray> next()
    {
        if (m_file.atEnd())
            return std::nullopt;
        QByteArray line = m_file.readLine();
        if (line.isEmpty())
            return std::nullopt;
        return line;
    }

    bool failed() const { return m_file.error() != QFileDevice::NoError; }

private:
    QFile& m_file;
};

enum class Presence { Missing, Readable, Unusable };

Presence openForReading(QFile& file)
{
    const QFileInfo info(file.fileName());
    if (!info.exists())
        return Presence::Missing;
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return Presence::Unusable;
    return Presence::Readable;
}

// ---- reading ---------------------------------------------------------------------------

struct WantedSection {
    QByteArray name;
    std::vector<qsizetype> keys;  // indices into the request
    enum { NotSeen, Inside, Done } state = NotSeen;
};

}  // namespace

QList<QString> readStrings(const QString& path, const QList<Key>& keys)
{
    QList<QString> results(keys.size());
    std::vector<QByteArray> keyNames;
    std::vector<bool> found(static_cast<size_t>(keys.size()), false);
    std::vector<WantedSection> sections;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        keyNames.push_back(encodedName(keys[i].key));
        const QByteArray section = encodedName(keys[i].section);
        auto it = std::find_if(sections.begin(), sections.end(),
                               [&](const WantedSection& s) { return sameName(s.name, section); });
        if (it == sections.end())
            it = sections.insert(sections.end(), WantedSection{section, {}});
        it->keys.push_back(i);
    }

    QFile file(path);
    if (openForReading(file) != Presence::Readable)
        return results;
    LineReader reader(file);
    size_t open = sections.size();
    WantedSection* current = nullptr;
    while (open > 0) {
        const std::optional<QByteArray> raw = reader.next();
        if (!raw)
            break;
        const Line line = classify(*raw);
        if (line.kind == Line::Header) {
            if (current) {
                current->state = WantedSection::Done;
                --open;
            }
            current = nullptr;
            // Only the first section of a name counts; a later one of the same name is ignored.
            for (WantedSection& s : sections)
                if (s.state == WantedSection::NotSeen && sameName(s.name, line.name)) {
                    s.state = WantedSection::Inside;
                    current = &s;
                    break;
                }
            continue;
        }
        if (!current || line.kind != Line::Key)
            continue;
        bool all = true;
        for (const qsizetype i : current->keys) {
            const auto k = static_cast<size_t>(i);
            if (!found[k] && sameName(keyNames[k], line.name)) {
                found[k] = true;
                results[i] = cp932::decode(valueOf(line.value));
            }
            all = all && found[k];
        }
        if (all) {
            current->state = WantedSection::Done;
            current = nullptr;
            --open;
        }
    }
    return results;
}

QString readString(const QString& path, const QString& section, const QString& key)
{
    return readStrings(path, {Key{section, key}}).front();
}

// ---- writing ---------------------------------------------------------------------------

namespace {

struct PendingKey {
    QByteArray key;
    QByteArray value;
    bool written = false;
};

struct TargetSection {
    QByteArray name;
    std::vector<PendingKey> keys;
    enum { NotSeen, Inside, Closed } state = NotSeen;
};

// Copies the old file to the new one line by line, replacing and inserting on the way, so
// that even a very large file is read only once and never held whole in memory.
class Rewriter {
public:
    Rewriter(QSaveFile& out, std::vector<TargetSection>& sections) : m_out(out), m_sections(sections) {}

    void line(const QByteArray& raw)
    {
        const Line parsed = classify(raw);
        if (parsed.kind == Line::Header) {
            closeCurrent();
            for (TargetSection& s : m_sections)
                if (s.state == TargetSection::NotSeen && sameName(s.name, parsed.name)) {
                    s.state = TargetSection::Inside;
                    m_current = &s;
                    break;
                }
            write(raw);
            return;
        }
        if (!m_current) {
            write(raw);
            return;
        }
        // Blank lines and comments after a section's last entry stay between it and the
        // next section: new keys go in before them.
        if (parsed.kind == Line::Blank || parsed.kind == Line::Comment) {
            m_held += raw;
            return;
        }
        flushHeld();
        if (parsed.kind == Line::Key) {
            for (PendingKey& k : m_current->keys)
                if (!k.written && sameName(k.key, parsed.name)) {
                    k.written = true;
                    const QByteArray replacement = parsed.name.toByteArray() + '=' + k.value + Crlf;
                    if (replacement != raw)
                        m_changed = true;
                    write(replacement);
                    return;
                }
        }
        write(raw);
    }

    void finish()
    {
        closeCurrent();
        for (TargetSection& s : m_sections)
            if (s.state == TargetSection::NotSeen) {
                startLine();
                write('[' + s.name + ']' + Crlf);
                m_current = &s;
                closeCurrent();
            }
    }

    bool changed() const { return m_changed; }

private:
    void write(const QByteArray& bytes)
    {
        if (bytes.isEmpty())
            return;
        m_out.write(bytes);
        m_atLineStart = bytes.endsWith('\n');
    }

    // The last line of the old file may lack its line end; a line added after it needs one.
    void startLine()
    {
        if (!m_atLineStart)
            write(Crlf);
    }

    void flushHeld()
    {
        write(m_held);
        m_held.clear();
    }

    void closeCurrent()
    {
        if (!m_current)
            return;
        for (PendingKey& k : m_current->keys)
            if (!k.written) {
                k.written = true;
                m_changed = true;
                startLine();
                write(k.key + '=' + k.value + Crlf);
            }
        flushHeld();
        m_current->state = TargetSection::Closed;
        m_current = nullptr;
    }

    QSaveFile& m_out;
    std::vector<TargetSection>& m_sections;
    TargetSection* m_current = nullptr;
    QByteArray m_held;
    bool m_atLineStart = true;
    bool m_changed = false;
};

}  // namespace

bool writeStrings(const QString& path, const QList<Entry>& entries)
{
    std::vector<TargetSection> sections;
    bool allStorable = true;
    for (const Entry& e : entries) {
        const QByteArray section = encodedName(e.section);
        const QByteArray key = encodedName(e.key);
        const QByteArray value = cp932::encode(e.value);
        if (!storable(section, key, value)) {
            allStorable = false;
            continue;
        }
        auto s = std::find_if(sections.begin(), sections.end(),
                              [&](const TargetSection& t) { return sameName(t.name, section); });
        if (s == sections.end())
            s = sections.insert(sections.end(), TargetSection{section, {}});
        auto k = std::find_if(s->keys.begin(), s->keys.end(),
                              [&](const PendingKey& p) { return sameName(p.key, key); });
        if (k == s->keys.end())
            s->keys.push_back(PendingKey{key, value});
        else
            k->value = value;  // a later write of the same key wins, as it would in turn
    }
    if (sections.empty())
        return allStorable;

    QFile in(path);
    const Presence presence = openForReading(in);
    // A file that exists but cannot be read must not be replaced by one holding only our keys.
    if (presence == Presence::Unusable)
        return false;

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    Rewriter rewriter(out, sections);
    if (presence == Presence::Readable) {
        LineReader reader(in);
        while (const std::optional<QByteArray> raw = reader.next())
            rewriter.line(*raw);
        if (reader.failed()) {
            out.cancelWriting();
            return false;
        }
    }
    rewriter.finish();
    if (!rewriter.changed()) {
        out.cancelWriting();
        return allStorable;
    }
    // NOTE: commit checks only the writes that already reached the disk: the buffered rest is
    // flushed here, so that a full disk cannot put a cut-short file in place of the old one.
    if (!out.flush()) {
        out.cancelWriting();
        return false;
    }
    return out.commit() && allStorable;
}

bool writeString(const QString& path, const QString& section, const QString& key, const QString& value)
{
    return writeStrings(path, {Entry{section, key, value}});
}

}  // namespace kalvetra::profile
