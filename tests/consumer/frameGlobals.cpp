// A caller built with the compiler's default flags (a PIE without -fPIC), which holds copies of the
// library's globals in its executable: it must read what the library writes.
#include "orvVersion.h"
#include "plugin/orvPlugin.h"
#include "util/base64.h"

#include <cstdio>
#include <cstring>

int main() {
    orvPlugin_init(false, 1, 40000, 7, "4.0.0", "(rev 7)", "23", "GCC", "Jan 10 2020", "5.15");
    std::printf("simFlavor=%d programVersionNb=%d programRevisionNb=%d programVersion=%s qtVersionStr=%s "
                "base64_chars=%zu version=%s\n",
                simFlavor, programVersionNb, programRevisionNb, programVersion.c_str(), qtVersionStr.c_str(),
                base64_chars.size(), orvVersion());
    const bool ok = simFlavor == 1 && programVersionNb == 40000 && programRevisionNb == 7 &&
                    programVersion == "4.0.0" && qtVersionStr == "5.15" && base64_chars.size() == 64 &&
                    std::strcmp(orvVersion(), ORV_VERSION_STRING) == 0;
    return ok ? 0 : 1;
}
