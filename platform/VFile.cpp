#include "platform/VFile.h"

#include "platform/VFileFinder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <stdexcept>

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

const char* accessText(QIODevice::OpenMode mode) {
    if ((mode & QIODevice::ReadWrite) == QIODevice::ReadWrite)
        return "reading and writing";
    return (mode & QIODevice::WriteOnly) ? "writing" : "reading";
}

/// The folder that holds the file, made with its missing parents; a failure shows when opening.
void makeFolderFor(const QString& name) {
    QDir().mkpath(QFileInfo(name).path());
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
            makeFolderFor(file->fileName());
        if (!file->open(mode))
            failure = "cannot open \"" + pathAndFilename + "\" for " + accessText(mode) + ": " +
                      file->errorString().toStdString();
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
    const QFileInfo info(fileName(path));
    return folder ? info.isDir() : info.exists();
}

bool VFile::createFolder(const std::string& path) {
    return !path.empty() && QDir().mkdir(fileName(path));
}

void VFile::eraseFile(const std::string& path) {
    removeFile(path);
}

int VFile::eraseFilesWithPrefix(const char* folder, const char* prefix) {
    if (folder == nullptr || prefix == nullptr)
        return 0;
    VFileFinder finder;
    const int count = finder.searchFilesOrFolders(folder);
    const std::string start(prefix);
    int erased = 0;
    for (int i = 0; i < count; ++i) {
        const SFileOrFolder* item = finder.getFoundItem(i);
        if (!item->isFile || item->name.compare(0, start.size(), start) != 0)
            continue;
        if (removeFile(item->path))
            ++erased;
    }
    return erased;
}
