#include "util/cLocaleFormat_p.h"

#include <clocale>
#include <cstdio>
#include <locale.h>
#ifdef __APPLE__
#include <xlocale.h>
#endif

namespace orv {

namespace {

const locale_t kNoLocale = static_cast<locale_t>(0);

/// The C locale as a locale object, made once and released when the library is unloaded.
struct CLocale {
    locale_t locale = newlocale(LC_ALL_MASK, "C", kNoLocale);
    ~CLocale() {
        if (locale != kNoLocale)
            freelocale(locale);
    }
};

/// Makes the calling thread use the locale until the end of the scope. It changes only this
/// thread's setting, never the process's, so the host's other threads go on with its locale.
class LocaleScope {
public:
    explicit LocaleScope(locale_t locale) : _previous(uselocale(locale)) {}
    ~LocaleScope() {
        if (_previous != kNoLocale)
            uselocale(_previous);
    }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

private:
    locale_t _previous;
};

/// The calling thread's locale with the C locale's number format, for the caller to free; none when
/// it cannot be made.
locale_t threadLocaleWithCNumbers() {
    const locale_t copy = duplocale(uselocale(kNoLocale));
    if (copy == kNoLocale)
        return kNoLocale;
    const locale_t mixed = newlocale(LC_NUMERIC_MASK, "C", copy);
    if (mixed == kNoLocale)
        freelocale(copy);
    return mixed;
}

/// Formats under the locale; false when the C library reports an error.
bool formatUnder(locale_t locale, const char* directive, va_list args, std::string& text) {
    const LocaleScope scope(locale);
    char small[256];
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(small, sizeof(small), directive, args);
    if (length >= 0 && static_cast<size_t>(length) < sizeof(small)) {
        text.assign(small, static_cast<size_t>(length));
    } else if (length >= 0) {
        text.resize(static_cast<size_t>(length));
        std::vsnprintf(&text[0], text.size() + 1, directive, again);
    }
    va_end(again);
    return length >= 0;
}

} // namespace

std::string formatInCLocale(const char* directive, va_list args) {
    static const CLocale c;
    std::string text;
    va_list again;
    va_copy(again, args);
    // The C locale converts no wide character beyond ASCII. Only a text that needs more is made again,
    // in the thread's own locale with the C locale's number format: composing that locale costs
    // allocations on every call (and with LOCPATH set, glibc loses a copy of that path each time).
    if (!formatUnder(c.locale, directive, args, text)) {
        const locale_t mixed = threadLocaleWithCNumbers();
        if (mixed != kNoLocale) {
            formatUnder(mixed, directive, again, text);
            freelocale(mixed);
        }
    }
    va_end(again);
    return text;
}

} // namespace orv
