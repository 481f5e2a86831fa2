#include "platform/ChmFile.h"

#include "platform/Cp932.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <chm_lib.h>

#include <limits>

namespace kalvetra {

namespace {

// ============================================================================================
// The archive's layout, as chmlib reads it. Every number chmlib later uses as an offset, a
// length, a divisor or a chunk to visit is checked here, so that a file cut short or written
// over is refused instead of taking the program down.
// ============================================================================================

constexpr qint64 ItsfLength = 0x60;  // chmlib always reads this much, whatever the version
constexpr qint64 ItspLength = 0x54;
constexpr std::uint32_t PmglHeaderLength = 0x14;
constexpr std::uint32_t PmgiHeaderLength = 0x08;
constexpr std::uint64_t MaxNameLength = CHM_MAX_PATHLEN;
constexpr std::uint64_t LzxFrameLength = 0x8000;
// NOTE: chmlib reads a compressed block into a buffer of the frame length plus this slack.
constexpr std::uint64_t CompressedBlockSlack = 6144;
constexpr qint64 MaxDirectoryBytes = qint64(64) << 20;
constexpr std::uint64_t MaxFileLength = std::uint64_t(64) << 20;

const char* const ResetTableName =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable";
const char* const ContentName = "::DataSpace/Storage/MSCompressed/Content";
const char* const ControlDataName = "::DataSpace/Storage/MSCompressed/ControlData";

std::uint32_t u32(const QByteArray& b, qsizetype at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData()) + at;
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::int32_t i32(const QByteArray& b, qsizetype at)
{
    return static_cast<std::int32_t>(u32(b, at));
}

std::uint64_t u64(const QByteArray& b, qsizetype at)
{
    return std::uint64_t(u32(b, at)) | std::uint64_t(u32(b, at + 4)) << 32;
}

// a + b <= limit, without overflowing.
bool fits(std::uint64_t a, std::uint64_t b, std::uint64_t limit)
{
    return a <= limit && b <= limit - a;
}

// [a + b, a + b + length) lies within [0, limit).
bool spanFits(std::uint64_t a, std::uint64_t b, std::uint64_t length, std::uint64_t limit)
{
    return fits(a, b, limit) && fits(a + b, length, limit);
}

std::optional<QByteArray> readAt(QFile& file, std::uint64_t offset, std::uint64_t length)
{
    const auto size = static_cast<std::uint64_t>(file.size());
    if (!fits(offset, length, size) || !file.seek(static_cast<qint64>(offset)))
        return std::nullopt;
    QByteArray bytes = file.read(static_cast<qint64>(length));
    if (static_cast<std::uint64_t>(bytes.size()) != length)
        return std::nullopt;
    return bytes;
}

// The directory's variable-length numbers: seven bits a byte, high bit set on all but the last.
std::optional<std::uint64_t> readEncodedInt(const QByteArray& chunk, std::uint32_t& at, std::uint32_t end)
{
    std::uint64_t value = 0;
    for (int i = 0; i < 9; ++i) {
        if (at >= end)
            return std::nullopt;
        const auto byte = static_cast<unsigned char>(chunk[at++]);
        value = value << 7 | (byte & 0x7F);
        if (byte < 0x80)
            return value;
    }
    return std::nullopt;
}

// A name in a directory chunk: chmlib copies it into a buffer of CHM_MAX_PATHLEN + 1 bytes and
// takes strlen(name) - 1, so it must be 1 to CHM_MAX_PATHLEN bytes long without a zero byte.
std::optional<QByteArray> readName(const QByteArray& chunk, std::uint32_t& at, std::uint32_t end)
{
    const std::optional<std::uint64_t> length = readEncodedInt(chunk, at, end);
    if (!length || *length == 0 || *length > MaxNameLength || *length > end - at)
        return std::nullopt;
    QByteArray name = chunk.mid(at, static_cast<qsizetype>(*length));
    at += static_cast<std::uint32_t>(*length);
    if (name.contains('\0'))
        return std::nullopt;
    return name;
}

QString foldedKey(const QString& normalised)
{
    return normalised.toCaseFolded();
}

enum class ChunkKind { Listing, Index, Other };

struct Chunk {
    ChunkKind kind = ChunkKind::Other;
    std::int32_t next = -1;              // listing chunks: the next in the chain
    std::vector<ChmFile::Entry> entries;  // listing chunks
    std::vector<std::uint64_t> children;  // index chunks: the chunks they point to
};

struct RawEntry {
    QByteArray name;
    ChmFile::Entry entry;
};

std::optional<Chunk> parseChunk(const QByteArray& chunk, std::uint32_t blockLength, std::uint32_t chunkCount,
                                std::vector<RawEntry>& raw)
{
    Chunk parsed;
    if (chunk.startsWith("PMGL")) {
        parsed.kind = ChunkKind::Listing;
        const std::uint32_t freeSpace = u32(chunk, 4);
        if (freeSpace > blockLength - PmglHeaderLength)
            return std::nullopt;
        parsed.next = i32(chunk, 0x10);
        const std::uint32_t end = blockLength - freeSpace;
        std::uint32_t at = PmglHeaderLength;
        while (at < end) {
            const std::optional<QByteArray> name = readName(chunk, at, end);
            if (!name)
                return std::nullopt;
            const std::optional<std::uint64_t> space = readEncodedInt(chunk, at, end);
            const std::optional<std::uint64_t> start = space ? readEncodedInt(chunk, at, end) : std::nullopt;
            const std::optional<std::uint64_t> length = start ? readEncodedInt(chunk, at, end) : std::nullopt;
            if (!length || *space > 1)
                return std::nullopt;
            ChmFile::Entry entry{QString::fromUtf8(*name), static_cast<int>(*space), *start, *length};
            raw.push_back({*name, entry});
            parsed.entries.push_back(std::move(entry));
        }
    } else if (chunk.startsWith("PMGI")) {
        parsed.kind = ChunkKind::Index;
        const std::uint32_t freeSpace = u32(chunk, 4);
        if (freeSpace > blockLength - PmgiHeaderLength)
            return std::nullopt;
        const std::uint32_t end = blockLength - freeSpace;
        std::uint32_t at = PmgiHeaderLength;
        while (at < end) {
            const std::optional<QByteArray> name = readName(chunk, at, end);
            const std::optional<std::uint64_t> child = name ? readEncodedInt(chunk, at, end) : std::nullopt;
            if (!child || *child >= chunkCount)
                return std::nullopt;
            parsed.children.push_back(*child);
        }
    }
    return parsed;
}

// chmlib looks names up by walking from the root chunk down through index chunks; a loop or
// a chunk of neither kind on that walk would hang or mislead it.
bool lookupWalkEnds(const std::vector<Chunk>& chunks, std::size_t root)
{
    enum class Mark { Unseen, OnPath, Done };
    std::vector<Mark> marks(chunks.size(), Mark::Unseen);
    struct Frame {
        std::size_t chunk;
        std::size_t nextChild;
    };
    std::vector<Frame> stack{{root, 0}};
    marks[root] = Mark::OnPath;
    while (!stack.empty()) {
        Frame& top = stack.back();
        const Chunk& chunk = chunks[top.chunk];
        if (chunk.kind == ChunkKind::Other)
            return false;
        if (chunk.kind == ChunkKind::Listing || top.nextChild == chunk.children.size()) {
            marks[top.chunk] = Mark::Done;
            stack.pop_back();
            continue;
        }
        const auto child = static_cast<std::size_t>(chunk.children[top.nextChild++]);
        if (marks[child] == Mark::OnPath)
            return false;
        if (marks[child] == Mark::Unseen) {
            marks[child] = Mark::OnPath;
            stack.push_back({child, 0});
        }
    }
    return true;
}

struct Layout {
    std::vector<ChmFile::Entry> entries;  // in the order chmlib lists them
};

// Checks the whole archive; the entries in listing order when chmlib can be trusted with it.
std::optional<Layout> checkLayout(QFile& file, ChmFile::Status& status)
{
    status = ChmFile::Status::Damaged;
    const auto fileSize = static_cast<std::uint64_t>(file.size());
    const QByteArray signature = file.peek(4);
    if (signature != "ITSF") {
        status = ChmFile::Status::NotHelpFile;
        return std::nullopt;
    }
    const std::optional<QByteArray> itsf = readAt(file, 0, ItsfLength);
    if (!itsf)
        return std::nullopt;
    const std::int32_t version = i32(*itsf, 4);
    const std::int32_t headerLength = i32(*itsf, 8);
    if (!((version == 2 && headerLength >= 0x58) || (version == 3 && headerLength >= 0x60)))
        return std::nullopt;
    const std::uint64_t directoryOffset = u64(*itsf, 0x48);
    const std::uint64_t directoryLength = u64(*itsf, 0x50);
    if (!fits(directoryOffset, directoryLength, fileSize) || directoryLength < ItspLength)
        return std::nullopt;
    const std::uint64_t dataOffset = version == 3 ? u64(*itsf, 0x58) : directoryOffset + directoryLength;
    if (dataOffset > fileSize)
        return std::nullopt;

    const std::optional<QByteArray> itsp = readAt(file, directoryOffset, ItspLength);
    if (!itsp || !itsp->startsWith("ITSP") || i32(*itsp, 4) != 1 || i32(*itsp, 8) != ItspLength)
        return std::nullopt;
    const std::uint32_t blockLength = u32(*itsp, 0x10);
    const std::int32_t indexRoot = i32(*itsp, 0x1C);
    const std::int32_t indexHead = i32(*itsp, 0x20);
    if (blockLength < 0x40 || blockLength > 0x100000)
        return std::nullopt;
    // NOTE: the chunk count of the header is not to be trusted (chmcmd writes -1 there), and
    // chmlib never reads it: the chunks are what the directory's length holds.
    const std::uint64_t chunks64 = (directoryLength - ItspLength) / blockLength;
    if (chunks64 == 0 || chunks64 * blockLength > std::uint64_t(MaxDirectoryBytes))
        return std::nullopt;
    const auto chunkCount = static_cast<std::uint32_t>(chunks64);
    const std::uint64_t chunkBytes = chunks64 * blockLength;
    if (indexHead < 0 || std::uint32_t(indexHead) >= chunkCount)
        return std::nullopt;
    const std::int32_t root = indexRoot <= -1 ? indexHead : indexRoot;
    if (std::uint32_t(root) >= chunkCount)
        return std::nullopt;

    const std::optional<QByteArray> directory = readAt(file, directoryOffset + ItspLength, chunkBytes);
    if (!directory)
        return std::nullopt;
    std::vector<Chunk> chunks;
    std::vector<RawEntry> raw;
    chunks.reserve(chunkCount);
    for (std::uint32_t i = 0; i < chunkCount; ++i) {
        const QByteArray bytes = directory->mid(qsizetype(i) * blockLength, blockLength);
        std::optional<Chunk> chunk = parseChunk(bytes, blockLength, chunkCount, raw);
        if (!chunk)
            return std::nullopt;
        chunks.push_back(std::move(*chunk));
    }
    if (!lookupWalkEnds(chunks, std::size_t(root)))
        return std::nullopt;

    // The listing follows the chain of listing chunks from the head.
    Layout layout;
    std::vector<bool> visited(chunkCount, false);
    for (std::int32_t at = indexHead; at != -1; at = chunks[std::size_t(at)].next) {
        if (at < 0 || std::uint32_t(at) >= chunkCount || visited[std::size_t(at)] ||
            chunks[std::size_t(at)].kind != ChunkKind::Listing)
            return std::nullopt;
        visited[std::size_t(at)] = true;
        const std::vector<ChmFile::Entry>& entries = chunks[std::size_t(at)].entries;
        layout.entries.insert(layout.entries.end(), entries.begin(), entries.end());
    }

    // A lookup may land in any listing chunk: one name must mean one place wherever it stands.
    // chmlib compares names with strcasecmp, that is ASCII letters without case.
    QHash<QByteArray, ChmFile::Entry> byName;
    for (const RawEntry& r : raw) {
        const QByteArray key = r.name.toLower();
        const auto found = byName.constFind(key);
        if (found == byName.constEnd()) {
            byName.insert(key, r.entry);
        } else if (found->space != r.entry.space || found->start != r.entry.start ||
                   found->length != r.entry.length) {
            return std::nullopt;
        }
    }
    for (const RawEntry& r : raw)
        if (r.entry.space == 0 && !spanFits(dataOffset, r.entry.start, r.entry.length, fileSize))
            return std::nullopt;
    bool anyCompressed = false;
    for (const RawEntry& r : raw)
        anyCompressed = anyCompressed || r.entry.space == 1;

    const auto special = [&](const char* name) -> std::optional<ChmFile::Entry> {
        const auto found = byName.constFind(QByteArray(name).toLower());
        if (found == byName.constEnd() || found->space != 0)
            return std::nullopt;
        return *found;
    };
    const std::optional<ChmFile::Entry> resetTable = special(ResetTableName);
    const std::optional<ChmFile::Entry> content = special(ContentName);
    const std::optional<ChmFile::Entry> controlData = special(ControlDataName);
    if (!resetTable || !content || !controlData) {
        // Without them chmlib reads nothing compressed: a file that has nothing compressed is
        // still whole.
        if (anyCompressed)
            return std::nullopt;
        status = ChmFile::Status::Opened;
        return layout;
    }

    // The decompressor's settings. chmlib computes in 32-bit unsigned numbers and divides by
    // some of them, so they are taken exactly as it takes them.
    if (controlData->length < 0x18 || controlData->length > 256)
        return std::nullopt;
    const std::optional<QByteArray> control = readAt(file, dataOffset + controlData->start, controlData->length);
    if (!control || control->mid(4, 4) != "LZXC")
        return std::nullopt;
    std::uint32_t resetInterval = u32(*control, 0x0C);
    std::uint32_t windowSize = u32(*control, 0x10);
    const std::uint32_t windowsPerReset = u32(*control, 0x14);
    if (u32(*control, 8) == 2) {
        resetInterval *= 0x8000u;
        windowSize *= 0x8000u;
    }
    const bool windowIsPowerOfTwo = windowSize != 0 && (windowSize & (windowSize - 1)) == 0;
    if (!windowIsPowerOfTwo || windowSize < (1u << 15) || windowSize > (1u << 21))
        return std::nullopt;
    if (resetInterval == 0 || resetInterval % (windowSize / 2) != 0)
        return std::nullopt;
    const std::uint64_t resetBlocks = std::uint64_t(resetInterval / (windowSize / 2)) * windowsPerReset;
    if (resetBlocks == 0 || resetBlocks > 0xFFFF)
        return std::nullopt;

    // Where each compressed block starts.
    if (resetTable->length < 0x28)
        return std::nullopt;
    const std::optional<QByteArray> table = readAt(file, dataOffset + resetTable->start, resetTable->length);
    if (!table || u32(*table, 0) != 2)
        return std::nullopt;
    const std::uint32_t blockCount = u32(*table, 4);
    const std::uint32_t tableOffset = u32(*table, 0x0C);
    const std::uint64_t uncompressedLength = u64(*table, 0x10);
    const std::uint64_t compressedLength = u64(*table, 0x18);
    const std::uint64_t frameLength = u64(*table, 0x20);
    if (frameLength != LzxFrameLength || compressedLength > content->length || blockCount == 0)
        return std::nullopt;
    // NOTE: chmcmd counts an empty block after the last one, so there may be more blocks than
    // the data fills, never fewer.
    if (uncompressedLength > std::uint64_t(blockCount) * frameLength)
        return std::nullopt;
    if (!fits(tableOffset, std::uint64_t(blockCount) * 8, resetTable->length))
        return std::nullopt;
    std::uint64_t previous = 0;
    for (std::uint32_t block = 0; block <= blockCount; ++block) {
        const std::uint64_t start = block < blockCount ? u64(*table, qsizetype(tableOffset) + qsizetype(block) * 8)
                                                       : compressedLength;
        if (start < previous || start > compressedLength || start - previous > frameLength + CompressedBlockSlack)
            return std::nullopt;
        previous = start;
    }
    for (const RawEntry& r : raw)
        if (r.entry.space == 1 && !fits(r.entry.start, r.entry.length, uncompressedLength))
            return std::nullopt;

    status = ChmFile::Status::Opened;
    return layout;
}

// Strings of the #SYSTEM file are in the code page of the help file's language: UTF-8 when
// they read as UTF-8, Shift_JIS otherwise.
QString systemString(const QByteArray& bytes)
{
    QByteArray text = bytes;
    const qsizetype zero = text.indexOf('\0');
    if (zero >= 0)
        text.truncate(zero);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8.decode(text);
    if (!utf8.hasError())
        return decoded;
    return cp932::decode(text);
}

}  // namespace

// ============================================================================================

ChmFile::Opening ChmFile::open(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {nullptr, Status::Missing};
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        return {nullptr, Status::Unreadable};
    Status status = Status::Damaged;
    std::optional<Layout> layout = checkLayout(file, status);
    file.close();
    if (!layout)
        return {nullptr, status};

    std::unique_ptr<ChmFile> chm(new ChmFile);
    chm->m_handle = chm_open(QFile::encodeName(path).constData());
    if (!chm->m_handle)
        return {nullptr, Status::Damaged};
    for (Entry& entry : layout->entries) {
        if (entry.path.endsWith(QLatin1Char('/')) || !entry.path.startsWith(QLatin1Char('/')))
            continue;
        const QString key = foldedKey(entry.path);
        if (chm->m_byKey.contains(key))
            continue;
        chm->m_byKey.insert(key, chm->m_entries.size());
        chm->m_entries.push_back(std::move(entry));
    }
    chm->readSystemFile();
    return {std::move(chm), Status::Opened};
}

ChmFile::~ChmFile()
{
    if (m_handle)
        chm_close(m_handle);
}

QStringList ChmFile::files() const
{
    QStringList names;
    names.reserve(qsizetype(m_entries.size()));
    for (const Entry& entry : m_entries)
        names.append(entry.path);
    return names;
}

bool ChmFile::contains(const QString& path) const
{
    return m_byKey.contains(foldedKey(normalisedPath(path)));
}

std::optional<QByteArray> ChmFile::read(const QString& path) const
{
    const auto found = m_byKey.constFind(foldedKey(normalisedPath(path)));
    if (found == m_byKey.constEnd())
        return std::nullopt;
    const Entry& entry = m_entries[*found];
    if (entry.length == 0)
        return QByteArray();
    if (entry.length > MaxFileLength)
        return std::nullopt;
    chmUnitInfo unit{};
    unit.start = entry.start;
    unit.length = entry.length;
    unit.space = entry.space;
    const QByteArray name = entry.path.toUtf8().left(CHM_MAX_PATHLEN);
    std::copy(name.begin(), name.end(), unit.path);
    QByteArray bytes(static_cast<qsizetype>(entry.length), Qt::Uninitialized);
    const LONGINT64 got = chm_retrieve_object(m_handle, &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                                              static_cast<LONGINT64>(entry.length));
    // A compressed block that does not decompress gives fewer bytes than the file holds.
    if (got != static_cast<LONGINT64>(entry.length))
        return std::nullopt;
    return bytes;
}

QString ChmFile::normalisedPath(const QString& path)
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList parts;
    const QStringList steps = p.split(QLatin1Char('/'));
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const QString& step = steps[i];
        if (step == QLatin1String("..")) {
            if (parts.isEmpty())
                return QString();
            parts.removeLast();
        } else if (!step.isEmpty() && step != QLatin1String(".")) {
            parts.append(step);
        }
    }
    QString result = QLatin1Char('/') + parts.join(QLatin1Char('/'));
    if (p.endsWith(QLatin1Char('/')) && !parts.isEmpty())
        result += QLatin1Char('/');
    return result;
}

void ChmFile::readSystemFile()
{
    // #SYSTEM: a version, then records of a 16-bit code, a 16-bit length and the data.
    const std::optional<QByteArray> system = read(QStringLiteral("/#SYSTEM"));
    if (!system)
        return;
    const QByteArray& s = *system;
    qsizetype at = 4;
    while (at + 4 <= s.size()) {
        const auto byteAt = [&](qsizetype i) { return static_cast<unsigned>(static_cast<unsigned char>(s[i])); };
        const unsigned code = byteAt(at) | byteAt(at + 1) << 8;
        const qsizetype length = qsizetype(byteAt(at + 2) | byteAt(at + 3) << 8);
        at += 4;
        if (length > s.size() - at)
            break;
        const QByteArray data = s.mid(at, length);
        at += length;
        switch (code) {
        case 0: m_contentsFile = systemString(data); break;
        case 1: m_indexFile = systemString(data); break;
        case 2: m_defaultTopic = systemString(data); break;
        case 3: m_title = systemString(data); break;
        default: break;
        }
    }
}

}  // namespace kalvetra
