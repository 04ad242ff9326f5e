#include "util/cLocaleFormat_p.h"

#include <clocale>
#include <cstdio>
#include <locale.h>
#ifdef __APPLE__
#include <xlocale.h>
#endif

namespace orv {

namespace {

/// The C locale as a locale object, made once and released when the library is unloaded.
struct CLocale {
    locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    ~CLocale() {
        if (locale != static_cast<locale_t>(0))
            freelocale(locale);
    }
};

/// Makes the calling thread use the C locale until the end of the scope. It changes only this
/// thread's setting, never the process's, so the host's other threads go on with its locale.
class CLocaleScope {
public:
    CLocaleScope() {
        static const CLocale c;
        if (c.locale != static_cast<locale_t>(0))
            _previous = uselocale(c.locale);
    }
    ~CLocaleScope() {
        if (_previous != static_cast<locale_t>(0))
            uselocale(_previous);
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t _previous = static_cast<locale_t>(0);
};

} // namespace

std::string formatInCLocale(const char* directive, va_list args) {
    const CLocaleScope cLocale;
    char small[256];
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(small, sizeof(small), directive, args);
    std::string text;
    if (length >= 0 && static_cast<size_t>(length) < sizeof(small)) {
        text.assign(small, static_cast<size_t>(length));
    } else if (length >= 0) {
        text.resize(static_cast<size_t>(length));
        std::vsnprintf(&text[0], text.size() + 1, directive, again);
    }
    va_end(again);
    return text;
}

} // namespace orv
