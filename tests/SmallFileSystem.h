// A file system of a few kilobytes that a test mounts for itself (tmpfs), to fill it up or
// to turn it read-only while the code under test is working. Mounting needs the right to
// mount (root, as in CI); without it `mounted()` is false and the test skips. Linux only.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/mount.h>

namespace kalvetra::test {

class SmallFileSystem {
public:
    explicit SmallFileSystem(int kilobytes = 64)
    {
        const QByteArray where = QFile::encodeName(m_dir.path());
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0755";
        m_mounted = m_dir.isValid() && ::mount("tmpfs", where.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return m_mounted; }
    QString path(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

    // Writes a file of `bytes` zero bytes, or as much of it as fits: used to fill the disk.
    void fill(const QString& name, qint64 bytes = qint64{1} << 30) const
    {
        QFile f(path(name));
        if (!f.open(QIODevice::WriteOnly))
            return;
        const QByteArray block(4096, '\0');
        for (qint64 written = 0; written < bytes; written += block.size())
            if (f.write(block) != block.size() || !f.flush())
                break;
    }

    // Every later write into the file system fails, as on a disk that became read-only.
    bool makeReadOnly() const
    {
        return ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                       nullptr) == 0;
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

// Skips the test when the small file system could not be mounted.
#define KALVETRA_REQUIRE_MOUNT(fs)                                                    \
    do {                                                                              \
        if (!(fs).mounted())                                                          \
            GTEST_SKIP() << "no right to mount a small file system (needs root)";    \
    } while (false)

}  // namespace kalvetra::test
