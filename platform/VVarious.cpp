#include "platform/VVarious.h"

#include "util/ttNames.h"

#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QProcess>
#include <QString>
#include <QStringList>

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

/// The program as it is started: "@" drops itself, a name without a slash is looked for in the
/// working folder, anything else is used as given.
std::string programPath(const std::string& program) {
    if (program.empty())
        return program;
    if (program.front() == '@')
        return program.substr(1);
    if (program.find('/') == std::string::npos)
        return "./" + program;
    return program;
}

QStringList splitArguments(std::string arguments) {
    QStringList result;
    std::string word;
    while (tt::extractSpaceSeparatedWord(arguments, word))
        result.append(QString::fromLocal8Bit(word.data(), static_cast<int>(word.size())));
    return result;
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

bool VVarious::executeExternalApplication(const std::string& program, const std::string& arguments,
                                          const std::string& switchToDirectory, int /*showFlag*/) {
    const std::string path = programPath(program);
    if (path.empty())
        return false;
    // A working folder that is not there would leave the program running in this process's
    // folder instead, so it is refused rather than started somewhere unexpected.
    const QString folder = QFile::decodeName(switchToDirectory.c_str());
    if (!folder.isEmpty() && !QFileInfo(folder).isDir())
        return false;
    return QProcess::startDetached(QFile::decodeName(path.c_str()), splitArguments(arguments), folder);
}

bool VVarious::copyTextToClipboard(const std::string& /*text*/) {
    return true;
}
