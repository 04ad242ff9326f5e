#include "platform/VVarious.h"

#include <QLibrary>
#include <QString>

#include <cerrno>
#include <memory>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace {

std::string moduleFolderCache;
std::mutex moduleFolderMutex;

/// The process's working folder, or empty when it cannot be had.
std::string currentFolder() {
    std::vector<char> buffer(2000);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
    return std::string(buffer.data());
}

std::string fileNameOf(const std::string& fullPath) {
    const std::size_t slash = fullPath.rfind('/');
    return slash == std::string::npos ? fullPath : fullPath.substr(slash + 1);
}

} // namespace

std::string VVarious::getModulePath() {
    const std::lock_guard<std::mutex> lock(moduleFolderMutex);
    if (moduleFolderCache.empty())
        moduleFolderCache = currentFolder();
    return moduleFolderCache;
}

void VVarious::removePathFinalSlashOrBackslash(std::string& path) {
    if (path.empty() || (path.back() != '/' && path.back() != '\\'))
        return;
    // A backslash right after a high byte may be the second byte of a double-byte character.
    if (path.size() >= 2 && static_cast<unsigned char>(path[path.size() - 2]) >= 128)
        return;
    path.pop_back();
}

std::string VVarious::splitPath_path(const std::string& fullPath) {
    const std::size_t slash = fullPath.rfind('/');
    std::string folder = slash == std::string::npos ? std::string(".") : fullPath.substr(0, slash);
    removePathFinalSlashOrBackslash(folder);
    return folder;
}

std::string VVarious::splitPath_fileBaseAndExtension(const std::string& fullPath) {
    return fileNameOf(fullPath);
}

std::string VVarious::splitPath_fileBase(const std::string& fullPath) {
    const std::string name = fileNameOf(fullPath);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string VVarious::splitPath_fileExtension(const std::string& fullPath) {
    const std::string name = fileNameOf(fullPath);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

bool VVarious::isAbsolutePath(const std::string& path) {
    return !path.empty() && path.front() == '/';
}

QLibrary* VVarious::openLibrary(const char* name) {
    if (name == nullptr)
        return nullptr;
    auto library = std::make_unique<QLibrary>(QString::fromUtf8(name));
    if (!library->load())
        return nullptr;
    return library.release();
}

void VVarious::closeLibrary(QLibrary* library) {
    if (library == nullptr)
        return;
    library->unload();
    delete library;
}

void* VVarious::resolveLibraryFuncName(QLibrary* library, const char* funcName) {
    if (library == nullptr || funcName == nullptr)
        return nullptr;
    return reinterpret_cast<void*>(library->resolve(funcName));
}

bool VVarious::copyTextToClipboard(const std::string& /*text*/) {
    return true;
}
