#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zorvane {

// Where and how to publish: mqtt://[user@]host[:port]/prefix, or mqtts:// for TLS.
struct MqttSettings {
    bool tls = false;
    std::string user;  // empty: none
    std::string host;  // without the brackets of an IPv6 address
    int port = 0;
    std::string prefix;  // the topics' first levels, without a trailing '/'
    std::optional<std::string> password;
    std::string caFile;    // empty: the system's certificate store
    std::string clientId;  // the broker's name for the connection
    std::string certFile;  // with keyFile, a client certificate for mqtts://; empty: none
    std::string keyFile;
};

// What is wrong with a command line's MQTT options: 2 for an option that is wrong in itself, 1
// for a file it names that cannot be read.
struct MqttSettingsError {
    int status = 2;
    std::string message;
};

// The longest client id every broker must take (MQTT 3.1.1, 3.1.3.1).
inline constexpr std::size_t kPortableClientId = 23;

// The URL's parts; nothing, with `error` set, unless it is one of the forms above.
std::optional<MqttSettings> ParseMqttUrl(std::string_view url, std::string& error);

// The URL, the password (the first line of `passwordFile`, else `environmentPassword`) and the
// CA file, all checked before anything is opened. Any of the three may be null.
std::optional<MqttSettings> LoadMqttSettings(const char* url, const char* caFile,
                                             const char* passwordFile,
                                             const char* environmentPassword,
                                             MqttSettingsError& error);

// A line's client id when none is chosen, the same on every run: "zorvane-HOST-DEVICE", DEVICE
// the device's file name, with anything but letters, digits and '-' made a '-'. Longer than
// kPortableClientId, it keeps its start and ends in a hash of the whole, which tells lines apart.
std::string DefaultClientId(std::string_view host, std::string_view device);

// Adds the client id (`clientId`, else the default for `device` on `host`) and the client
// certificate and key, both or neither, checked before anything is opened; false with `error`.
bool LoadMqttIdentity(MqttSettings& settings, const char* clientId, std::string_view host,
                      std::string_view device, const char* certFile, const char* keyFile,
                      MqttSettingsError& error);

}  // namespace zorvane
