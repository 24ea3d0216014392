#include "app/cmcEvMan.h"

#include "comm/cmcTask.h"

#include <cstdint>
#include <cstring>

namespace {
cmcEvMan* current = nullptr;
constexpr std::int32_t kDrainIntervalMs = 10;
}  // namespace

std::string cmcEvMessage::text() const {
    std::string s(data.begin(), data.end());
    if (auto nul = s.find('\0'); nul != std::string::npos) s.resize(nul);
    return s;
}

cmcEvMan::cmcEvMan() : drainTask_(new cmcTask), previousInstance_(current) {
    drainTask_->setCallback([](void* self, cmcTask*) { static_cast<cmcEvMan*>(self)->Drain(); }, this);
    drainTask_->setInterval(kDrainIntervalMs);
    current = this;
}

cmcEvMan::~cmcEvMan() {
    // Queued messages are discarded undelivered. Destruction never runs inside the drain
    // (the drain does not destroy its owner), so the task can go at once.
    drainTask_->detach();
    cmcTask::dispose(drainTask_);
    if (current == this) current = previousInstance_;
}

cmcEvMan* cmcEvMan::Instance() { return current; }

bool cmcEvMan::IgnoredCallback(Callback callback) {
    // Values this small are never code addresses: a null or a stray small integer.
    return reinterpret_cast<std::uintptr_t>(callback) < 0x10000;
}

void cmcEvMan::Subscribe(Callback callback, void* user) {
    if (IgnoredCallback(callback)) return;
    Unsubscribe(callback, user);
    subscribers_.push_front(Subscriber{callback, user});
}

void cmcEvMan::Unsubscribe(Callback callback, void* user) {
    if (IgnoredCallback(callback)) return;
    for (auto& s : subscribers_) {
        if (s.callback == callback && s.user == user) s.removed = true;
    }
}

cmcEvMessage cmcEvMan::Build(EvMsg type, EvMode mode, std::int32_t first, std::int32_t second, const void* data,
                             std::int32_t length) {
    cmcEvMessage m;
    m.type = type;
    m.mode = mode;
    m.first = first;
    m.second = second;
    if (data && length > 0) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        m.data.assign(bytes, bytes + length);
    }
    return m;
}

void cmcEvMan::Deliver(cmcEvMessage& message) {
    // Subscriptions added during the delivery go in front and so are not called for this
    // message; removed ones are only marked, so the iterator stays valid.
    ++deliveryDepth_;
    for (auto it = subscribers_.begin(); it != subscribers_.end(); ++it) {
        if (!it->removed) it->callback(it->user, message);
    }
    --deliveryDepth_;
}

void cmcEvMan::Send(EvMsg type, std::int32_t first, std::int32_t second, const void* data, std::int32_t length) {
    cmcEvMessage m = Build(type, EvMode::Sent, first, second, data, length);
    Deliver(m);
}

void cmcEvMan::SendText(EvMsg type, std::int32_t first, std::int32_t second, std::string_view text) {
    const std::string terminated(text);
    Send(type, first, second, terminated.c_str(), static_cast<std::int32_t>(terminated.size() + 1));
}

void cmcEvMan::Post(EvMsg type, std::int32_t first, std::int32_t second, const void* data, std::int32_t length) {
    queue_.push_back(Queued{Build(type, EvMode::Posted, first, second, data, length)});
}

void cmcEvMan::PostText(EvMsg type, std::int32_t first, std::int32_t second, std::string_view text) {
    const std::string terminated(text);
    Post(type, first, second, terminated.c_str(), static_cast<std::int32_t>(terminated.size() + 1));
}

std::optional<cmcEvReply> cmcEvMan::Query(EvMsg type, std::int32_t first, std::int32_t second) {
    cmcEvMessage m = Build(type, EvMode::Query, first, second, nullptr, 0);
    queries_.push_back(&m);
    Deliver(m);
    queries_.pop_back();
    return std::move(m.reply);
}

void cmcEvMan::Reply(std::int32_t first, std::int32_t second, const void* data, std::int32_t length) {
    if (queries_.empty()) return;
    cmcEvReply r;
    r.first = first;
    r.second = second;
    if (data && length > 0) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        r.data.assign(bytes, bytes + length);
    }
    queries_.back()->reply = std::move(r);
}

void cmcEvMan::Drain() {
    // A subscriber that calls Drain from inside a drain would free what the outer one walks.
    if (draining_) return;
    draining_ = true;
    // Messages posted while this drain delivers arrive fresh and wait for the next one.
    for (auto& q : queue_) q.fresh = false;
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
        if (it->delivered || it->fresh) continue;
        it->delivered = true;
        Deliver(it->message);
    }
    queue_.remove_if([](const Queued& q) { return q.delivered; });
    // A drain that runs while a Send is still delivering (a subscriber showed a modal
    // box, which pumps timers) must not free entries that delivery is walking over.
    if (deliveryDepth_ == 0) subscribers_.remove_if([](const Subscriber& s) { return s.removed; });
    draining_ = false;
}
