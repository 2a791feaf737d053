#include "tests/support/Certificate.h"

#include <stdexcept>

#include <openssl/ec.h>
#include <openssl/x509v3.h>

namespace testsupport {

SelfSignedCertificate::SelfSignedCertificate(const Options& options)
    : key_(EVP_EC_gen("P-256")), certificate_(X509_new()) {
    if (!key_ || !certificate_) throw std::runtime_error("cannot make a key or certificate");
    X509* x = certificate_.get();
    X509_set_version(x, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(x), 1);
    constexpr long kDay = 24 * 60 * 60;
    X509_gmtime_adj(X509_getm_notBefore(x), options.expired ? -2 * kDay : -60);
    X509_gmtime_adj(X509_getm_notAfter(x), options.expired ? -kDay : kDay);
    X509_set_pubkey(x, key_.get());
    X509_NAME* name = X509_get_subject_name(x);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(options.commonName.c_str()),
                               -1, -1, 0);
    X509_set_issuer_name(x, name);
    if (X509_sign(x, key_.get(), EVP_sha256()) == 0) {
        throw std::runtime_error("cannot sign the certificate");
    }
}

}  // namespace testsupport
