#include "ProfileFile.h"

#include "Cp932.h"
#include "ProfileEncoding.h"

#include <QBuffer>
#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

namespace kalvetra::profile {
namespace {

const QByteArray Crlf = QByteArrayLiteral("\r\n");

bool isBlank(char16_t c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// NOTE: blank and quote bytes never occur as the second byte of a CP932 character, nor
// within a longer UTF-8 one, so trimming byte-wise cannot cut a character in half.
QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && isBlank(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.sliced(begin, end - begin);
}

// The name as the file would hold it: only the blanks Windows removes, not every space
// Unicode knows (an ideographic space belongs to the name).
QString trimmedName(const QString& name)
{
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && isBlank(name[begin].unicode()))
        ++begin;
    while (end > begin && isBlank(name[end - 1].unicode()))
        --end;
    return name.sliced(begin, end - begin);
}

char16_t asciiLower(char16_t c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char16_t>(c - 'A' + 'a') : c;
}

// Names match without regard to the case of the single-byte letters only, as Windows does.
bool sameName(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (asciiLower(a[i].unicode()) != asciiLower(b[i].unicode()))
            return false;
    return true;
}

// The same comparison on a file's bytes: a two-byte CP932 character is compared as it is,
// since its second byte may look like an ASCII letter.
bool sameName(FileEncoding encoding, QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size();) {
        if (characterLength(encoding, static_cast<unsigned char>(a[i])) == 2) {
            if (a[i] != b[i] || (i + 1 < a.size() && a[i + 1] != b[i + 1]))
                return false;
            i += 2;
        } else {
            if (asciiLower(static_cast<unsigned char>(a[i])) != asciiLower(static_cast<unsigned char>(b[i])))
                return false;
            ++i;
        }
    }
    return true;
}

// Position of `c` as a character of its own (not the second byte of a two-byte one).
qsizetype findCharacter(FileEncoding encoding, QByteArrayView text, char c, qsizetype from = 0)
{
    for (qsizetype i = from; i < text.size();) {
        if (text[i] == c)
            return i;
        i += characterLength(encoding, static_cast<unsigned char>(text[i]));
    }
    return -1;
}

struct Line {
    enum Kind { Blank, Comment, Header, Key, Other } kind = Blank;
    QByteArrayView name;   // section of a header, key of a key line
    QByteArrayView value;  // raw text after "=" of a key line
};

Line classify(FileEncoding encoding, QByteArrayView raw)
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
        const qsizetype close = findCharacter(encoding, text, ']', 1);
        if (close > 0)
            return {Line::Header, trimmed(text.sliced(1, close - 1)), {}};
        return {Line::Other, {}, {}};
    }
    const qsizetype eq = text.indexOf('=');
    if (eq < 0)
        return {Line::Other, {}, {}};
    return {Line::Key, trimmed(text.first(eq)), text.sliced(eq + 1)};
}

// The first characters of `text` that take at most `limit` bytes in CP932, the length the
// profile functions measure values in whatever the file's encoding.
QString cutToCp932Length(const QString& text, qsizetype limit)
{
    const QByteArray bytes = cp932::encode(text);
    if (bytes.size() <= limit)
        return text;
    // Every character becomes one CP932 character ("?" when it has none): count them.
    const QByteArray kept = cp932::truncateAtCharacter(bytes, limit);
    qsizetype characters = 0;
    for (qsizetype i = 0; i < kept.size(); i += cp932::characterLength(static_cast<unsigned char>(kept[i])))
        ++characters;
    qsizetype units = 0;
    for (; characters > 0 && units < text.size(); --characters)
        units += text[units].isHighSurrogate() && units + 1 < text.size() && text[units + 1].isLowSurrogate() ? 2 : 1;
    return text.first(units);
}

QString valueOf(FileEncoding encoding, QByteArrayView raw)
{
    QByteArrayView v = trimmed(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.sliced(1, v.size() - 2);
    // The profile functions hand back a C string: nothing after a NUL survives.
    const qsizetype nul = v.indexOf('\0');
    if (nul >= 0)
        v = v.first(nul);
    // Only the bytes that can be kept are decoded: a value may be as long as the file.
    if (encoding == FileEncoding::Cp932)
        return cp932::decode(
            cp932::truncateAtCharacter(v.first(std::min(v.size(), MaxValueBytes + 1)).toByteArray(), MaxValueBytes));
    // A character takes at most four bytes in UTF-8 and at least one in CP932.
    return cutToCp932Length(QString::fromUtf8(v.first(std::min(v.size(), 4 * (MaxValueBytes + 1)))), MaxValueBytes);
}

bool hasLineBreakOrNul(const QString& text)
{
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(u'\0'));
}

