#pragma once
// The program-wide event manager: parts notify each other through numbered messages
// without holding references to one another. `Send` and `Query` deliver at once and
// re-entrantly; `Post` queues, and a 10 ms task drains the queue.

#include "app/EvMsg.h"

#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class cmcTask;

struct cmcEvReply {
    std::int32_t first = 0;
    std::int32_t second = 0;
    std::vector<std::uint8_t> data;
};

enum class EvMode : std::uint8_t { Posted = 0, Sent = 1, Query = 2 };

struct cmcEvMessage {
    EvMsg type{};
    EvMode mode = EvMode::Sent;
    std::int32_t first = 0;
    std::int32_t second = 0;
    std::vector<std::uint8_t> data;       // copied from the sender; texts keep their terminator
    std::optional<cmcEvReply> reply;      // a query's answer

    // The data block as text (without its terminator).
    std::string text() const;
};

class cmcEvMan {
public:
    using Callback = void (*)(void* user, cmcEvMessage& message);

    cmcEvMan();
    ~cmcEvMan();
    cmcEvMan(const cmcEvMan&) = delete;
    cmcEvMan& operator=(const cmcEvMan&) = delete;

    // The instance created with the other process-wide objects (the latest one alive).
    static cmcEvMan* Instance();

    // Replaces any subscription with the same callback and user data; the newest
    // subscriber is called first.
    void Subscribe(Callback callback, void* user);
    // Marks matching subscriptions removed; they are freed at a later drain.
    void Unsubscribe(Callback callback, void* user);

    // Member-function subscription: Subscribe<&Sheet::OnEvent>(this).
    template <auto Method, class T>
    void Subscribe(T* object) { Subscribe(&Trampoline<Method, T>, object); }
    template <auto Method, class T>
    void Unsubscribe(T* object) { Unsubscribe(&Trampoline<Method, T>, object); }

    void Send(EvMsg type, std::int32_t first = 0, std::int32_t second = 0, const void* data = nullptr,
              std::int32_t length = 0);
    void SendText(EvMsg type, std::int32_t first, std::int32_t second, std::string_view text);
    void Post(EvMsg type, std::int32_t first = 0, std::int32_t second = 0, const void* data = nullptr,
              std::int32_t length = 0);
    void PostText(EvMsg type, std::int32_t first, std::int32_t second, std::string_view text);
    std::optional<cmcEvReply> Query(EvMsg type, std::int32_t first = 0, std::int32_t second = 0);
    // Inside a Query's delivery: leaves the answer for the innermost running query.
    void Reply(std::int32_t first, std::int32_t second, const void* data = nullptr, std::int32_t length = 0);

    // One run of the 10 ms drain (public so that tests and shutdown code can call it).
    void Drain();

    std::size_t queued() const { return queue_.size(); }
    std::size_t subscriptions() const { return subscribers_.size(); }

private:
    struct Subscriber {
        Callback callback;
        void* user;
        bool removed = false;
    };
    struct Queued {
        cmcEvMessage message;
        bool delivered = false;
        bool fresh = true;
    };

    template <auto Method, class T>
    static void Trampoline(void* user, cmcEvMessage& m) { (static_cast<T*>(user)->*Method)(m); }

    static bool IgnoredCallback(Callback callback);
    static cmcEvMessage Build(EvMsg type, EvMode mode, std::int32_t first, std::int32_t second, const void* data,
                              std::int32_t length);
    void Deliver(cmcEvMessage& message);

    std::list<Subscriber> subscribers_;
    std::list<Queued> queue_;
    std::vector<cmcEvMessage*> queries_;   // running queries, innermost last
    int deliveryDepth_ = 0;
    bool draining_ = false;
    cmcTask* drainTask_ = nullptr;
    cmcEvMan* previousInstance_ = nullptr;
};
