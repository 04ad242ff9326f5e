#include "StandinOptions.h"

#include "StandinReplies.h"

#include <QUrl>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

bool parseInt(const char* text, int& value) {
    if (text == nullptr || *text == '\0')
        return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (*end != '\0' || errno != 0 || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool parseEdition(const std::string& text, int& edition) {
    if (text == "quelt" || text == "1") {
        edition = 1;
        return true;
    }
    if (text == "custom" || text == "-1") {
        edition = -1;
        return true;
    }
    return false;
}

bool isValueOption(const std::string& option) {
    for (const char* known : {"--edition", "--host-version", "--host-revision", "--workdir", "--plugin",
                              "--host-library", "--update-server", "--reply", "--soak", "--update-check"})
        if (option == known)
            return true;
    return false;
}

// An update server's base address: http or https, a host, an optional port, nothing after.
bool isServerAddress(const std::string& text) {
    const QUrl url(QString::fromStdString(text), QUrl::StrictMode);
    return url.isValid() && (url.scheme() == "http" || url.scheme() == "https") && !url.host().isEmpty() &&
           (url.path().isEmpty() || url.path() == "/") && !url.hasQuery() && !url.hasFragment() &&
           url.userInfo().isEmpty();
}

// A number the user set in the environment holds unless the option was given.
bool takeEnvironment(const char* name, bool optionGiven, int& value, std::string& error) {
    const char* text = std::getenv(name);
    if (optionGiven || text == nullptr || *text == '\0')
        return true;
    if (parseInt(text, value))
        return true;
    error = std::string("bad value in the environment for ") + name + ": " + text;
    return false;
}

// Read by the stand-in host library (only 1 counts there); anything but 0 or 1 is a mistake to report.
bool checkNullMainWindow(std::string& error) {
    const char* text = std::getenv("ORV_STANDIN_NULL_MAIN_WINDOW");
    if (text == nullptr || *text == '\0' || std::strcmp(text, "0") == 0 || std::strcmp(text, "1") == 0)
        return true;
    error = std::string("bad value in the environment for ORV_STANDIN_NULL_MAIN_WINDOW (0 or 1): ") + text;
    return false;
}

bool takeServerFromEnvironment(StandinOptions& options, std::string& error) {
    const char* text = std::getenv("ORV_UPDATE_SERVER");
    if (options.updateServer.empty() && text != nullptr && *text != '\0') {
        if (!isServerAddress(text)) {
            error = std::string("bad value in the environment for ORV_UPDATE_SERVER: ") + text;
            return false;
        }
        options.updateServer = text;
    }
    if (options.soakCycles > 0 && !options.updateServer.empty()) {
        error = "--soak counts the requests at its own loopback server: it does not go with "
                "--update-server or ORV_UPDATE_SERVER";
        return false;
    }
    return true;
}

} // namespace

std::string absolutePath(const std::string& path) {
    if (path.empty())
        return path;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

bool parseStandinOptions(int argc, char** argv, StandinOptions& options, std::string& error) {
    bool hostVersionGiven = false;
    bool hostRevisionGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            options.showHelp = true;
            continue;
        }
        if (option == "--version") {
            options.showVersion = true;
            continue;
        }
        // "--name=value" or "--name value".
        std::string value;
        const std::size_t equals = option.find('=');
        if (option.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
        } else if (!isValueOption(option)) {
            error = "unknown option: " + option;
            return false;
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            error = "missing value for " + option;
            return false;
        }
        bool ok = true;
        if (option == "--edition")
            ok = parseEdition(value, options.edition);
        else if (option == "--host-version")
            ok = hostVersionGiven = parseInt(value.c_str(), options.hostVersion);
        else if (option == "--host-revision")
            ok = hostRevisionGiven = parseInt(value.c_str(), options.hostRevision);
        else if (option == "--workdir")
            ok = !(options.workDir = absolutePath(value)).empty();
        else if (option == "--plugin")
            ok = !(options.pluginPath = absolutePath(value)).empty();
        else if (option == "--host-library")
            ok = !(options.hostLibrary = absolutePath(value)).empty();
        else if (option == "--update-server")
            ok = isServerAddress(options.updateServer = value);
        else if (option == "--reply")
            ok = isKnownReply(options.reply = replyWithAbsoluteFile(value));
        else if (option == "--update-check")
            ok = (options.updateCheck = value) == "on" || value == "off";
        else if (option == "--soak")
            ok = parseInt(value.c_str(), options.soakCycles) && options.soakCycles > 0;
        else {
            error = "unknown option: " + option;
            return false;
        }
        if (!ok) {
            error = "bad value for " + option + ": " + value;
            return false;
        }
    }
    return takeEnvironment("ORV_STANDIN_HOST_VERSION", hostVersionGiven, options.hostVersion, error) &&
           takeEnvironment("ORV_STANDIN_HOST_REVISION", hostRevisionGiven, options.hostRevision, error) &&
           checkNullMainWindow(error) && takeServerFromEnvironment(options, error);
}

