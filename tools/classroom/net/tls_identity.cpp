// TlsIdentity: an ECDSA P-256 key (made in a millisecond, unlike RSA), SHA-256 self-signed X.509 v3
// certificate valid for a year. Main thread.
#include "net/tls_identity.h"

#include <openssl/err.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>

namespace tesmora::classroom {

namespace {

std::string OpenSslError(const char* what) {
    char text[256] = "";
    ERR_error_string_n(ERR_get_error(), text, sizeof text);
    return std::string(what) + ": " + text;
}

bool AddExtension(X509* certificate, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    if (!extension) return false;
    const bool added = X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

}  // namespace

TlsIdentity::~TlsIdentity() {
    X509_free(certificate_);
    EVP_PKEY_free(key_);
}

std::unique_ptr<TlsIdentity> TlsIdentity::Make(const std::string& host, std::string& error) {
    std::unique_ptr<TlsIdentity> identity(new TlsIdentity);
    identity->key_ = EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256");
    if (!identity->key_) return error = OpenSslError("cannot make a key"), nullptr;
    X509* certificate = identity->certificate_ = X509_new();
    if (!certificate) return error = OpenSslError("cannot make a certificate"), nullptr;

    unsigned char serial[8];
    RAND_bytes(serial, sizeof serial);
    serial[0] &= 0x7F;
    BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
    BN_to_ASN1_INTEGER(number, X509_get_serialNumber(certificate));
    BN_free(number);

    X509_set_version(certificate, 2);
    X509_gmtime_adj(X509_getm_notBefore(certificate), -24 * 3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 365L * 24 * 3600);
    X509_set_pubkey(certificate, identity->key_);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Tesmora classroom"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(host.c_str()),
                               -1, -1, 0);
    X509_set_issuer_name(certificate, name);

    std::string names = "IP:127.0.0.1,DNS:localhost";
    if (host != "127.0.0.1" && host != "localhost") {
        const bool dotted = host.find_first_not_of("0123456789.") == std::string::npos;
        names += (dotted ? ",IP:" : ",DNS:") + host;
    }
    if (!AddExtension(certificate, NID_subject_alt_name, names) ||
        !AddExtension(certificate, NID_basic_constraints, "critical,CA:FALSE") ||
        !AddExtension(certificate, NID_ext_key_usage, "serverAuth")) {
        return error = OpenSslError("cannot describe the certificate"), nullptr;
    }
    if (X509_sign(certificate, identity->key_, EVP_sha256()) == 0) {
        return error = OpenSslError("cannot sign the certificate"), nullptr;
    }
    return identity;
}

}  // namespace tesmora::classroom
