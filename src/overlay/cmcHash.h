#pragma once
// A chained hash table from a text to a value, used for the name tables of cells and
// colours (cmcHash) and for the selection lists (cmcHash2). A new entry goes to the head
// of its chain; a text inserted twice is a fatal stop, since two tables of the program
// would then disagree about a name.

#include "platform/FatalStop.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The bucket of a text: a running sum that doubles and adds half the bucket count, with
// the half shrinking whenever the next character is odd. Characters count as signed
// bytes, and the arithmetic wraps at 32 bits.
std::uint32_t cmcHashBucket(std::string_view text, std::uint32_t buckets);

template <typename Value>
class cmcHashTable {
public:
    static constexpr std::uint32_t kDefaultBuckets = 1031;

    // A bucket count of 0 means 1,031. `overlapText` is the fatal text for a duplicate.
    cmcHashTable(std::uint32_t buckets, const char* overlapText)
        : heads_(buckets ? buckets : kDefaultBuckets, kNone), overlapText_(overlapText) {}

    std::uint32_t BucketCount() const { return static_cast<std::uint32_t>(heads_.size()); }

    Value& Insert(std::string_view text, Value value) {
        const std::uint32_t bucket = cmcHashBucket(text, BucketCount());
        if (FindIn(bucket, text)) platform::fatalStop(overlapText_);
        nodes_.push_back(Node{std::string(text), std::move(value), heads_[bucket]});
        heads_[bucket] = static_cast<std::int32_t>(nodes_.size() - 1);
        return nodes_.back().value;
    }

    // The value of the text, or null when it is not in the table (exact, case-sensitive).
    const Value* Find(std::string_view text) const { return FindIn(cmcHashBucket(text, BucketCount()), text); }
    Value* Find(std::string_view text) { return const_cast<Value*>(FindIn(cmcHashBucket(text, BucketCount()), text)); }

    std::size_t Count() const { return nodes_.size(); }

private:
    static constexpr std::int32_t kNone = -1;
    struct Node {
        std::string text;
        Value value;
        std::int32_t next;
    };

    const Value* FindIn(std::uint32_t bucket, std::string_view text) const {
        for (std::int32_t i = heads_[bucket]; i != kNone; i = nodes_[i].next) {
            if (nodes_[i].text == text) return &nodes_[i].value;
        }
        return nullptr;
    }

    std::vector<std::int32_t> heads_;
    std::deque<Node> nodes_;  // stable addresses; chains link them by position
    const char* overlapText_;
};

// Text to number: the cell name tables and the colour table.
class cmcHash : public cmcHashTable<std::int32_t> {
public:
    explicit cmcHash(std::uint32_t buckets = 0) : cmcHashTable(buckets, "Overlapped Hash table.") {}
};
