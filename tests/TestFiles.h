// Real files in a temporary folder, for the tests of code that reads and writes files.
// QtCore only.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace kalvetra::test {

class TestFiles {
public:
    QString folder() const { return m_dir.path(); }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Writes `bytes` as they are to `name` in the folder and returns its path.
    QString write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << f.fileName().toStdString();
        f.write(bytes);
        return f.fileName();
    }

    static QByteArray bytes(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
    }

    // Makes `name` a folder that refuses new files. False when this process may write into
    // it anyway (an administrator), so that a test can skip what it cannot show.
    bool makeReadOnlyFolder(const QString& name) const
    {
        EXPECT_TRUE(QDir(folder()).mkpath(name));
        QFile::setPermissions(path(name), QFile::ReadOwner | QFile::ExeOwner);
        QFile probe(path(name + "/probe"));
        if (!probe.open(QIODevice::WriteOnly))
            return true;
        probe.remove();
        return false;
    }

    // Lets the folder be cleaned up again.
    void makeWritable(const QString& name) const
    {
        QFile::setPermissions(path(name), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

private:
    QTemporaryDir m_dir;
};

// While it lives (and `active`), a process run as root acts as the user "nobody", so that
// file permissions bind it; root again afterwards. Does nothing for an ordinary user.
class AsOrdinaryUser {
public:
    explicit AsOrdinaryUser(bool active) : m_switched(active && ::geteuid() == 0)
    {
        if (m_switched && (::setresgid(65534, 65534, 0) != 0 || ::setresuid(65534, 65534, 0) != 0))
            ADD_FAILURE() << "cannot act as nobody";
    }
    ~AsOrdinaryUser()
    {
        if (m_switched && (::setresuid(0, 0, 0) != 0 || ::setresgid(0, 0, 0) != 0))
            ADD_FAILURE() << "cannot become root again";
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

private:
    bool m_switched;
};

}  // namespace kalvetra::test
