#include "plugin/productStrings_p.h"

#include "orvBuildConfig.h"
#include "plugin/hostConstants_p.h"
#include "plugin/orvPlugin.h"
#include "plugin/updateCommands_p.h"

namespace orv {
namespace {

bool isQuelt() {
    return simFlavor == kEditionQuelt;
}

// The year of the build date: its last four characters, or the whole text when it is shorter.
std::string buildYear() {
    const std::size_t length = buildDateStr.size();
    return length < 4 ? buildDateStr : buildDateStr.substr(length - 4);
}

const char* const kCrashQuestion =
    "It seems that Zembrix crashed in last session. If Zembrix didn't crash, you might be running several "
    "instances of Zembrix in parallel, or you might have quit Zembrix not correctly (<File --> Quit> is "
    "correct). Would you like to try to recover auto-saved scenes? (see also Zembrix's installation folder "
    "for backuped scenes)";

} // namespace

std::string aboutTitle() {
    return isQuelt() ? "About Zembrix Quelt" : "About Zembrix";
}

std::string aboutText() {
    std::string text = isQuelt() ? "Zembrix Quelt, Version " : "Zembrix custom compilation, Version ";
    text += programVersion;
    text += " ";
    text += programRevision;
    text += "  64bit (serialization version ";
    text += serializationVersion;
    text += ")";
    text += "\n(Qt Version ";
    text += qtVersionStr;
    text += ", ";
    text += compilerStr;
    text += ")";
    text += "\n";
    text += "\nBuilt ";
    text += buildDateStr;
    text += "\nCopyright (c) 2006-";
    text += buildYear();
    text += "\n";
    text += kMakerWebAddress;
    return text;
}

std::string productString(int key) {
    const bool quelt = isQuelt();
    switch (key) {
    case 1:
        return quelt ? ":/imageFiles/splashQuelt.png" : ":/imageFiles/splashBasic.png";
    case 2:
        return quelt ? "Zembrix Quelt" : "Zembrix (customized)";
    case 4:
        return quelt ? ":/imageFiles/icon128Quelt.png" : ":/imageFiles/icon128Basic.png";
    case 5:
        return "Help topics";
    case 6:
        return aboutTitle() + "...";
    case 7:
        return "Credits...";
    case 9:
        return takeUpdateNotice();
    case 11:
        return "Zembrix Crash";
    case 12:
        return kCrashQuestion;
    case 13:
        return "scenes";
    case 14:
        return "models";
    case 15:
        return "non-mobile";
    case 16:
        return "dfltscn.ttt";
    default:
        return std::string();
    }
}

} // namespace orv
