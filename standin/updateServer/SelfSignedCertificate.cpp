#include "SelfSignedCertificate.h"

#include <QFile>
#include <QHostAddress>
#include <QProcess>

namespace orvstandin {

namespace {

bool readFile(const QString& path, QByteArray& content) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    content = file.readAll();
    return true;
}

} // namespace

bool SelfSignedCertificate::generate(const QString& folder, SelfSignedCertificate& result, std::string& error,
                                     const QString& host) {
    const QString keyPath = folder + "/key.pem";
    const QString certificatePath = folder + "/cert.pem";
    const QString altName = (QHostAddress(host).isNull() ? "DNS:" : "IP:") + host;
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                              "-nodes", "-days", "2", "-subj", "/CN=" + host, "-addext",
                              "subjectAltName=" + altName, "-keyout", keyPath, "-out", certificatePath});
    if (!openssl.waitForStarted(10000)) {
        error = "cannot run openssl: " + openssl.errorString().toStdString();
        return false;
    }
    if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit ||
        openssl.exitCode() != 0) {
        error = "openssl failed: " + openssl.readAll().toStdString();
        return false;
    }
    QByteArray keyPem;
    QByteArray certificatePem;
    if (!readFile(keyPath, keyPem) || !readFile(certificatePath, certificatePem)) {
        error = "openssl wrote no key or certificate into " + folder.toStdString();
        return false;
    }
    result._key = QSslKey(keyPem, QSsl::Ec, QSsl::Pem);
    result._certificate = QSslCertificate(certificatePem, QSsl::Pem);
    if (result._key.isNull() || result._certificate.isNull()) {
        error = "the key or certificate that openssl wrote cannot be loaded";
        return false;
    }
    return true;
}

} // namespace orvstandin
