#include "MqttSettings.h"

#include <mosquitto.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace zorvane {

namespace {

constexpr std::string_view kForm = "mqtt://[user@]host[:port]/prefix or mqtts://...";

bool Fail(std::string& error, std::string_view problem) {
    error = std::string(problem);
    return false;
}

// The URL as it may be shown: a password put into it (USER:PASSWORD@) left out. What follows
// the first ':' up to the last '@' goes, unless it is a port: digits up to the prefix.
std::string Shown(std::string_view url) {
    const auto scheme = url.find("://");
    const auto colon = url.find(':', scheme == std::string_view::npos ? 0 : scheme + 3);
    const auto at = url.rfind('@');
    if (scheme == std::string_view::npos || colon == std::string_view::npos ||
        at == std::string_view::npos || at < colon)
        return std::string(url);
    const std::string_view port = url.substr(colon + 1, url.find('/', colon) - colon - 1);
    if (!port.empty() && port.find_first_not_of("0123456789") == std::string_view::npos)
        return std::string(url);
    return std::string(url.substr(0, colon)) + std::string(url.substr(at));
}

// "user@host:port", "host", "[::1]:1883".
bool ParseAuthority(std::string_view authority, MqttSettings& out, std::string& error) {
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        out.user = authority.substr(0, at);
        authority.remove_prefix(at + 1);
        if (out.user.find(':') != std::string::npos)
            return Fail(error,
                        "a password never goes into the URL: use ZORVANE_MQTT_PASSWORD or "
                        "--mqtt-password-file");
        if (out.user.empty()) return Fail(error, "an empty user before '@'");
    }
    std::string_view port;
    if (authority.starts_with('[')) {
        const auto close = authority.find(']');
        if (close == std::string_view::npos) return Fail(error, "no ']' after an IPv6 address");
        out.host = authority.substr(1, close - 1);
        authority.remove_prefix(close + 1);
        if (!authority.empty() && !authority.starts_with(':'))
            return Fail(error, "something after the IPv6 address other than :port");
        port = authority.empty() ? authority : authority.substr(1);
    } else {
        const auto colon = authority.find(':');
        out.host = authority.substr(0, colon);
        if (colon != std::string_view::npos) port = authority.substr(colon + 1);
    }
    if (out.host.empty()) return Fail(error, "no host");
    if (port.empty()) return true;
    const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), out.port);
    if (ec != std::errc() || end != port.data() + port.size() || out.port < 1 || out.port > 65535)
        return Fail(error, "the port must be a number from 1 to 65535");
    return true;
}

bool ParsePrefix(std::string_view prefix, MqttSettings& out, std::string& error) {
    if (prefix.ends_with('/')) prefix.remove_suffix(1);
    if (prefix.empty()) return Fail(error, "no topic prefix after the host");
    if (prefix.find_first_of("+#") != std::string_view::npos)
        return Fail(error, "the prefix holds '+' or '#', which only subscriptions may use");
    if (prefix.starts_with('$')) return Fail(error, "topics starting with '$' are the broker's");
    // The longest topic under it; MQTT counts a topic's length in two bytes.
    constexpr std::size_t kTopicLimit = 65535;
    constexpr std::string_view kLongest = "/lamp/64/name";
    if (prefix.size() > kTopicLimit - kLongest.size())
        return Fail(error, "the prefix is " + std::to_string(prefix.size()) +
                               " bytes long; a topic may have " + std::to_string(kTopicLimit) +
                               ", and " + std::string(kLongest) + " goes after it");
    if (mosquitto_validate_utf8(prefix.data(), int(prefix.size())) != MOSQ_ERR_SUCCESS ||
        prefix.find('\0') != std::string_view::npos)
        return Fail(error, "the prefix is not UTF-8 text");
    out.prefix = prefix;
    return true;
}

// The first line of `path`, without its line end.
std::optional<std::string> ReadPassword(const char* path, MqttSettingsError& error) {
    std::ifstream in(path);
    std::string line;
    if (in && (std::getline(in, line) || in.eof())) {
        if (line.ends_with('\r')) line.pop_back();
        return line;
    }
    error = {1, std::string("cannot read ") + path + ": " + std::strerror(errno)};
    return std::nullopt;
}

}  // namespace

