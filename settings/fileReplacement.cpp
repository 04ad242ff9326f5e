#include "settings/fileReplacement_p.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace orv {

namespace {

/// As many links as the system itself follows in one path.
constexpr int kMaxLinks = 40;

/// Where the symbolic links from `path` lead.
enum class Way { plain, throughProcessFiles, unknown };

/// Follows the symbolic links from `path` to an entry that is none.
Way followLinks(const std::string& path, FolderEntry& entry) {
    std::string current = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        entry = folderEntryOf(current);
        struct statfs system {};
        struct stat status {};
        if (::statfs(entry.folder.c_str(), &system) != 0 || ::lstat(current.c_str(), &status) != 0)
            return Way::unknown;
        if (system.f_type == PROC_SUPER_MAGIC)
            return Way::throughProcessFiles;
        if (!S_ISLNK(status.st_mode))
            return Way::plain;
        char target[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), target, sizeof(target));
        if (length <= 0 || length == static_cast<ssize_t>(sizeof(target)))
            return Way::unknown;
        const std::string link(target, static_cast<std::size_t>(length));
        current = link[0] == '/' ? link : entry.folder + "/" + link;
    }
    return Way::unknown;
}

bool mayHaveExtendedAttributes(const std::string& file) {
    const ssize_t size = ::listxattr(file.c_str(), nullptr, 0);
    return size != 0 && !(size < 0 && errno == ENOTSUP);
}

/// Whether something is mounted on the file (a bind mount of a single file), which a rename cannot
/// replace. A system that does not tell is asked whether the file lies on another device than its
/// folder.
bool mayBeMountPoint(const std::string& file, const std::string& folder, dev_t device) {
    struct statx status {};
    if (::statx(AT_FDCWD, file.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &status) == 0 &&
        (status.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0)
        return (status.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    struct stat parent {};
    return ::stat(folder.c_str(), &parent) != 0 || parent.st_dev != device;
}

} // namespace

FolderEntry folderEntryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? std::string("/") : path.substr(0, slash), path.substr(slash + 1)};
}

Replacement replacementOf(const std::string& path, const struct stat& existing, FolderEntry& entry) {
    const Way way = followLinks(path, entry);
    if (way == Way::throughProcessFiles)
        return Replacement::append;
    if (way == Way::unknown || !S_ISREG(existing.st_mode) || existing.st_nlink != 1)
        return Replacement::overwrite;
    const std::string file = entry.folder + "/" + entry.name;
    return mayHaveExtendedAttributes(file) || mayBeMountPoint(file, entry.folder, existing.st_dev)
               ? Replacement::overwrite
               : Replacement::rename;
}

} // namespace orv
