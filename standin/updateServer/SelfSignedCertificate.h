#pragma once
// A throw-away certificate for the loopback server's TLS variant, made with the openssl command.

#include <QSslCertificate>
#include <QSslKey>
#include <QString>

#include <string>

namespace orvstandin {

/// A self-signed certificate for one host (127.0.0.1 unless named) and its private key; nobody trusts it.
class SelfSignedCertificate {
public:
    /// Generates the pair for host, an address or a name, into folder (key.pem, cert.pem) and loads it;
    /// false with a message in error.
    static bool generate(const QString& folder, SelfSignedCertificate& result, std::string& error,
                         const QString& host = "127.0.0.1");

    const QSslCertificate& certificate() const { return _certificate; }
    const QSslKey& key() const { return _key; }

private:
    QSslCertificate _certificate;
    QSslKey _key;
};

} // namespace orvstandin
