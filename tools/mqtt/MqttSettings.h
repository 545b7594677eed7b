#pragma once

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
    std::string caFile;  // empty: the system's certificate store
};

// What is wrong with a command line's MQTT options, and the exit status it earns.
struct MqttSettingsError {
    int status = 2;
    std::string message;
};

// The URL's parts; nothing, with `error` set, unless it is one of the forms above.
std::optional<MqttSettings> ParseMqttUrl(std::string_view url, std::string& error);

// The URL, the password (the first line of `passwordFile`, else `environmentPassword`) and the
// CA file, all checked before anything is opened. Any of the three may be null.
std::optional<MqttSettings> LoadMqttSettings(const char* url, const char* caFile,
                                             const char* passwordFile,
                                             const char* environmentPassword,
                                             MqttSettingsError& error);

}  // namespace zorvane
