// tesmora-trust-certificate: puts a certificate (DER file) into the prefix's machine-wide trusted
// root store, so that a scenario can let the simulated classroom's own certificate pass the system's
// checks; the harness takes it out again by its registry key. Usage: tesmora-trust-certificate FILE.
// Main thread.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: tesmora-trust-certificate FILE\n", stderr);
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::vector<BYTE> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (bytes.empty()) {
        std::fputs("tesmora-trust-certificate: cannot read the certificate file\n", stderr);
        return 1;
    }
    HCERTSTORE store =
        ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    if (!store) {
        std::fprintf(stderr, "tesmora-trust-certificate: no root store (%lu)\n", ::GetLastError());
        return 1;
    }
    const bool added =
        ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, bytes.data(), DWORD(bytes.size()),
                                           CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != FALSE;
    if (!added) std::fprintf(stderr, "tesmora-trust-certificate: not added (%lu)\n", ::GetLastError());
    ::CertCloseStore(store, 0);
    return added ? 0 : 1;
}
