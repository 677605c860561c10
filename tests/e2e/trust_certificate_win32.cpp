// tesmora-trust-certificate: puts a certificate (DER file) into the prefix's machine-wide trusted
// root store, or takes it out again, so that a scenario can let the simulated classroom's own
// certificate pass the system's checks. Usage: tesmora-trust-certificate add|remove FILE. Main thread.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

HCERTSTORE OpenMachineRoot() {
    return ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: tesmora-trust-certificate add|remove FILE\n", stderr);
        return 2;
    }
    const std::wstring action = argv[1];
    std::ifstream file(argv[2], std::ios::binary);
    const std::vector<BYTE> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (bytes.empty()) {
        std::fputs("tesmora-trust-certificate: cannot read the certificate file\n", stderr);
        return 1;
    }
    HCERTSTORE store = OpenMachineRoot();
    if (!store) {
        std::fprintf(stderr, "tesmora-trust-certificate: no root store (%lu)\n", ::GetLastError());
        return 1;
    }
    bool done = false;
    if (action == L"add") {
        done = ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, bytes.data(), DWORD(bytes.size()),
                                                  CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != FALSE;
    } else if (action == L"remove") {
        PCCERT_CONTEXT wanted =
            ::CertCreateCertificateContext(X509_ASN_ENCODING, bytes.data(), DWORD(bytes.size()));
        PCCERT_CONTEXT found = wanted ? ::CertFindCertificateInStore(store, X509_ASN_ENCODING, 0,
                                                                     CERT_FIND_EXISTING, wanted, nullptr)
                                      : nullptr;
        // Deleting frees the found context; nothing there counts as done.
        done = found ? ::CertDeleteCertificateFromStore(found) != FALSE : wanted != nullptr;
        if (wanted) ::CertFreeCertificateContext(wanted);
    }
    if (!done)
        std::fprintf(stderr, "tesmora-trust-certificate: %ls failed (%lu)\n", argv[1], ::GetLastError());
    ::CertCloseStore(store, 0);
    return done ? 0 : 1;
}
