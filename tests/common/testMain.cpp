// The main of every test program: a QCoreApplication for the tests that need an event loop.
#include <QCoreApplication>
#include <gtest/gtest.h>

// glibc's newlocale loses its copy of the LOCPATH search list on every call that loads a locale, and
// the test command sets LOCPATH for the German locale. The leak checker leaves out only the C
// library's allocations of that list, so a locale that is never freed still shows.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:__argz_create_sep\nleak:__argz_add_sep\n";
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
