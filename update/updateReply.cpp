#include "update/updateReply_p.h"

#include "util/CTTUtil.h"
#include "util/ttNumbers.h"

#include <algorithm>

namespace orv {

namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

void appendLine(std::string& text, const std::string& line) {
    if (!text.empty())
        text += "\n";
    text += line;
}

// "last: <version> rev<revision>": a word that is not a valid integer leaves the value as it was.
void readLastLine(std::string& rest, UpdateReply& reply) {
    std::string word;
    if (CTTUtil::extractSpaceSeparatedWord(rest, word))
        tt::getValidInt(word, reply.latestVersion);
    // The revision word's first three characters ("rev") are dropped, whatever they are.
    if (CTTUtil::extractSpaceSeparatedWord(rest, word))
        tt::getValidInt(word.size() > 3 ? word.substr(3) : std::string(), reply.latestRevision);
}

std::string closingSentence(const std::string& makerWebAddress) {
    return "\n\nPlease visit " + makerWebAddress + " to download the last Zembrix version.";
}

void readLine(std::string& line, UpdateReply& reply) {
    std::string word;
    if (!CTTUtil::extractSpaceSeparatedWord(line, word))
        return;
    if (word == "last:") {
        readLastLine(line, reply);
    } else if (startsWith(word, "rev")) {
        appendLine(reply.revisions, withoutControlCharacters(word + " " + line));
    } else if (startsWith(word, "change")) {
        std::string change = withoutControlCharacters(line);
        CTTUtil::removeSpacesAtBeginningAndEnd(change);
        appendLine(reply.changes, change);
    }
}

} // namespace

UpdateReply parseUpdateReply(const std::string& body) {
    // extractLine takes each line off the front of its text, which costs the length of what is
    // left: the body goes to it in blocks that end at a line end, which yields the same lines in
    // time proportional to the body's length.
    const std::size_t blockSize = 4096;
    UpdateReply reply;
    std::string line;
    std::size_t start = 0;
    while (start < body.size()) {
        const std::size_t end = body.find_first_of("\r\n", std::min(start + blockSize, body.size()));
        const std::size_t cut = end == std::string::npos ? body.size() : end + 1;
        std::string block = body.substr(start, cut - start);
        while (CTTUtil::extractLine(block, line))
            readLine(line, reply);
        start = cut;
    }
    return reply;
}

std::string withoutControlCharacters(const std::string& text) {
    std::string kept;
    kept.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 32 && byte != 127) || byte == '\t')
            kept += c;
    }
    return kept;
}

std::string versionString(int version) {
    const int major = version / 10000;
    const int minor = (version - major * 10000) / 100;
    const int patch = version - major * 10000 - minor * 100;
    return tt::FNb(0, major, false) + "." + tt::FNb(0, minor, false) + "." + tt::FNb(0, patch, false);
}

std::string composeUpdateNotice(const UpdateReply& reply, int version, int revision,
                                const std::string& makerWebAddress) {
    if (reply.latestVersion > version)
        return "A new Zembrix version is available for download: Zembrix V" +
               versionString(reply.latestVersion) + "\n\nMain changes in that version:\n" + reply.changes +
               closingSentence(makerWebAddress);
    if (reply.latestVersion == version && reply.latestRevision > revision)
        return "A bug fix Zembrix version is available for download: Zembrix V" +
               versionString(reply.latestVersion) + " rev" + tt::FNb(0, reply.latestRevision, false) +
               "\n\nRevisions:\n" + reply.revisions + closingSentence(makerWebAddress);
    return std::string();
}

std::string upToDateText() {
    return "This Zembrix version is up-to-date.";
}

std::string failedCheckText(const std::string& makerWebAddress) {
    return "Failed checking whether this Zembrix version is up-to-date.\nPlease visit " + makerWebAddress +
           " to verify\nthat you are running the last Zembrix version.";
}

} // namespace orv