// Names and values that would not read back as written (a second line, a key that ends
// early at its "=", a section that ends early at its "]") are refused instead of written.
bool storable(const QString& section, const QString& key, const QString& value)
{
    return !section.isEmpty() && !hasLineBreakOrNul(section) && !section.contains(u']') && !key.isEmpty() &&
           !hasLineBreakOrNul(key) && !key.contains(u'=') && key.front() != u';' && key.front() != u'[' &&
           !hasLineBreakOrNul(value);
}

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
    QString name;
    std::vector<qsizetype> keys;  // indices into the request
    QByteArray encodedName;
    enum { NotSeen, Inside, Done } state = NotSeen;
};

}  // namespace

QList<QString> readStrings(const QString& path, const QList<Key>& keys)
{
    QList<QString> results(keys.size());
    std::vector<bool> found(static_cast<size_t>(keys.size()), false);
    std::vector<WantedSection> sections;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QString section = trimmedName(keys[i].section);
        auto it = std::find_if(sections.begin(), sections.end(),
                               [&](const WantedSection& s) { return sameName(s.name, section); });
        if (it == sections.end())
            it = sections.insert(sections.end(), WantedSection{section, {}, {}});
        it->keys.push_back(i);
    }

    QFile file(path);
    if (openForReading(file) != Presence::Readable)
        return results;
    EncodedLineReader reader(file);
    const FileEncoding encoding = reader.encoding();
    // The names in the file's own form, so that no line needs decoding to be matched.
    std::vector<QByteArray> keyNames;
    for (const Key& k : keys)
        keyNames.push_back(encodeText(encoding, trimmedName(k.key)));
    for (WantedSection& s : sections)
        s.encodedName = encodeText(encoding, s.name);

    size_t open = sections.size();
    WantedSection* current = nullptr;
    while (open > 0) {
        const std::optional<TextLine> raw = reader.next();
        if (!raw)
            break;
        const Line line = classify(encoding, raw->text);
        if (line.kind == Line::Header) {
            if (current) {
                current->state = WantedSection::Done;
                --open;
            }
            current = nullptr;
            // Only the first section of a name counts; a later one of the same name is ignored.
            for (WantedSection& s : sections)
                if (s.state == WantedSection::NotSeen && sameName(encoding, s.encodedName, line.name)) {
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
            if (!found[k] && sameName(encoding, keyNames[k], line.name)) {
                found[k] = true;
                results[i] = valueOf(encoding, line.value);
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
    QString name;
    QString value;
    QByteArray key;  // in the file's form, once the file is open
    QByteArray encodedValue;
    bool written = false;
};

struct TargetSection {
    QString name;
    std::vector<PendingKey> keys;
    QByteArray encodedName;
    enum { NotSeen, Inside, Closed } state = NotSeen;
};

// Copies the old file to the new one line by line, replacing and inserting on the way, so
// that even a very large file is read only once and never held whole in memory. Kept
// lines go back as they were read; new ones are written in the file's encoding.
class Rewriter {
public:
    Rewriter(QIODevice& out, std::vector<TargetSection>& sections, FileEncoding encoding)
        : m_out(out), m_sections(sections), m_encoding(encoding)
    {
        m_out.write(byteOrderMark(encoding));
    }

    void line(const TextLine& raw)
    {
        const Line parsed = classify(m_encoding, raw.text);
        if (parsed.kind == Line::Header) {
            closeCurrent();
            for (TargetSection& s : m_sections)
                if (s.state == TargetSection::NotSeen && sameName(m_encoding, s.encodedName, parsed.name)) {
                    s.state = TargetSection::Inside;
                    m_current = &s;
                    break;
                }
            keep(raw);
            return;
        }
        if (!m_current) {
            keep(raw);
            return;
        }
        // Blank lines and comments after a section's last entry stay between it and the
        // next section: new keys go in before them.
        if (parsed.kind == Line::Blank || parsed.kind == Line::Comment) {
            m_held.push_back(raw);
            return;
        }
        flushHeld();
        if (parsed.kind == Line::Key) {
            for (PendingKey& k : m_current->keys)
                if (!k.written && sameName(m_encoding, k.key, parsed.name)) {
                    k.written = true;
                    const QByteArray replacement = parsed.name.toByteArray() + '=' + k.encodedValue + Crlf;
                    if (replacement == raw.text) {
                        keep(raw);
                    } else {
                        m_changed = true;
                        add(replacement);
                    }
                    return;
                }
        }
        keep(raw);
    }

    void finish()
    {
        closeCurrent();
        for (TargetSection& s : m_sections)
            if (s.state == TargetSection::NotSeen) {
                startLine();
                add('[' + s.encodedName + ']' + Crlf);
                m_current = &s;
                closeCurrent();
            }
    }

    bool changed() const { return m_changed; }

private:
    void keep(const TextLine& line)
    {
        if (line.original.isEmpty())
            return;
        m_out.write(line.original);
        m_atLineStart = line.text.endsWith('\n');
    }

    void add(const QByteArray& text)
    {
        m_out.write(fileBytes(m_encoding, text));
        m_atLineStart = text.endsWith('\n');
    }

    // The last line of the old file may lack its line end; a line added after it needs one.
    void startLine()
    {
        if (!m_atLineStart)
            add(Crlf);
    }

    void flushHeld()
    {
        for (const TextLine& line : m_held)
            keep(line);
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
                add(k.key + '=' + k.encodedValue + Crlf);
            }
        flushHeld();
        m_current->state = TargetSection::Closed;
        m_current = nullptr;
    }

    QIODevice& m_out;
    std::vector<TargetSection>& m_sections;
    FileEncoding m_encoding;
    TargetSection* m_current = nullptr;
    std::vector<TextLine> m_held;
    bool m_atLineStart = true;
    bool m_changed = false;
};

// Qt tells file errors as the system's text; the number is found back by that text.
int systemErrorOf(const QFileDevice& file, const QString& path)
{
    const QString text = file.errorString();
    for (const int number : {ENOSPC, EDQUOT, EACCES, EPERM, EROFS, ENOENT, EISDIR, EIO})
        if (text == qt_error_string(number))
            return number;
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        return ENOENT;
    // QSaveFile's own refusal of a read-only file.
    if ((info.exists() && !info.isWritable()) || !QFileInfo(info.absolutePath()).isWritable())
        return EACCES;
    return EIO;
}

// Rewrites an existing file in place with `bytes`: its owner, its mode and its other hard
// links stay. Only for a file whose folder takes no new file, since a failure part way
// leaves it damaged.
bool writeInPlace(const QString& path, const QByteArray& bytes, int& systemError)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        systemError = systemErrorOf(file, path);
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.resize(bytes.size())) {
        systemError = systemErrorOf(file, path);
        return false;
    }
    return true;
}

}  // namespace

