#pragma once
// The plugin's host-facing interface: entry points, the orvPlugin_ family and the frame's globals,
// all with C linkage so the host finds them by their plain names.

#include <string>

class CUpdateCheck;

extern "C" {

// The frame's state, written by simStart, orvPlugin_init and orvPlugin_setHld.
extern int simFlavor; ///< edition code: 1 for the Quelt edition, -1 for the custom build
extern void* simLib;  ///< the loaded host library, null when not loaded
extern void* pMainWindow;
extern bool xmlEnabled;
extern int programVersionNb; ///< host version, major*10000 + minor*100 + patch
extern int programRevisionNb;
extern std::string programVersion;
extern std::string programRevision;
extern std::string serializationVersion;
extern std::string compilerStr;
extern std::string buildDateStr;
extern std::string qtVersionStr;
/// The update checker, owned; it exists from command 4 to command 5 or simEnd (Quelt edition only).
extern CUpdateCheck* updateCheck;

/// Loads and binds the host library, releasing one bound by an earlier start first; 1 when the plugin
/// started, 0 when it refused (a message says why).
unsigned char simStart(void* reservedPointer, int reservedInt);
/// Ignores every message; always null.
void* simMessage(int message, int* auxiliaryData, void* customData, int* replyData);
/// Destroys the update checker as command 5 does, then unloads the host library.
void simEnd();

/// Stores the host's version data and edition code; always true.
bool orvPlugin_init(bool xml, int flavor, int versionNb, int revisionNb, const char* version,
                    const char* revision, const char* serialization, const char* compiler,
                    const char* buildDate, const char* qtVersion);
void orvPlugin_setHld(void* mainWindow);
/// Executes one numbered command (4, 5 and 6 drive the update checker).
void orvPlugin_run(int command);

/// The About text; the title goes to *title. Both are new arrays the caller frees with delete[].
char* orvPlugin_getAboutStr(char** title);
/// The product string for key, never null; a new array the caller frees with delete[].
char* orvPlugin_getStringVal(int key);
/// The edition code for key 2, 0 for every other key.
int orvPlugin_getIntVal(int key);
}