std::optional<MqttSettings> ParseMqttUrl(std::string_view url, std::string& error) {
    MqttSettings out;
    const auto scheme = url.find("://");
    if (scheme == std::string_view::npos) {
        error = "not a URL: " + std::string(kForm);
        return std::nullopt;
    }
    if (url.substr(0, scheme) != "mqtt" && url.substr(0, scheme) != "mqtts") {
        error =
            "unknown scheme '" + std::string(url.substr(0, scheme)) + "': " + std::string(kForm);
        return std::nullopt;
    }
    out.tls = url.substr(0, scheme) == "mqtts";
    out.port = out.tls ? 8883 : 1883;
    url.remove_prefix(scheme + 3);
    const auto slash = url.find('/');
    if (slash == std::string_view::npos) {
        error = "no topic prefix: " + std::string(kForm);
        return std::nullopt;
    }
    if (!ParseAuthority(url.substr(0, slash), out, error) ||
        !ParsePrefix(url.substr(slash + 1), out, error))
        return std::nullopt;
    return out;
}

std::optional<MqttSettings> LoadMqttSettings(const char* url, const char* caFile,
                                             const char* passwordFile,
                                             const char* environmentPassword,
                                             MqttSettingsError& error) {
    std::string problem;
    auto settings = ParseMqttUrl(url, problem);
    if (!settings) {
        error = {2, "bad --mqtt URL '" + Shown(url) + "': " + problem};
        return std::nullopt;
    }
    if (passwordFile && !(settings->password = ReadPassword(passwordFile, error)))
        return std::nullopt;
    if (!passwordFile && environmentPassword && *environmentPassword)
        settings->password = environmentPassword;
    if (settings->password && settings->user.empty()) {
        error = {2, "a password needs a user: mqtt://USER@host/prefix"};
        return std::nullopt;
    }
    if (caFile && !settings->tls) {
        error = {2, "--mqtt-cafile goes with an mqtts:// URL"};
        return std::nullopt;
    }
    if (caFile && !std::ifstream(caFile)) {
        error = {1, std::string("cannot read ") + caFile + ": " + std::strerror(errno)};
        return std::nullopt;
    }
    if (caFile) settings->caFile = caFile;
    return settings;
}

std::string DefaultClientId(std::string_view host, std::string_view device) {
    const std::string name = std::filesystem::path(device).filename().string();
    std::string whole = "zorvane";
    for (const char c : "-" + std::string(host) + "-" + name) {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) != 0;
        if (plain || !whole.ends_with('-')) whole += plain ? c : '-';
    }
    while (whole.ends_with('-'))
        whole.pop_back();
    if (whole.size() <= kPortableClientId) return whole;
    // FNV-1a: the same on every run and machine, as std::hash need not be.
    std::uint32_t hash = 2166136261u;
    for (const char c : whole)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    char tail[8];
    std::snprintf(tail, sizeof tail, "-%06x", unsigned(hash & 0xFFFFFF));
    std::string head = whole.substr(0, kPortableClientId - std::strlen(tail));
    while (head.ends_with('-'))
        head.pop_back();
    return head + tail;
}

bool LoadMqttIdentity(MqttSettings& settings, const char* clientId, std::string_view host,
                      std::string_view device, const char* certFile, const char* keyFile,
                      MqttSettingsError& error) {
    settings.clientId = clientId ? clientId : DefaultClientId(host, device);
    const std::string_view id = settings.clientId;
    if (id.empty() || id.size() > 65535 || id.find('\0') != std::string_view::npos ||
        mosquitto_validate_utf8(id.data(), int(id.size())) != MOSQ_ERR_SUCCESS)
        error = {2, "--mqtt-client-id takes 1 to 65535 bytes of UTF-8 text"};
    else if (!certFile != !keyFile || (certFile && !settings.tls))
        error = {2, "--mqtt-cert and --mqtt-key go together, with an mqtts:// URL"};
    for (const char* file : {certFile, keyFile})
        if (error.message.empty() && file && !std::ifstream(file))
            error = {1, std::string("cannot read ") + file + ": " + std::strerror(errno)};
    if (!error.message.empty()) return false;
    if (certFile) settings.certFile = certFile;
    if (keyFile) settings.keyFile = keyFile;
    return true;
}

}  // namespace zorvane
