#include "plugin/installationId_p.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>
#include <QSysInfo>

namespace orv {

namespace {

// Mixed into the digest so that the identifier cannot be matched against the bare machine id.
const char kSalt[] = "simExtOrv installation identifier, salt 1:";

} // namespace

InstallationId installationIdFrom(const std::string& machineId) {
    QCryptographicHash sha256(QCryptographicHash::Sha256);
    sha256.addData(kSalt, static_cast<int>(sizeof(kSalt) - 1));
    sha256.addData(machineId.data(), static_cast<int>(machineId.size()));
    const QByteArray digest = sha256.result();

    InstallationId id;
    for (int i = 0; i < 8; ++i)
        id.hash = (id.hash << 8) | static_cast<unsigned char>(digest[i]);
    id.text = digest.left(8).toHex().toUpper().toStdString();
    return id;
}

std::string identifyingText(const std::string& machineId, const std::string& hostName) {
    // An unfinished system image holds systemd's placeholder, the same on every such machine.
    const QByteArray id = QByteArray::fromStdString(machineId).trimmed();
    return id.isEmpty() || id == "uninitialized" ? hostName : machineId;
}

InstallationId currentInstallationId() {
    return installationIdFrom(identifyingText(QSysInfo::machineUniqueId().toStdString(),
                                              QSysInfo::machineHostName().toStdString()));
}

} // namespace orv
