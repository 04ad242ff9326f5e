#include "update/updateRequest_p.h"

#include "orvBuildConfig.h"

#include <QString>

#include <cstdlib>

namespace orv {

std::string updateServerBase() {
    const char* fromEnvironment = std::getenv("ORV_UPDATE_SERVER");
    std::string base =
        fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment : kDefaultUpdateServer;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base;
}

std::string updateRequestUrl(const std::string& base, const UpdateQuery& query) {
    QString url = QString::fromStdString(base) + "/lastZembrixVersion.txt?";
    url += QString("a=%1").arg(static_cast<qulonglong>(query.idHash));
    url += QString("&b=%1").arg(query.edition);
    url += QString("&c=%1").arg(query.version);
    url += QString("&d=%1").arg(query.revision);
    url += query.flagE ? "&e=1" : "&e=0";
    url += query.flagF ? "&f=1" : "&f=0";
    url += "&g=2";
    // The identifier's bytes go in as they are: the frame's identifier is hexadecimal digits only.
    std::string text = url.toStdString();
    text += "&h=";
    text += query.idString;
    text += "&info=anonymizedData";
    return text;
}

} // namespace orv
