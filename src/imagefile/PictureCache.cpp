#include "PictureCache.h"

#include <QFile>

#include <sys/stat.h>

namespace kalvetra::imagefile {

PictureCache::PictureCache(Reader reader) : m_read(std::move(reader)) {}

std::optional<PictureCache::Stamp> PictureCache::stampOf(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    Stamp s;
    s.device = static_cast<std::uint64_t>(st.st_dev);
    s.inode = static_cast<std::uint64_t>(st.st_ino);
    s.size = static_cast<std::int64_t>(st.st_size);
    s.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.changedNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return s;
}

std::optional<QImage> PictureCache::picture(const QString& path)
{
    const std::optional<Stamp> stamp = stampOf(path);
    if (stamp && m_stamp && *stamp == *m_stamp && path == m_path)
        return m_picture;
    // NOTE: the old picture goes before the new one is decoded, so that a window never holds
    // two large pictures at once.
    clear();
    ++m_reads;
    std::optional<QImage> picture = m_read(path);
    if (stamp && stamp == stampOf(path)) {
        // Unchanged while it was read: what was read is the file.
        m_path = path;
        m_stamp = stamp;
        m_picture = picture;
    }
    return picture;
}

void PictureCache::clear()
{
    m_path.clear();
    m_stamp.reset();
    m_picture.reset();
}

}  // namespace kalvetra::imagefile
