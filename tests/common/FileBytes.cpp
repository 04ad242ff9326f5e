#include "common/FileBytes.h"

#include <QFile>

namespace orvtest {

bool writeFileBytes(const std::string& path, const std::string& bytes) {
    QFile file(QString::fromStdString(path));
    const auto size = static_cast<qint64>(bytes.size());
    return file.open(QIODevice::WriteOnly) && file.write(bytes.data(), size) == size;
}

std::string fileBytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<unreadable>";
}

} // namespace orvtest
