#include "platform/VFile.h"

#include "platform/filesWithPrefix_p.h"
#include "platform/parentFolders_p.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

QString fileName(const std::string& path) {
    return QFile::decodeName(path.c_str());
}

QIODevice::OpenMode openModeFor(unsigned short flags) {
    const bool write = (flags & VFile::CREATE_WRITE) != 0;
    const bool read = (flags & VFile::READ) != 0;
    if (write && read)
        return QIODevice::ReadWrite | QIODevice::Truncate;
    if (write)
        return QIODevice::WriteOnly | QIODevice::Truncate;
    if (read)
        return QIODevice::ReadOnly;
    return QIODevice::NotOpen;
}

/// The flags of the system's open call for a mode of openModeFor.
int systemFlagsFor(QIODevice::OpenMode mode) {
    if ((mode & QIODevice::ReadWrite) == QIODevice::ReadWrite)
        return O_RDWR | O_CREAT | O_TRUNC;
    return (mode & QIODevice::WriteOnly) ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY;
}

const char* accessText(QIODevice::OpenMode mode) {
    if ((mode & QIODevice::ReadWrite) == QIODevice::ReadWrite)
        return "reading and writing";
    return (mode & QIODevice::WriteOnly) ? "writing" : "reading";
}

/// Opens the file by the path's own bytes (a folder name need not be valid UTF-8) into `file`; 0 or
/// the system's error number.
int openByBytes(QFile& file, const std::string& path, QIODevice::OpenMode mode) {
    const int fd = ::open(path.c_str(), systemFlagsFor(mode) | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    struct stat status {};
    const int error = ::fstat(fd, &status) != 0 ? errno : S_ISDIR(status.st_mode) ? EISDIR : 0;
    if (error == 0 && file.open(fd, mode, QFileDevice::AutoCloseHandle))
        return 0;
    ::close(fd);
    return error != 0 ? error : EIO;
}

/// Deletes the file; true if it was deleted. An exception is reported, not passed on.
bool removeFile(const std::string& path) {
    try {
        return QFile::remove(fileName(path));
    } catch (const std::exception& e) {
        VFile::reportAndHandleFileExceptionError(e);
    }
    return false;
}

} // namespace

VFile::VFile(const std::string& pathAndFilename_, unsigned short flags, bool dontThrow)
    : pathAndFilename(pathAndFilename_), file(std::make_unique<QFile>(fileName(pathAndFilename_))) {
    const QIODevice::OpenMode mode = openModeFor(flags);
    std::string failure;
    if (mode == QIODevice::NotOpen) {
        failure = "cannot open \"" + pathAndFilename + "\": neither reading nor writing was asked for";
    } else {
        if (flags & CREATE_WRITE)
            orv::makeParentFolders(pathAndFilename);
        if (const int error = openByBytes(*file, pathAndFilename, mode))
            failure = "cannot open \"" + pathAndFilename + "\" for " + accessText(mode) + ": " +
                      std::generic_category().message(error);
    }
    if (failure.empty())
        return;
    file.reset();
    if (!dontThrow)
        throw std::runtime_error(failure);
}

VFile::VFile(const std::string& pathAndFilename_)
    : pathAndFilename(pathAndFilename_), file(std::make_unique<QFile>(fileName(pathAndFilename_))) {
    if (!doesFileExist(pathAndFilename))
        throw std::runtime_error("no file or folder named \"" + pathAndFilename + "\"");
}

VFile::~VFile() = default;

QFile* VFile::getFile() const {
    return file.get();
}

std::string VFile::getPathAndFilename() const {
    return pathAndFilename;
}

std::uint64_t VFile::getLength() const {
    return file ? static_cast<std::uint64_t>(file->size()) : 0;
}

void VFile::close() {
    if (file)
        file->close();
}

bool VFile::flush() {
    return file && file->flush();
}

void VFile::reportAndHandleFileExceptionError(const std::exception& e) {
    std::printf("File exception error: %s\n", e.what());
    std::fflush(stdout);
}

bool VFile::doesFileExist(const std::string& path) {
    return _doesFileOrFolderExist(path, false);
}

bool VFile::doesFolderExist(const std::string& path) {
    return _doesFileOrFolderExist(path, true);
}

bool VFile::_doesFileOrFolderExist(const std::string& path, bool folder) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && (!folder || S_ISDIR(status.st_mode));
}

bool VFile::createFolder(const std::string& path) {
    return !path.empty() && ::mkdir(path.c_str(), 0777) == 0;
}

void VFile::eraseFile(const std::string& path) {
    removeFile(path);
}

int VFile::eraseFilesWithPrefix(const char* folder, const char* prefix) {
    int erased = 0;
    for (const SFileOrFolder& item : orv::filesWithPrefix(folder, prefix))
        erased += removeFile(item.path) ? 1 : 0;
    return erased;
}
