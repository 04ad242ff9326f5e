// A host as the simulator is one: its host library in the global symbol scope and its own logging
// rules; it loads the plugin, runs sessions with an update check, unloads it and goes on with its own
// Qt. It prints a "host:" line only for a check that failed, and then exits with 1.
// Usage: hostHarness <plugin> <scenario>   (run in a folder holding zadodiredi.dylib; the scenarios
// are those of HostHarnessTest.cpp)
#include "LoopbackUpdateServer.h"
#include "common/WaitUntil.h"

#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QVariant>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>

namespace {

Q_LOGGING_CATEGORY(hostOwn, "host.own", QtInfoMsg)
Q_LOGGING_CATEGORY(hostQuiet, "host.quiet")
Q_LOGGING_CATEGORY(tlsCategory, "qt.network.ssl")

// A symbol of the loaded plugin, as the type it has there (a missing one crashes the harness).
template <typename T> T symbol(void* plugin, const char* name) {
    return reinterpret_cast<T>(dlsym(plugin, name));
}

bool isLoaded(const char* path) {
    void* handle = dlopen(path, RTLD_LAZY | RTLD_NOLOAD);
    if (handle != nullptr)
        dlclose(handle);
    return handle != nullptr;
}

/// True once the timestamp file records a finished check (a check time other than 0).
bool checkRecorded() {
    QFile file("updtChck.dat");
    float check = 0.0f;
    return file.open(QIODevice::ReadOnly) && file.read(reinterpret_cast<char*>(&check), 4) == 4 &&
           check != 0.0f;
}

int failures = 0;

void expect(bool holds, int round, const char* what) {
    if (!holds) {
        std::printf("host: round %d: %s\n", round, what);
        ++failures;
    }
}

// The host's own category filter, as Qt's documentation shows one: it handles its own category and
// passes every other one on to the filter installed before it.
QLoggingCategory::CategoryFilter hostPreviousFilter = nullptr;
bool hostFilterInstalled = false;

void hostFilter(QLoggingCategory* category) {
    if (std::strcmp(category->categoryName(), "host.filtered") == 0)
        category->setEnabled(QtWarningMsg, false);
    else if (hostPreviousFilter != nullptr) // null while Qt installs this filter
        hostPreviousFilter(category);
}

void installHostFilter() {
    hostPreviousFilter = QLoggingCategory::installFilter(hostFilter);
    hostFilterInstalled = true;
}

bool follows(const QLoggingCategory& own, const QLoggingCategory& quiet, const QLoggingCategory& tls,
             bool tlsWarnings) {
    return own.isDebugEnabled() && !quiet.isWarningEnabled() && tls.isWarningEnabled() == tlsWarnings;
}

// The host's logging rules and filter as it set them, with the TLS warnings on or silenced: for the
// categories made before and for ones made now (a filter that no longer applied the one before it
// would show only on new ones).
bool hostLogging(bool tlsWarnings) {
    const QLoggingCategory own("host.own", QtInfoMsg);
    const QLoggingCategory quiet("host.quiet");
    const QLoggingCategory tls("qt.network.ssl");
    const QLoggingCategory filtered("host.filtered");
    return follows(hostOwn(), hostQuiet(), tlsCategory(), tlsWarnings) &&
           follows(own, quiet, tls, tlsWarnings) && filtered.isWarningEnabled() != hostFilterInstalled;
}

// Loads the plugin, checks it is in its first state, calls simStart `starts` times and orvPlugin_init.
void* loadAndStart(const char* path, int round, int starts) {
    void* const plugin = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (plugin == nullptr)
        return nullptr;
    void** const slot = symbol<void**>(plugin, "simGetIntegerParameter");
    // The host's rules, set only now: Qt's logging registry is then made after the plugin was loaded,
    // and is destroyed before the plugin's own globals when the process exits.
    QLoggingCategory::setFilterRules("host.own.debug=true\nhost.quiet.warning=false");
    expect(symbol<int (*)(int)>(plugin, "orvPlugin_getIntVal")(2) == -1 &&
               symbol<std::string*>(plugin, "programVersion")->empty() &&
               *symbol<void**>(plugin, "updateCheck") == nullptr,
           round, "the loaded plugin is not in its first state");
    // The plugin binds its slots to itself although the host library's names are global: the slot is
    // not the host's function, it holds it.
    void* const host = dlopen("./zadodiredi.dylib", RTLD_NOW | RTLD_NOLOAD);
    void* const hostFunction = dlsym(host, "simGetIntegerParameter");
    dlclose(host);
    for (int i = 0; i < starts; ++i) {
        const int started = symbol<unsigned char (*)(void*, int)>(plugin, "simStart")(nullptr, 0);
        expect(started == 1 && static_cast<void*>(slot) != hostFunction && *slot == hostFunction, round,
               "not started, or not bound to its own slots");
    }
    using Init = bool (*)(bool, int, int, int, const char*, const char*, const char*, const char*,
                          const char*, const char*);
    symbol<Init>(plugin, "orvPlugin_init")(false, 1, 40000, 1, "4.0.0", "(rev 1)", "23", "GCC", "Jan 10 2020",
                                           qVersion());
    return plugin;
}

// One session as the simulator runs it, up to its update check, which sends `requests` requests; the
// TLS warnings are silenced while a request is pending. With `covered`, the host installs its filter
// over the plugin's while the check is pending.
void* startSession(const char* path, int round, int starts, const orvstandin::LoopbackUpdateServer& server,
                   std::size_t requests, bool waitForAnswer, bool covered = false) {
    void* const plugin = loadAndStart(path, round, starts);
    if (plugin == nullptr)
        return nullptr;
    const auto run = symbol<void (*)(int)>(plugin, "orvPlugin_run");
    run(4);
    expect(hostLogging(true), round, "the host's logging changed before the check");
    run(6);
    expect(hostLogging(requests == 0), round,
           "TLS warnings not silenced exactly while a request is pending, or the host's rules not applied");
    if (covered)
        installHostFilter();
    const std::size_t before = server.requests().size();
    orvtest::waitUntil([&] { return server.requests().size() >= before + requests; }, 3000);
    if (waitForAnswer) {
        orvtest::waitUntil(checkRecorded, 5000);
        expect(hostLogging(true), round, "TLS warnings still silenced after the check's answer");
    }
    expect(server.requests().size() - before == requests, round, "wrong number of requests");
    return plugin;
}

// Ends the session unless the host skips simEnd, and unloads the plugin; a plugin whose filter has
// another one over it stays mapped.
void unloadSession(void* plugin, const char* path, int round, bool end, bool staysMapped) {
    if (end)
        symbol<void (*)()>(plugin, "simEnd")();
    dlclose(plugin);
    expect(isLoaded(path) == staysMapped, round,
           staysMapped ? "the plugin was unmapped" : "the plugin stays loaded");
}

// One whole session; the second one finds the first one's check recorded and sends nothing. A plugin
// `covered` by the host's filter stays mapped after unloading, as that filter calls it.
bool runSession(const char* path, int round, int starts, const orvstandin::LoopbackUpdateServer& server,
                bool waitForAnswer, bool end, bool covered = false) {
    void* const plugin =
        startSession(path, round, starts, server, round == 1 ? 1 : 0, waitForAnswer, covered);
    if (plugin == nullptr)
        return false;
    unloadSession(plugin, path, round, end, covered);
    expect(hostLogging(true), round, "the host's logging not restored after unloading");
    return true;
}

// The host's own request, its signals queued through Qt's type registry.
void hostRequest(const QString& base) {
    QNetworkAccessManager manager;
    QByteArray body;
    bool noError = false;
    QObject::connect(
        &manager, &QNetworkAccessManager::finished, &manager,
        [&](QNetworkReply* reply) {
            body = reply->readAll();
            noError = QVariant::fromValue(reply->error()).value<QNetworkReply::NetworkError>() ==
                      QNetworkReply::NoError;
            reply->deleteLater();
        },
        Qt::QueuedConnection);
    manager.get(QNetworkRequest(QUrl(base + "/host.txt")));
    // Past the update check's time-out: a timer the plugin left would fire now.
    orvtest::processEventsFor(2500);
    expect(body == "host data" && noError, 2, "the host's own request failed");
}

} // namespace

