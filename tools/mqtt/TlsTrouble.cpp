#include "TlsTrouble.h"

#include <openssl/x509_vfy.h>

namespace zorvane {

namespace {

bool Has(std::string_view line, std::string_view part) {
    return line.find(part) != std::string_view::npos;
}

// "OpenSSL Error[0]: error:0A000086:SSL routines::certificate verify failed": the last part.
std::string_view Reason(std::string_view line) {
    const auto colon = line.rfind(':');
    return colon == std::string_view::npos ? line : line.substr(colon + 1);
}

}  // namespace

void TlsTrouble::Note(std::string_view line, long verifyResult) {
    // The library names the file it could not load, and OpenSSL then says why.
    if (kind_ == Kind::KeyUnusable && detail_.empty() && Has(line, "OpenSSL Error"))
        detail_ = Reason(line);
    // The first line that says what happened stands; the ones after it tell the same.
    if (kind_ != Kind::None && kind_ != Kind::Other) return;
    detail_ = Reason(line);
    if (Has(line, "host name verification failed")) {
        kind_ = Kind::HostName;
    } else if (Has(line, "certificate verify failed")) {
        const bool time = verifyResult == X509_V_ERR_CERT_HAS_EXPIRED ||
                          verifyResult == X509_V_ERR_CERT_NOT_YET_VALID;
        kind_ = time ? Kind::Clock : Kind::Untrusted;
        if (verifyResult != X509_V_OK) detail_ = X509_verify_cert_error_string(verifyResult);
    } else if (Has(line, "alert certificate required")) {
        kind_ = Kind::CertificateWanted;
    } else if (Has(line, "alert unknown ca") || Has(line, "alert bad certificate") ||
               Has(line, "alert certificate")) {
        kind_ = Kind::CertificateRefused;
    } else if (Has(line, "Unable to load client") ||
               Has(line, "certificate/key are inconsistent")) {
        kind_ = Kind::KeyUnusable;
        detail_.clear();
    } else if (Has(line, "wrong version number") || Has(line, "unexpected eof while reading")) {
        kind_ = Kind::NotTls;
    } else if (Has(line, "OpenSSL Error")) {
        kind_ = Kind::Other;
    }
}

bool TlsTrouble::Lasting() const {
    switch (kind_) {
        case Kind::Untrusted:
        case Kind::HostName:
        case Kind::CertificateWanted:
        case Kind::CertificateRefused:
        case Kind::KeyUnusable:
            return true;
        default:
            return false;
    }
}

std::string TlsTrouble::Describe(const MqttSettings& settings, const std::string& broker) const {
    const std::string at = "the MQTT broker at " + broker;
    const std::string why = " (" + detail_ + ")";
    switch (kind_) {
        case Kind::Untrusted:
            return settings.caFile.empty()
                       ? at +
                             " is not trusted: no certificate authority of this system signed its "
                             "certificate" +
                             why + "; give the broker's with --mqtt-cafile FILE"
                       : at + " is not trusted: the certificate authority in " + settings.caFile +
                             " did not sign its certificate" + why;
        case Kind::HostName:
            return at + " is not trusted: its certificate is not for the host name " +
                   settings.host + "; the URL must name the broker as its certificate does";
        case Kind::Clock:
            return at + " has a certificate that is not valid now" + why +
                   ", or this machine's clock is wrong";
        case Kind::CertificateWanted:
            return at + " wants a client certificate: give it with --mqtt-cert and --mqtt-key";
        case Kind::CertificateRefused:
            return at + " does not take the client certificate " + settings.certFile + why;
        case Kind::KeyUnusable:
            return "cannot use the client certificate " + settings.certFile + " with the key " +
                   settings.keyFile + " (" + detail_ + "): they must belong together, in PEM, " +
                   "the key not encrypted";
        case Kind::NotTls:
            return at + " did not answer in TLS" + why + ", as a port for mqtt:// would not";
        default:
            return "TLS with " + at + " failed" + why;
    }
}

}  // namespace zorvane
