#include "platform/VFileFinder.h"

#include "platform/filesWithPrefix_p.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

enum SearchKind { filesWithExtension = 0, folders = 1, filesOrFolders = 2 };

constexpr std::int64_t outOfRangeTime = 0xFFFFFFFF;

/// Seconds since 1970 as an unsigned 32-bit count; all bits set when the time does not fit.
std::int64_t unsigned32Seconds(const QDateTime& time) {
    if (!time.isValid())
        return outOfRangeTime;
    const qint64 seconds = time.toSecsSinceEpoch();
    return (seconds < 0 || seconds >= outOfRangeTime) ? outOfRangeTime : seconds;
}

QDir::Filters filtersFor(int kind) {
    switch (kind) {
    case filesWithExtension:
        return QDir::Files | QDir::Hidden;
    case folders:
        return QDir::Dirs | QDir::Hidden | QDir::NoSymLinks;
    default:
        return QDir::Files | QDir::Dirs | QDir::Hidden;
    }
}

/// The entry's path as callers see it: the folder as given, one slash, the name. An empty folder
/// means the working folder, so the name alone is the path there.
std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + '/' + name;
}

bool hasPrefix(const std::string& name, const char* prefix) {
    return name.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool isDotOrDotDot(const std::string& name) {
    return name == "." || name == "..";
}

} // namespace

VFileFinder::VFileFinder() = default;

VFileFinder::~VFileFinder() = default;

int VFileFinder::searchFilesWithExtension(const std::string& folder, const std::string& extension) {
    return _searchFilesOrFolders(folder, extension, filesWithExtension);
}

int VFileFinder::searchFolders(const std::string& folder) {
    return _searchFilesOrFolders(folder, std::string(), folders);
}

int VFileFinder::searchFilesOrFolders(const std::string& folder) {
    return _searchFilesOrFolders(folder, std::string(), filesOrFolders);
}

int VFileFinder::_searchFilesOrFolders(const std::string& folder, const std::string& extension, int kind) {
    _foundItems.clear();
    const QString folderName = QFile::decodeName(folder.c_str());
    QDir dir(folderName.isEmpty() ? QStringLiteral(".") : folderName);
    dir.setFilter(filtersFor(kind));
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    if (kind == filesWithExtension && !extension.empty())
        dir.setNameFilters({QStringLiteral("*.") + QFile::decodeName(extension.c_str())});

    const QFileInfoList entries = dir.entryInfoList();
    _foundItems.reserve(static_cast<std::size_t>(entries.size()));
    for (const QFileInfo& entry : entries) {
        SFileOrFolder item;
        item.name = QFile::encodeName(entry.fileName()).toStdString();
        item.path = joinPath(folder, item.name);
        item.isFile = !entry.isDir();
        item.lastWriteTime = unsigned32Seconds(entry.lastModified());
        _foundItems.push_back(std::move(item));
    }
    return static_cast<int>(_foundItems.size());
}

SFileOrFolder* VFileFinder::getFoundItem(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= _foundItems.size())
        return nullptr;
    return &_foundItems[static_cast<std::size_t>(index)];
}

int VFileFinder::countFiles(const char* folder) {
    return countFilesWithPrefix(folder, "");
}

int VFileFinder::countFolders(const char* folder) {
    if (folder == nullptr)
        return 0;
    VFileFinder finder;
    finder.searchFilesOrFolders(folder);
    int count = 0;
    for (const SFileOrFolder& item : finder._foundItems)
        count += (!item.isFile && !isDotOrDotDot(item.name)) ? 1 : 0;
    return count;
}

int VFileFinder::countFilesWithPrefix(const char* folder, const char* prefix) {
    return static_cast<int>(orv::filesWithPrefix(folder, prefix).size());
}

std::vector<SFileOrFolder> orv::filesWithPrefix(const char* folder, const char* prefix) {
    std::vector<SFileOrFolder> files;
    if (folder == nullptr || prefix == nullptr)
        return files;
    VFileFinder finder;
    const int count = finder.searchFilesOrFolders(folder);
    for (int i = 0; i < count; ++i) {
        SFileOrFolder* item = finder.getFoundItem(i);
        if (item->isFile && hasPrefix(item->name, prefix))
            files.push_back(std::move(*item));
    }
    return files;
}
