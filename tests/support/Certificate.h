#pragma once

#include <memory>
#include <string>

#include <openssl/evp.h>
#include <openssl/x509.h>

namespace testsupport {

// A self-signed certificate and its key, made at run time (EC P-256, SHA-256).
class SelfSignedCertificate {
public:
    struct Options {
        std::string commonName = "karaoke-test.invalid";  // matches no loopback address
        bool expired = false;                             // valid for the previous day only
    };
    explicit SelfSignedCertificate(const Options& options);
    SelfSignedCertificate() : SelfSignedCertificate(Options{}) {}

    // Owned by this object; valid while it lives.
    X509* certificate() const { return certificate_.get(); }
    EVP_PKEY* key() const { return key_.get(); }

private:
    struct X509Deleter {
        void operator()(X509* x) const { X509_free(x); }
    };
    struct KeyDeleter {
        void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
    };
    std::unique_ptr<EVP_PKEY, KeyDeleter> key_;
    std::unique_ptr<X509, X509Deleter> certificate_;
};

}  // namespace testsupport
