#include "platform/moduleFile_p.h"

#include "platform/VVarious.h"

namespace orv {

std::string moduleFilePath(const std::string& relative) {
    const std::string folder = VVarious::getModulePath();
    return folder.empty() ? folder : folder + "/" + relative;
}

} // namespace orv
