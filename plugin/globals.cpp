#include "plugin/orvPlugin.h"

extern "C" {
int simFlavor = -1;
void* simLib = nullptr;
void* pMainWindow = nullptr;
bool xmlEnabled = false;
int programVersionNb = 0;
int programRevisionNb = 0;
std::string programVersion;
std::string programRevision;
std::string serializationVersion;
std::string compilerStr;
std::string buildDateStr;
std::string qtVersionStr;
CUpdateCheck* updateCheck = nullptr;
}
