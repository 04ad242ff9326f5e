#include "plugin/orvPlugin.h"
#include "plugin/productStrings_p.h"
#include "plugin/returnedText_p.h"

extern "C" char* orvPlugin_getAboutStr(char** title) {
    char* const titleText = orv::newReturnedText(orv::aboutTitle());
    if (title != nullptr)
        *title = titleText;
    else
        delete[] titleText;
    return orv::newReturnedText(orv::aboutText());
}

extern "C" char* orvPlugin_getStringVal(int key) {
    return orv::newReturnedText(orv::productString(key));
}

extern "C" int orvPlugin_getIntVal(int key) {
    return key == 2 ? simFlavor : 0;
}
