#include "update/tlsWarningFilter_p.h"

#include <QLoggingCategory>

#include <cstring>
#include <dlfcn.h>

namespace orv {
namespace {

const char kTlsCategory[] = "qt.network.ssl";

QLoggingCategory::CategoryFilter previousFilter = nullptr;
// True while the filter is one of Qt's: at the top, or below a filter installed later that chains to it.
bool inChain = false;
// True while the update check's request is pending; otherwise the filter only passes categories on.
bool silencing = false;

void filterCategory(QLoggingCategory* category) {
    // Qt runs a new filter over every category before it hands out the one it replaces.
    if (previousFilter != nullptr)
        previousFilter(category);
    if (silencing && std::strcmp(category->categoryName(), kTlsCategory) == 0)
        category->setEnabled(QtWarningMsg, false);
}

// The filter installed over this one holds it as its previous filter and calls it for as long as the
// process lives: the library must stay mapped, whenever the host unloads it. The loader decides what
// to unmap before it runs any destructor of the library, so this works only before the host's
// dlclose: when the request ends.
void keepLibraryMapped() {
    Dl_info library;
    if (dladdr(&previousFilter, &library) != 0)
        dlopen(library.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

// Made only once the filter is installed, and so after Qt's logging registry: at the process's exit
// it is then destroyed before that registry is. It ends the silencing of a host that unloads the
// library or exits while a request is pending, without ending its session.
struct SilencingEnder {
    ~SilencingEnder() { endTlsSilencing(); }
};

} // namespace

void silenceTlsWarnings() {
    if (silencing)
        return;
    silencing = true;
    static const SilencingEnder ender;
    if (!inChain) {
        previousFilter = QLoggingCategory::installFilter(filterCategory);
        inChain = true;
        return;
    }
    // Still in the chain from an earlier request: Qt filters every category again, through it.
    QLoggingCategory::installFilter(QLoggingCategory::installFilter(filterCategory));
}

void endTlsSilencing() {
    if (!silencing)
        return;
    silencing = false;
    // Putting the previous filter back applies the host's rules to every category again.
    const QLoggingCategory::CategoryFilter current = QLoggingCategory::installFilter(previousFilter);
    if (current == filterCategory) {
        inChain = false;
        return;
    }
    // Another filter was installed over this one: it goes back on top, and its categories follow the
    // host's rules through this filter, which now only passes them on.
    QLoggingCategory::installFilter(current);
    keepLibraryMapped();
}

} // namespace orv
