#include "MqttPublisher.h"

#include <mosquitto.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "LocalTime.h"

namespace zorvane {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kKeepAliveSeconds = 30;
constexpr std::chrono::seconds kLongestBackoff{30};
// Events handed to the library and not yet confirmed; the rest wait in our bounded queue.
constexpr std::size_t kInFlight = 100;
constexpr milliseconds kFinishTime{2000};

MqttPublisher* Self(void* user) {
    return static_cast<MqttPublisher*>(user);
}

// An encrypted key fails to load rather than wait for a passphrase at a terminal.
int NoPassphrase(char*, int, int, void*) {
    return 0;
}

}  // namespace

struct MqttPublisher::Handle {
    mosquitto* mosq;
    ~Handle() {
        if (mosq) mosquitto_destroy(mosq);
        mosquitto_lib_cleanup();
    }
};

MqttPublisher::MqttPublisher(MqttSettings settings, LampCaptions captions)
    : settings_(std::move(settings)),
      captions_(std::move(captions)),
      wake_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

MqttPublisher::~MqttPublisher() {
    if (!thread_.joinable()) return;
    thread_.request_stop();
    thread_.join();
}

void MqttPublisher::State(const LineState& state) {
    const std::lock_guard lock(mutex_);
    mailbox_.state = state;
    ++mailbox_.stateVersion;
    WakeLocked();
    if (!thread_.joinable()) thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

void MqttPublisher::Event(std::string json) {
    const std::lock_guard lock(mutex_);
    if (mailbox_.events.size() >= kQueueLimit) {
        mailbox_.events.pop_front();
        ++mailbox_.dropped;
    }
    mailbox_.events.push_back(std::move(json));
    WakeLocked();
}

void MqttPublisher::Health(std::string json) {
    const std::lock_guard lock(mutex_);
    mailbox_.health = std::move(json);
    ++mailbox_.healthVersion;
    WakeLocked();
}

// Once until the thread looks again: a broker that is away costs the reader no wake-ups.
void MqttPublisher::WakeLocked() {
    if (std::exchange(mailbox_.wakePending, true)) return;
    const std::uint64_t one = 1;
    (void)!write(wake_.Get(), &one, sizeof one);  // only fails when already signalled
}

void MqttPublisher::Run(std::stop_token stop) {
    mosquitto_lib_init();
    const std::string& id = settings_.clientId;  // empty: one the library makes up
    client_.reset(new Handle{mosquitto_new(id.empty() ? nullptr : id.c_str(), true, this)});
    mosquitto* mosq = client_->mosq;
    if (!mosq) {  // out of memory: the line is still decoded, only not published
        std::fprintf(stderr, "zorvane-decode: cannot make an MQTT client: %s\n",
                     mosquitto_strerror(MOSQ_ERR_NOMEM));
        return;
    }
    mosquitto_connect_callback_set(
        mosq, [](mosquitto*, void* self, int rc) { Self(self)->OnConnect(rc); });
    mosquitto_disconnect_callback_set(
        mosq, [](mosquitto*, void* self, int rc) { Self(self)->OnDisconnect(rc); });
    mosquitto_log_callback_set(mosq, [](mosquitto* m, void* self, int level, const char* line) {
        if (level != MOSQ_LOG_ERR) return;
        const auto* ssl = static_cast<const SSL*>(mosquitto_ssl_get(m));
        Self(self)->tls_.Note(line, ssl ? SSL_get_verify_result(ssl) : X509_V_OK);
    });
    mosquitto_publish_callback_set(mosq, [](mosquitto*, void* self, int mid) {
        MqttPublisher& me = *Self(self);
        me.unacked_.erase(mid);
        if (me.offlineMid_ == mid) me.offlineMid_.reset();
    });
    mosquitto_int_option(mosq, MOSQ_OPT_SEND_MAXIMUM, int(kInFlight));
    const std::string status = settings_.prefix + "/status";
    mosquitto_will_set(mosq, status.c_str(), 7, "offline", 1, true);
    if (!settings_.user.empty())
        mosquitto_username_pw_set(mosq, settings_.user.c_str(),
                                  settings_.password ? settings_.password->c_str() : nullptr);
    if (settings_.tls && !SetUpTls()) return;

    const std::stop_callback wakeOnStop(stop, [this] {
        const std::uint64_t one = 1;
        (void)!write(wake_.Get(), &one, sizeof one);  // only fails when already signalled
    });
    while (!stop.stop_requested() && !gaveUp_) {
        if ((mosquitto_socket(mosq) < 0 || failedAttempt_) && Clock::now() >= nextAttempt_)
            Connect();
        Step(milliseconds(1000));
        if (online_) Publish();
    }
    Finish();
}

bool MqttPublisher::SetUpTls() {
    mosquitto* mosq = client_->mosq;
    const auto file = [](const std::string& name) { return name.empty() ? nullptr : name.c_str(); };
    // The system's store is what OpenSSL finds (SSL_CERT_FILE too). Its folder is named as well:
    // without a CA file or folder the library takes no client certificate, and cannot
    // reconnect ("MOSQ_OPT_SSL_CTX_WITH_DEFAULTS used without specifying cafile").
    const bool system = settings_.caFile.empty();
    if (system) mosquitto_int_option(mosq, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
    const int rc = mosquitto_tls_set(
        mosq, file(settings_.caFile), system ? X509_get_default_cert_dir() : nullptr,
        file(settings_.certFile), file(settings_.keyFile), &NoPassphrase);
    if (rc == MOSQ_ERR_SUCCESS) return true;
    std::fprintf(stderr, "zorvane-decode: cannot set up TLS for the MQTT broker: %s\n",
                 mosquitto_strerror(rc));
    gaveUp_ = true;
    return false;
}

void MqttPublisher::Connect() {
    // A TLS failure inside the library's reads does not always reach OnDisconnect.
    if (tls_.What() != TlsTrouble::Kind::None) OnDisconnect(MOSQ_ERR_TLS);
    if (gaveUp_) return;
    tls_.Clear();
    failedAttempt_ = false;
    nextAttempt_ = Clock::now() + backoff_;
    backoff_ = std::min(backoff_ * 2, kLongestBackoff);
    const int rc = connecting_ ? mosquitto_reconnect_async(client_->mosq)
                               : mosquitto_connect_async(client_->mosq, settings_.host.c_str(),
                                                         settings_.port, kKeepAliveSeconds);
    connecting_ = true;
    if (rc != MOSQ_ERR_SUCCESS) OnDisconnect(rc);
}

void MqttPublisher::Step(milliseconds longest) {
    mosquitto* mosq = client_->mosq;
    const int socket = failedAttempt_ ? -1 : mosquitto_socket(mosq);
    auto until = Clock::now() + longest;
    if (socket < 0) until = std::min(until, nextAttempt_);
    if (online_ && StateWaiting()) until = std::min(until, stateSentAt_ + kStateInterval);
    const auto wait = std::chrono::ceil<milliseconds>(until - Clock::now());
    short events = POLLIN;
    if (mosquitto_want_write(mosq)) events |= POLLOUT;
    pollfd fds[] = {{wake_.Get(), POLLIN, 0}, {socket, events, 0}};
    if (poll(fds, socket < 0 ? 1 : 2, int(std::max<milliseconds::rep>(wait.count(), 0))) < 0)
        return;  // EINTR: the caller looks again
    std::uint64_t count = 0;
    if (fds[0].revents & POLLIN) (void)!read(wake_.Get(), &count, sizeof count);
    if (socket < 0) return;
    if (fds[1].revents & (POLLIN | POLLERR | POLLHUP)) mosquitto_loop_read(mosq, 1);
    if ((fds[1].revents & (POLLERR | POLLHUP)) && !online_ && mosquitto_socket(mosq) == socket)
        return FailAttempt(socket);
    if (mosquitto_socket(mosq) >= 0 && (fds[1].revents & POLLOUT)) mosquitto_loop_write(mosq, 1);
    mosquitto_loop_misc(mosq);  // keep-alive
}

// A TCP connection refused, or closed, while TLS starts leaves the library reading a dead socket
// for ever; the next attempt replaces it.
void MqttPublisher::FailAttempt(int socket) {
    failedAttempt_ = true;
    int error = 0;
    socklen_t size = sizeof error;
    // Not knowing why, it was lost all the same.
    (void)getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &size);
    OnDisconnect(error == ECONNREFUSED ? MOSQ_ERR_CONN_REFUSED : MOSQ_ERR_CONN_LOST);
}

void MqttPublisher::OnConnect(int result) {
    if (result != 0) {
        // The library closes the connection after a refusal and tells OnDisconnect.
        told_ =
            "the MQTT broker at " + Describe() + " refused us: " + mosquitto_connack_string(result);
        std::fprintf(stderr, "zorvane-decode: %s\n", told_.c_str());
        return;
    }
    std::fprintf(stderr, "zorvane-decode: publishing to the MQTT broker at %s under %s/\n",
                 Describe().c_str(), settings_.prefix.c_str());
    online_ = true;
    tookUs_ = true;
    announce_ = true;  // not from inside the library's callback, which holds its locks
    told_.clear();
    backoff_ = std::chrono::seconds(1);
}

// Everything retained is told anew: the broker may have lost it, or be another one.
void MqttPublisher::Announce() {
    Send("status", "online", 1, true);
    for (int lamp = 1; lamp <= kLampCount; ++lamp)
        Send("lamp/" + std::to_string(lamp) + "/name", captions_[lamp - 1], 0, true);
    lampsSent_.reset();
    sentVersion_ = 0;
    healthSent_ = 0;
    stateSentAt_ = {};
}

// One message an outage, unless TLS tells more on a later attempt.
void MqttPublisher::OnDisconnect(int result) {
    const bool wasOnline = std::exchange(online_, false);
    const bool tls = tls_.What() != TlsTrouble::Kind::None;
    if (finishing_ || (!told_.empty() && !tls)) return;
    // The library has no words for a broker that stopped answering.
    const std::string why =
        result == MOSQ_ERR_KEEPALIVE
            ? "no answer for " + std::to_string(kKeepAliveSeconds * 3 / 2) + " s"
            : mosquitto_strerror(result);
    const std::string what = tls ? tls_.Describe(settings_, Describe())
                                 : "the MQTT broker at " + Describe() +
                                       (wasOnline ? " went away (" : " is unreachable (") + why +
                                       ")";
    // Once it took us, our side was right: its administrator may mend its side.
    if (tls_.Lasting() && !tookUs_) {
        std::fprintf(stderr, "zorvane-decode: %s; nothing is published\n", what.c_str());
        gaveUp_ = true;
        return;
    }
    if (std::exchange(told_, what) == what) return;
    std::fprintf(stderr, "zorvane-decode: %s; events wait, trying again\n", what.c_str());
}

void MqttPublisher::Publish() {
    if (std::exchange(announce_, false)) Announce();
    PublishEvents();
    PublishState();
    PublishHealth();
}

void MqttPublisher::PublishEvents() {
    std::deque<std::string> events;
    std::uint64_t dropped = 0;
    {
        const std::lock_guard lock(mutex_);
        mailbox_.wakePending = false;
        const std::size_t room = kInFlight - std::min(kInFlight, unacked_.size());
        const std::size_t n = std::min(room, mailbox_.events.size());
        events.assign(std::make_move_iterator(mailbox_.events.begin()),
                      std::make_move_iterator(mailbox_.events.begin() + long(n)));
        mailbox_.events.erase(mailbox_.events.begin(), mailbox_.events.begin() + long(n));
        if (n > 0) dropped = std::exchange(mailbox_.dropped, 0);
    }
    // The events lost stood before those that are left.
    if (dropped > 0)
        events.push_front(
            EventJson(LocalTime(std::chrono::system_clock::now()), "dropped", dropped));
    for (const std::string& event : events) {
        int mid = 0;
        // A QoS 1 message the library took stays with it until confirmed, also across a
        // reconnection; only one it refused is lost.
        if (Send("event", event, 1, false, &mid) || mid != 0) unacked_.insert(mid);
    }
}

void MqttPublisher::PublishState() {
    LineState state;
    {
        const std::lock_guard lock(mutex_);
        if (sentVersion_ == mailbox_.stateVersion || Clock::now() < stateSentAt_ + kStateInterval)
            return;
        state = mailbox_.state;
        sentVersion_ = mailbox_.stateVersion;
    }
    stateSentAt_ = Clock::now();
    if (state.frame) {
        for (int lamp = 1; lamp <= kLampCount; ++lamp) {
            const bool on = state.frame->Lamp(lamp);
            if (!lampsSent_ || lampsSent_->Lamp(lamp) != on)
                Send("lamp/" + std::to_string(lamp), on ? "1" : "0", 0, true);
        }
        lampsSent_ = state.frame;
    }
    Send("state", StateJson(state, captions_), 0, true);
}

// The line core tells it at most once a second.
void MqttPublisher::PublishHealth() {
    std::string health;
    {
        const std::lock_guard lock(mutex_);
        if (healthSent_ == mailbox_.healthVersion) return;
        health = mailbox_.health;
        healthSent_ = mailbox_.healthVersion;
    }
    Send("health", health, 0, true);
}

bool MqttPublisher::StateWaiting() {
    const std::lock_guard lock(mutex_);
    return sentVersion_ != mailbox_.stateVersion || healthSent_ != mailbox_.healthVersion;
}

bool MqttPublisher::Send(const std::string& subtopic, const std::string& payload, int qos,
                         bool retain, int* mid) {
    const std::string topic = settings_.prefix + "/" + subtopic;
    const int rc = mosquitto_publish(client_->mosq, mid, topic.c_str(), int(payload.size()),
                                     payload.data(), qos, retain);
    if (rc == MOSQ_ERR_SUCCESS) return true;
    // A lost connection is told by the loop; anything else would come back every time.
    if (rc != MOSQ_ERR_NO_CONN && rc != MOSQ_ERR_CONN_LOST && rc != MOSQ_ERR_ERRNO) {
        std::fprintf(stderr, "zorvane-decode: cannot publish to %s: %s\n", topic.c_str(),
                     mosquitto_strerror(rc));
        if (mid) *mid = 0;
    }
    return false;
}

// What is waiting goes out, then "offline", while the broker confirms within kFinishTime.
void MqttPublisher::Finish() {
    finishing_ = true;
    const auto deadline = Clock::now() + kFinishTime;
    auto waiting = [this] {
        const std::lock_guard lock(mutex_);
        return !mailbox_.events.empty();
    };
    while (online_ && Clock::now() < deadline &&
           (waiting() || StateWaiting() || !unacked_.empty())) {
        Publish();
        Step(std::chrono::ceil<milliseconds>(deadline - Clock::now()));
    }
    if (!online_) return;
    int mid = 0;
    if (Send("status", "offline", 1, true, &mid)) offlineMid_ = mid;
    while (online_ && offlineMid_ && Clock::now() < deadline)
        Step(std::chrono::ceil<milliseconds>(deadline - Clock::now()));
    mosquitto_disconnect(client_->mosq);
}

std::string MqttPublisher::Describe() const {
    const bool v6 = settings_.host.find(':') != std::string::npos;
    return (v6 ? "[" + settings_.host + "]" : settings_.host) + ":" +
           std::to_string(settings_.port);
}

}  // namespace zorvane
