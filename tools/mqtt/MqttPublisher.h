#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <unordered_set>

#include "LineJson.h"
#include "MqttSettings.h"
#include "TlsTrouble.h"
#include "UniqueFd.h"

struct mosquitto;

namespace zorvane {

// Tells an MQTT broker what the line does, from a thread of its own, so the reader never waits
// for the network. Under the prefix: "state" (retained JSON, the latest at most every 100 ms),
// "lamp/N" and "lamp/N/name" (retained), "health" (retained JSON, the latest), "event" (QoS 1, in
// order) and "status" (retained "online", "offline" also as the last will). A broker that goes away
// is tried again after 1 s, doubling up to 30 s; meanwhile the latest events wait, and all the rest
// is told anew once it is back. A broker that never took us for a reason only another configuration
// mends (a TLS certificate nobody trusts, say) is not tried again: the publisher gives up.
class MqttPublisher {
  public:
    static constexpr std::size_t kQueueLimit = 10'000;
    static constexpr std::chrono::milliseconds kStateInterval{100};

    MqttPublisher(MqttSettings settings, LampCaptions captions);
    // Hands on what is still waiting, says "offline" and disconnects, within about 2 s.
    ~MqttPublisher();
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // The reader's side; neither call waits for the network.
    // Starts connecting; the first call also starts the thread.
    void State(const LineState& state);
    // One line of JSON; when kQueueLimit are waiting, the oldest goes and is counted.
    void Event(std::string json);
    // The line's health as JSON; only the latest goes.
    void Health(std::string json);
    // It gave up, said why, and publishes nothing. Any thread.
    bool GaveUp() const { return gaveUp_; }

  private:
    struct Handle;  // the library's client, freed with it

    // What the reader hands over, under mutex_.
    struct Mailbox {
        LineState state;
        std::uint64_t stateVersion = 0;
        std::string health;
        std::uint64_t healthVersion = 0;
        std::deque<std::string> events;
        std::uint64_t dropped = 0;
        bool wakePending = false;  // the thread has been woken for what came since it looked
    };

    void WakeLocked();
    void Run(std::stop_token stop);
    void Connect();
    // One wait for the socket, the wake-up or a deadline, then the library's reads and writes.
    void Step(std::chrono::milliseconds longest);
    void FailAttempt(int socket);
    void OnConnect(int result);
    void OnDisconnect(int result);
    bool SetUpTls();
    void Announce();
    void Publish();
    void PublishEvents();
    void PublishState();
    void PublishHealth();
    // A state or health newer than the one sent.
    bool StateWaiting();
    // Retained topics go at QoS 0: after a reconnection they are sent anew anyway, and a stale
    // copy left in the library could otherwise overtake the fresh one.
    bool Send(const std::string& subtopic, const std::string& payload, int qos, bool retain,
              int* mid = nullptr);
    void Finish();
    std::string Describe() const;

    const MqttSettings settings_;
    const LampCaptions captions_;
    UniqueFd wake_;  // an eventfd

    std::mutex mutex_;
    Mailbox mailbox_;

    // The thread's own.
    std::unique_ptr<Handle> client_;
    bool connecting_ = false;
    bool online_ = false;         // the broker accepted us
    bool announce_ = false;       // and has not yet been told the retained topics
    bool tookUs_ = false;         // the broker accepted us once in this run
    std::string told_;            // the outage, as told
    TlsTrouble tls_;              // of the latest attempt
    bool failedAttempt_ = false;  // its socket is dead, though the library holds it
    bool finishing_ = false;
    std::chrono::seconds backoff_{1};
    std::chrono::steady_clock::time_point nextAttempt_{};
    std::uint64_t sentVersion_ = 0;
    std::uint64_t healthSent_ = 0;  // its version
    std::chrono::steady_clock::time_point stateSentAt_{};
    std::optional<Frame> lampsSent_;   // what the lamp topics say
    std::unordered_set<int> unacked_;  // events the broker has not confirmed
    std::optional<int> offlineMid_;
    std::atomic<bool> gaveUp_{false};

    std::jthread thread_;  // last: stopped and joined first
};

}  // namespace zorvane