// The host goes on with its own Qt, the plugin unloaded, and unloads its host library, which leaves
// unless a plugin that stays mapped may still refer to it (it does in a clang build).
int hostGoesOn(void* host, const QString& serverBase, bool pluginMapped = false) {
    hostRequest(serverBase);
    dlclose(host);
    expect(pluginMapped || !isLoaded("./zadodiredi.dylib"), 2, "the host library stays loaded");
    return failures == 0 ? 0 : 1;
}

// The session while the host has no application object, its update check sent to a port where
// nothing listens, the plugin unloaded without simEnd; then a new application and its event loop,
// which start the request and see it fail. An earlier application object set up Qt's network layer,
// whose own thread only runs with one.
int runApplessHost(int argc, char** argv, const char* path) {
    {
        QCoreApplication earlier(argc, argv);
        const QNetworkAccessManager manager;
        orvtest::processEventsFor(200);
    }
    setenv("ORV_UPDATE_SERVER", "http://127.0.0.1:1", 1);
    void* const host = dlopen("./zadodiredi.dylib", RTLD_NOW | RTLD_GLOBAL);
    void* const plugin = host != nullptr ? loadAndStart(path, 1, 1) : nullptr;
    if (plugin == nullptr)
        return 66;
    symbol<void (*)(int)>(plugin, "orvPlugin_run")(4);
    symbol<void (*)(int)>(plugin, "orvPlugin_run")(6);
    unloadSession(plugin, path, 1, false, false);
    expect(hostLogging(true), 1, "the host's logging not restored after unloading");

    QCoreApplication app(argc, argv);
    orvstandin::LoopbackUpdateServer server;
    std::string error;
    if (!server.listen(error))
        return 65;
    server.setAnswer("/host.txt", orvstandin::ServerAnswer::withBody("host data"));
    return hostGoesOn(host, server.baseUrl());
}

