#pragma once
// A throw-away folder tree for the file tests: files with chosen bytes, folders and symlinks.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

namespace orvtest {

class FileTree {
public:
    FileTree() { EXPECT_TRUE(_dir.isValid()); }

    /// The tree's root folder, without a final slash.
    std::string root() const { return _dir.path().toStdString(); }
    /// root() + "/" + relative.
    std::string path(const std::string& relative) const { return root() + "/" + relative; }

    /// Writes bytes into the file at relative (its folder must exist).
    void file(const std::string& relative, const std::string& bytes = std::string()) const {
        QFile out(QString::fromStdString(path(relative)));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly)) << relative;
        ASSERT_EQ(out.write(bytes.data(), static_cast<qint64>(bytes.size())),
                  static_cast<qint64>(bytes.size()));
    }
    /// Makes the folder at relative with its missing parents.
    void folder(const std::string& relative) const {
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(path(relative)))) << relative;
    }
    /// Makes a symlink at relative pointing to target (taken as is).
    void symlink(const std::string& target, const std::string& relative) const {
        ASSERT_EQ(::symlink(target.c_str(), path(relative).c_str()), 0) << relative;
    }
    /// The bytes of the file at relative; "<missing>" when it cannot be read.
    std::string read(const std::string& relative) const {
        QFile in(QString::fromStdString(path(relative)));
        if (!in.open(QIODevice::ReadOnly))
            return "<missing>";
        return in.readAll().toStdString();
    }
    bool exists(const std::string& relative) const {
        return QFileInfo::exists(QString::fromStdString(path(relative))) ||
               QFileInfo(QString::fromStdString(path(relative))).isSymLink();
    }

private:
    QTemporaryDir _dir;
};

} // namespace orvtest