bool writeStrings(const QString& path, const QList<Entry>& entries, int* systemError)
{
    int ignored = 0;
    int& why = systemError ? *systemError : ignored;
    why = 0;
    std::vector<TargetSection> sections;
    bool allStorable = true;
    for (const Entry& e : entries) {
        const QString section = trimmedName(e.section);
        const QString key = trimmedName(e.key);
        if (!storable(section, key, e.value)) {
            allStorable = false;
            continue;
        }
        auto s = std::find_if(sections.begin(), sections.end(),
                              [&](const TargetSection& t) { return sameName(t.name, section); });
        if (s == sections.end())
            s = sections.insert(sections.end(), TargetSection{section, {}, {}});
        auto k = std::find_if(s->keys.begin(), s->keys.end(),
                              [&](const PendingKey& p) { return sameName(p.name, key); });
        if (k == s->keys.end())
            s->keys.push_back(PendingKey{key, e.value, {}, {}});
        else
            k->value = e.value;  // a later write of the same key wins, as it would in turn
    }
    if (sections.empty())
        return allStorable;

    QFile in(path);
    const Presence presence = openForReading(in);
    // A file that exists but cannot be read must not be replaced by one holding only our keys.
    if (presence == Presence::Unusable) {
        why = QFileInfo(path).isFile() ? EACCES : EISDIR;
        return false;
    }
    QSaveFile out(path);
    const bool replacing = out.open(QIODevice::WriteOnly);
    if (!replacing) {
        why = systemErrorOf(out, path);
        // NOTE: a folder that takes no new file may still hold a settings file that can be
        // written (a shared one, linked from elsewhere): it is then rewritten in place. Not
        // on a full disk, where a rewrite could stop part way.
        if (presence != Presence::Readable || (why != EACCES && why != EPERM))
            return false;
    }
    QBuffer inMemory;
    inMemory.open(QIODevice::WriteOnly);
    std::optional<EncodedLineReader> reader;
    if (presence == Presence::Readable)
        reader.emplace(in);
    // A new file is written as Windows writes one: in CP932.
    const FileEncoding encoding = reader ? reader->encoding() : FileEncoding::Cp932;
    for (TargetSection& s : sections) {
        s.encodedName = encodeText(encoding, s.name);
        for (PendingKey& k : s.keys) {
            k.key = encodeText(encoding, k.name);
            k.encodedValue = encodeText(encoding, k.value);
        }
    }

    Rewriter rewriter(replacing ? static_cast<QIODevice&>(out) : inMemory, sections, encoding);
    if (reader) {
        while (const std::optional<TextLine> raw = reader->next())
            rewriter.line(*raw);
        if (reader->failed()) {
            why = EIO;
            if (replacing)
                out.cancelWriting();
            return false;
        }
    }
    rewriter.finish();
    if (!rewriter.changed()) {
        if (replacing)
            out.cancelWriting();
        why = 0;
        return allStorable;
    }
    if (!replacing) {
        in.close();
        if (!writeInPlace(path, inMemory.data(), why))
            return false;
        why = 0;
        return allStorable;
    }
    // NOTE: commit checks only the writes that already reached the disk: the buffered rest is
    // flushed here, so that a full disk cannot put a cut-short file in place of the old one.
    if (!out.flush()) {
        why = systemErrorOf(out, path);
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        why = systemErrorOf(out, path);
        return false;
    }
    return allStorable;
}

bool writeString(const QString& path, const QString& section, const QString& key, const QString& value)
{
    return writeStrings(path, {Entry{section, key, value}});
}

}  // namespace kalvetra::profile