std::string standinHelpText(const char* programName) {
    std::string text = "Usage: ";
    text += programName;
    text += R"( [options]

Plays the Zembrix host for the Orv plugin: puts the stand-in host library in a working folder,
loads the plugin, starts and initialises it, prints the About box and every product string, and
runs the update check (commands 4 and 6, the event loop until the answer or the time-out, the
notice of key 9, command 5) against its own loopback update server or the one named.
The check runs at most once a day: keep the working folder (--workdir) to see it skipped.

Options (each also as --name=value):
  --edition quelt|custom   edition code passed to the plugin (1 or -1; default quelt)
  --host-version N         host version, major*10000 + minor*100 + patch (default 40000, or
                           ORV_STANDIN_HOST_VERSION when set)
  --host-revision N        host revision (default 1, or ORV_STANDIN_HOST_REVISION when set)
  --workdir DIR            working folder to use and keep (default: a fresh temporary folder)
  --plugin PATH            plugin library to load (default: the one built beside this program)
  --host-library PATH      stand-in host library to copy into the working folder
  --update-server URL      update server to ask: http or https, a host, an optional port
                           (default: ORV_UPDATE_SERVER when set, else a loopback server on 127.0.0.1)
  --reply KIND             what the loopback server answers (default new-version):
                             new-version, bug-fix, up-to-date  a version text for this host
                             http-error                        status 500
                             closed                            the connection closed unanswered
                             silence                           no answer (the check times out)
                             redirect                          a redirect to the new-version text
                             endless                           a body that never ends
                             file:PATH                         the body read from PATH
  --update-check on|off    sets ORV_UPDATE_CHECK to off, or clears it (default: as set); the key
                           simExtOrv.updateCheck in DIR/system/usrset.txt turns the check off too
  --soak N                 instead of one run, N cycles of initialisation, every query and an
                           update check (the timestamp file removed first), then figures on
                           answers and memory (memory growth from cycle 100 on: a shorter soak
                           says "not measured", as does the heap without AddressSanitizer)
  --version                show the version
  --help                   show this text
Paths are taken from the folder the program is started in, although it works in its working folder.

Environment (an option given wins):
  ORV_STANDIN_HOST_VERSION      host version, as --host-version
  ORV_STANDIN_HOST_REVISION     host revision, as --host-revision
  ORV_UPDATE_SERVER             update server, as --update-server
  ORV_STANDIN_NULL_MAIN_WINDOW  1: the stand-in host library reports no main window (default 0)
  ORV_UPDATE_CHECK              read by the plugin: false, off, no or 0 turns its check off

Exit status: 0 done, 1 the working folder, a library or the loopback server could not be set up,
2 the plugin refused to start, 3 a soak cycle's check went unanswered, 64 a bad option or a bad
value in one of the variables above.
)";
    return text;
}
