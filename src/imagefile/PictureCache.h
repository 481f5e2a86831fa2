// The decoded background picture of one window, kept between drawings: the file is read
// again only when it has changed (another file at the path, another size, a newer
// modification or status change), so a drawing after a drag costs no decoding while an edited
// picture still shows at the next drawing. Holds one picture. QtGui only.
#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace kalvetra::imagefile {

class PictureCache {
public:
    // Reads and decodes a picture file; an empty optional when it cannot.
    using Reader = std::function<std::optional<QImage>(const QString& path)>;

    explicit PictureCache(Reader reader);

    // The picture at `path`, read through the reader only when the file is not the one read
    // last. A file that cannot be examined is always handed to the reader.
    std::optional<QImage> picture(const QString& path);
    // Forgets the picture (its memory goes with it).
    void clear();
    // How often the reader was called.
    std::int64_t reads() const { return m_reads; }

private:
    struct Stamp {
        std::uint64_t device = 0, inode = 0;
        std::int64_t size = -1;
        std::int64_t modifiedNs = 0, changedNs = 0;
        friend bool operator==(const Stamp&, const Stamp&) = default;
    };
    static std::optional<Stamp> stampOf(const QString& path);

    Reader m_read;
    QString m_path;
    std::optional<Stamp> m_stamp;
    std::optional<QImage> m_picture;
    std::int64_t m_reads = 0;
};

}  // namespace kalvetra::imagefile
