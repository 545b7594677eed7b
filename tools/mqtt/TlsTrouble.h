#pragma once

#include <string>
#include <string_view>

#include "MqttSettings.h"

namespace zorvane {

// Why a TLS connection to the broker failed, read from the client library's error lines, so
// that the user is told what it is, and the publisher knows whether trying again can help.
class TlsTrouble {
  public:
    enum class Kind {
        None,
        Untrusted,           // no trusted authority signed the broker's certificate
        HostName,            // the certificate is for another host
        Clock,               // expired or not yet valid: perhaps this machine's clock
        CertificateWanted,   // the broker wants a client certificate
        CertificateRefused,  // and does not take ours
        KeyUnusable,         // our certificate and key cannot be loaded
        NotTls,              // the broker did not answer in TLS
        Other,
    };

    // One error line of the library; `verifyResult` is the certificate check's (X509_V_OK, or
    // an X509_V_ERR_ code) at that moment.
    void Note(std::string_view line, long verifyResult);
    void Clear() { *this = {}; }

    Kind What() const { return kind_; }
    // Nothing but another configuration mends it: a broker that never took us is not tried
    // again.
    bool Lasting() const;
    // What is wrong and what to do, for the user.
    std::string Describe(const MqttSettings& settings, const std::string& broker) const;

  private:
    Kind kind_ = Kind::None;
    std::string detail_;  // OpenSSL's words
};

}  // namespace zorvane
