// A host as the simulator is one: it has its host library in the global symbol scope and its own
// logging rules, loads the plugin, runs its lifecycle with an update check, ends and unloads it,
// loads it again, and then goes on using its own Qt (a network request with queued signals, the
// event loop past the check's time-out). It checks what it sees itself: the only "host:" lines it
// prints are checks that failed, and then it exits with 1.
// Usage: hostHarness <plugin> answered|pending|unended|exits   (run in a folder holding zadodiredi.dylib)
// answered: the server answers at once; pending: it stays silent, so the check is still pending at
// the end; unended: silent too, and the host unloads the plugin without calling simEnd; exits: the
// host ends its application and exits in the middle of the first session, the plugin still loaded.
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

// The host's logging rules as it set them, with the TLS warnings on or silenced.
bool hostLogging(bool tlsWarnings) {
    return hostOwn().isDebugEnabled() && !hostQuiet().isWarningEnabled() &&
           tlsCategory().isWarningEnabled() == tlsWarnings;
}

// One session as the simulator runs it; `starts` simStart calls, then an update check.
bool runSession(const char* path, int round, int starts, const orvstandin::LoopbackUpdateServer& server,
                bool waitForAnswer, bool end, bool unload = true) {
    void* const plugin = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (plugin == nullptr)
        return false;
    const auto run = symbol<void (*)(int)>(plugin, "orvPlugin_run");
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
    run(4);
    expect(hostLogging(true), round, "the host's logging changed before the check");
    run(6);
    expect(hostLogging(false), round, "TLS warnings not silenced during the check");
    const std::size_t requests = server.requests().size();
    orvtest::waitUntil([&] { return server.requests().size() > requests; }, 3000);
    if (waitForAnswer)
        orvtest::waitUntil(checkRecorded, 5000);
    // The second session finds the first one's check recorded and sends nothing.
    expect(server.requests().size() - requests == (round == 1 ? 1u : 0u), round, "wrong number of requests");
    if (end)
        symbol<void (*)()>(plugin, "simEnd")();
    if (!unload)
        return true;
    dlclose(plugin);
    expect(!isLoaded(path), round, "the plugin stays loaded");
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

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 64;
    const char* const pluginPath = argv[1];
    const std::string scenario = argv[2];
    const bool answered = scenario == "answered";
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
        return runSession(pluginPath, 1, 1, server, false, false, false) && failures == 0 ? 0 : 67;
    // The second session starts twice.
    if (!runSession(pluginPath, 1, 1, server, answered, end) ||
        !runSession(pluginPath, 2, 2, server, answered, end))
        return 67;
    hostRequest(server.baseUrl());
    dlclose(host);
    expect(!isLoaded("./zadodiredi.dylib"), 2, "the host library stays loaded");
    return failures == 0 ? 0 : 1;
}
