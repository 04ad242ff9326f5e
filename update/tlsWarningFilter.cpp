#include "update/tlsWarningFilter_p.h"

#include <QLoggingCategory>

#include <cstring>

namespace orv {
namespace {

const char kTlsCategory[] = "qt.network.ssl";

QLoggingCategory::CategoryFilter previousFilter = nullptr;
bool installed = false;

void filterCategory(QLoggingCategory* category) {
    if (previousFilter != nullptr)
        previousFilter(category);
    if (std::strcmp(category->categoryName(), kTlsCategory) == 0)
        category->setEnabled(QtWarningMsg, false);
}

// Qt keeps the filter for the life of the process: it must not call into this library once the host
// has unloaded it. Putting the previous filter back also applies the host's rules to every category
// again, so the TLS warnings follow them from then on. Made only once the filter is installed, and so
// after Qt's logging registry: at the process's exit it is then destroyed before that registry is.
struct FilterRemover {
    ~FilterRemover() {
        const QLoggingCategory::CategoryFilter current = QLoggingCategory::installFilter(previousFilter);
        // A filter installed over this one chains to it; it cannot be taken out of that chain.
        if (current != filterCategory)
            QLoggingCategory::installFilter(current);
    }
};

} // namespace

void silenceTlsWarnings() {
    if (installed)
        return;
    installed = true;
    previousFilter = QLoggingCategory::installFilter(filterCategory);
    static const FilterRemover remover;
}

} // namespace orv
