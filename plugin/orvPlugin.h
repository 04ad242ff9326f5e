#pragma once
// The plugin's host-facing interface: entry points, the orvPlugin_ family and the frame's globals,
// all with C linkage so the host finds them by their plain names.

#include "orvExport.h"

#include <string>

class CUpdateCheck;

extern "C" {

// The frame's state, written by simStart, orvPlugin_init and orvPlugin_setHld.
extern ORV_EXPORT int simFlavor; ///< edition code: 1 for the Quelt edition, -1 for the custom build
extern ORV_EXPORT void* simLib;  ///< the loaded host library, null when not loaded
extern ORV_EXPORT void* pMainWindow;
extern ORV_EXPORT bool xmlEnabled;
extern ORV_EXPORT int programVersionNb; ///< host version, major*10000 + minor*100 + patch
extern ORV_EXPORT int programRevisionNb;
extern ORV_EXPORT std::string programVersion;
extern ORV_EXPORT std::string programRevision;
extern ORV_EXPORT std::string serializationVersion;
extern ORV_EXPORT std::string compilerStr;
extern ORV_EXPORT std::string buildDateStr;
extern ORV_EXPORT std::string qtVersionStr;
/// The update checker, owned; it exists from command 4 to command 5 or simEnd (Quelt edition only).
extern ORV_EXPORT CUpdateCheck* updateCheck;

/// Loads and binds the host library, releasing one bound by an earlier start first; 1 when the plugin
/// started, 0 when it refused (a message says why).
ORV_EXPORT unsigned char simStart(void* reservedPointer, int reservedInt);
/// Ignores every message; always null.
ORV_EXPORT void* simMessage(int message, int* auxiliaryData, void* customData, int* replyData);
/// Destroys the update checker as command 5 does, then unloads the host library.
ORV_EXPORT void simEnd();

/// Stores the host's version data and edition code; always true.
ORV_EXPORT bool orvPlugin_init(bool xml, int flavor, int versionNb, int revisionNb, const char* version,
                               const char* revision, const char* serialization, const char* compiler,
                               const char* buildDate, const char* qtVersion);
ORV_EXPORT void orvPlugin_setHld(void* mainWindow);
/// Executes one numbered command (4, 5 and 6 drive the update checker).
ORV_EXPORT void orvPlugin_run(int command);

/// The About text; the title goes to *title. Both are new arrays the caller frees with delete[].
ORV_EXPORT char* orvPlugin_getAboutStr(char** title);
/// The product string for key, never null; a new array the caller frees with delete[].
ORV_EXPORT char* orvPlugin_getStringVal(int key);
/// The edition code for key 2, 0 for every other key.
ORV_EXPORT int orvPlugin_getIntVal(int key);
}
