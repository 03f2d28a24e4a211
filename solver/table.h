// The transposition table of the proof-number search: buckets of four
// entries, grown by doubling while it stays within its memory bound, then
// replacing the entry whose subtree cost the least work.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace vostra::solver {

constexpr uint32_t kInfinity = 0x3FFFFFFF;

struct Entry {
    uint64_t key = 0;  // 0: empty
    uint32_t pn = 1, dn = 1;
    uint32_t work = 0;   // nodes spent below this position
    uint16_t depth = 0;  // proof depth once proven or disproven
    int16_t best = 0;    // the move that proves or refutes, 0 when unknown
};

class Table {
public:
    explicit Table(size_t memoryBytes);
    // The entry for key, or nullptr.
    const Entry* find(uint64_t key) const;
    void store(const Entry& e);
    // Asks the memory for key's bucket ahead of a find.
    void prefetch(uint64_t key) const
    {
        const Entry* bucket = &slots_[key & mask_ & ~(kBucket - 1)];
        __builtin_prefetch(bucket);
        __builtin_prefetch(bucket + kBucket - 1);
    }
    size_t bytes() const { return count_ * sizeof(Entry); }
    size_t peakBytes() const { return peak_; }
    size_t entries() const { return used_; }
    // Entries proven or disproven, stored since the table was made.
    size_t settled() const { return settled_; }
    // Forgets every entry that is neither proven nor disproven.
    void dropOpen();

private:
    static constexpr size_t kBucket = 4;  // entries per bucket
    void grow();
    struct Free {
        void operator()(Entry* p) const { std::free(p); }
    };
    using Slots = std::unique_ptr<Entry[], Free>;
    // Zeroed slots (key 0: empty); a large table in huge pages where the
    // system has them.
    static Slots allocate(size_t count);
    Slots slots_;
    size_t count_ = 0;
    size_t mask_ = 0, used_ = 0, limit_ = 0, peak_ = 0, settled_ = 0;
};

}  // namespace vostra::solver
