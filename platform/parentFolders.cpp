#include "platform/parentFolders_p.h"

#include <sys/stat.h>

namespace orv {

void makeParentFolders(const std::string& path) {
    const std::size_t last = path.rfind('/');
    if (last == std::string::npos)
        return;
    // Each folder from the top down; one that exists already refuses, which is as good.
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos && slash <= last;
         slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0777);
}

} // namespace orv