int main(int argc, char** argv) {
    if (argc != 3)
        return 64;
    const char* const pluginPath = argv[1];
    const std::string scenario = argv[2];
    if (scenario == "appless")
        return runApplessHost(argc, argv, pluginPath);
    QCoreApplication app(argc, argv);
    const bool answered = scenario == "answered" || scenario == "chainedAnswered";
    const bool end = scenario != "unended" && scenario != "exits";

    orvstandin::LoopbackUpdateServer server;
    std::string error;
    if (!server.listen(error))
        return 65;
    server.setAnswer("/lastZembrixVersion.txt", answered
                                                    ? orvstandin::ServerAnswer::withBody("last: 40000 rev1\n")
                                                    : orvstandin::ServerAnswer::silence());
    server.setAnswer("/host.txt", orvstandin::ServerAnswer::withBody("host data"));
    setenv("ORV_UPDATE_SERVER", server.baseUrl().toUtf8().constData(), 1);

    void* host = dlopen("./zadodiredi.dylib", RTLD_NOW | RTLD_GLOBAL);
    if (host == nullptr)
        return 66;
    if (scenario == "exits")
        return startSession(pluginPath, 1, 1, server, 1, false) != nullptr && failures == 0 ? 0 : 67;
    if (scenario == "chained" || scenario == "chainedAnswered")
        return runSession(pluginPath, 1, 1, server, answered, !answered, true)
                   ? hostGoesOn(host, server.baseUrl(), true)
                   : 67;
    if (scenario == "filtered")
        installHostFilter();
    // The second session starts twice.
    if (!runSession(pluginPath, 1, 1, server, answered, end) ||
        !runSession(pluginPath, 2, 2, server, answered, end))
        return 67;
    return hostGoesOn(host, server.baseUrl());
}
