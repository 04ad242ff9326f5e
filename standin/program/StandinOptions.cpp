#include "StandinOptions.h"

#include "StandinReplies.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

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

} // namespace

bool parseStandinOptions(int argc, char** argv, StandinOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            options.showHelp = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = "unknown option or missing value: " + option;
            return false;
        }
        const char* value = argv[++i];
        bool ok = true;
        if (option == "--edition")
            ok = parseEdition(value, options.edition);
        else if (option == "--host-version")
            ok = parseInt(value, options.hostVersion);
        else if (option == "--host-revision")
            ok = parseInt(value, options.hostRevision);
        else if (option == "--workdir")
            options.workDir = value;
        else if (option == "--plugin")
            options.pluginPath = value;
        else if (option == "--host-library")
            options.hostLibrary = value;
        else if (option == "--update-server") {
            options.updateServer = value;
            ok = !options.updateServer.empty();
        } else if (option == "--reply") {
            options.reply = value;
            ok = isKnownReply(options.reply);
        } else if (option == "--soak") {
            ok = parseInt(value, options.soakCycles) && options.soakCycles > 0;
        } else {
            error = "unknown option: " + option;
            return false;
        }
        if (!ok) {
            error = "bad value for " + option + ": " + value;
            return false;
        }
    }
    if (options.soakCycles > 0 && !options.updateServer.empty()) {
        error = "--soak counts the requests at its own loopback server: it does not go with --update-server";
        return false;
    }
    return true;
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

Options:
  --edition quelt|custom   edition code passed to the plugin (1 or -1; default quelt)
  --host-version N         host version, major*10000 + minor*100 + patch (default 40000)
  --host-revision N        host revision (default 1)
  --workdir DIR            working folder to use and keep (default: a fresh temporary folder)
  --plugin PATH            plugin library to load (default: the one built beside this program)
  --host-library PATH      stand-in host library to copy into the working folder
  --update-server URL      update server to ask (default: a loopback server on 127.0.0.1)
  --reply KIND             what the loopback server answers (default new-version):
                             new-version, bug-fix, up-to-date  a version text for this host
                             http-error                        status 500
                             closed                            the connection closed unanswered
                             silence                           no answer (the check times out)
                             redirect                          a redirect to the new-version text
                             endless                           a body that never ends
                             file:PATH                         the body read from PATH
  --soak N                 instead of one run, N cycles of initialisation, every query and an
                           update check (the timestamp file removed first), then figures on
                           answers and memory; exit status 3 when a check went unanswered
  --help                   show this text
)";
    return text;
}
