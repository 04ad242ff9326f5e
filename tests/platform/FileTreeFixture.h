#pragma once
// A throw-away folder for the file tests, whose files are written and read whole.

#include "common/FileBytes.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

namespace orvtest {

class FileTree {
public:
    FileTree() { EXPECT_TRUE(_dir.isValid()); }

    /// The tree's root folder, without a final slash.
    std::string root() const { return _dir.path().toStdString(); }
    std::string path(const std::string& relative) const { return root() + "/" + relative; }
    /// Writes bytes into the file at relative (its folder must exist).
    void file(const std::string& relative, const std::string& bytes = std::string()) const {
        ASSERT_TRUE(writeFileBytes(path(relative), bytes)) << relative;
    }
    /// The bytes of the file at relative; "<unreadable>" when it is not a file that can be read.
    std::string read(const std::string& relative) const { return fileBytes(path(relative)); }

private:
    QTemporaryDir _dir;
};

} // namespace orvtest
