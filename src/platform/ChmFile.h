// A compiled HTML Help file (.chm) opened for reading: the names it holds and the bytes of any
// one of them, decompressed by chmlib. The help file sits beside the program where anyone can
// replace it, and chmlib believes every offset and length it reads, so the archive's whole
// structure is checked here before chmlib is given the file. QtCore and chmlib only.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

struct chmFile;

namespace kalvetra {

class ChmFile {
public:
    enum class Status {
        Opened,
        Missing,     // no such file
        Unreadable,  // there, but it cannot be read (a folder, no permission)
        NotHelpFile, // not a compiled help file at all
        Damaged,     // a help file whose structure is broken (cut short, overwritten)
    };
    struct Opening {
        std::unique_ptr<ChmFile> file;  // set when status is Opened
        Status status = Status::Missing;
    };
    static Opening open(const QString& path);

    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    // The files of the archive ("/html/kalv2abc.htm"), in the archive's order; folders and
    // the archive's own records ("::DataSpace/...") are left out, the help system's "/#..."
    // and "/$..." files are included.
    QStringList files() const;
    bool contains(const QString& path) const;
    // The whole file, or nothing when it is not there or its data is damaged. Paths are
    // matched as the help system matches them: any letter case, with or without the leading
    // "/", "." and ".." steps resolved.
    std::optional<QByteArray> read(const QString& path) const;

    // What the project the file was compiled from names (empty when it names nothing).
    QString contentsFile() const { return m_contentsFile; }
    QString indexFile() const { return m_indexFile; }
    QString defaultTopic() const { return m_defaultTopic; }
    QString title() const { return m_title; }

    // "html/./a.htm", "\\html\\b\\..\\a.htm" -> "/html/a.htm"; empty when ".." leaves the root.
    static QString normalisedPath(const QString& path);

    // One file's place in the archive.
    struct Entry {
        QString path;
        int space = 0;  // 0 stored as it is, 1 compressed
        std::uint64_t start = 0;
        std::uint64_t length = 0;
    };

private:
    ChmFile() = default;
    void readSystemFile();

    ::chmFile* m_handle = nullptr;
    std::vector<Entry> m_entries;
    QHash<QString, std::size_t> m_byKey;  // folded path -> index into m_entries
    QString m_contentsFile;
    QString m_indexFile;
    QString m_defaultTopic;
    QString m_title;
};

}  // namespace kalvetra
