// A self-signed certificate and its key, made in memory at start with OpenSSL, for the relay
// lookup's HTTPS. Signed by nobody on purpose: the remote's first HTTPS attempt must meet an
// untrusted certificate. Made on the main thread, read by the HTTPS server afterwards.
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <string>

namespace tesmora::classroom {

class TlsIdentity {
public:
    // The certificate names 127.0.0.1, localhost and `host`. Nothing (with a reason) on failure.
    static std::unique_ptr<TlsIdentity> Make(const std::string& host, std::string& error);

    TlsIdentity(const TlsIdentity&) = delete;
    TlsIdentity& operator=(const TlsIdentity&) = delete;
    ~TlsIdentity();

    X509* Certificate() const { return certificate_; }
    EVP_PKEY* Key() const { return key_; }

private:
    TlsIdentity() = default;

    X509* certificate_ = nullptr;
    EVP_PKEY* key_ = nullptr;
};

}  // namespace tesmora::classroom
