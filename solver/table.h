// The transposition table of the proof-number search: buckets of four
// entries, grown by doubling while it stays within its memory bound, then
// replacing the entry whose subtree cost the least work.  On Linux the
// table grows in place within address space reserved up front, so the
// bound holds the table alone; elsewhere a growth holds the old slots and
// the new ones at once.
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
    // Doubles the slots: in place where the space was reserved, else into
    // a new array.  Every entry stays (its bucket's entries split between
    // the bucket and its new twin, which nothing else maps to).
    void grow();
    // Whether a table of `count` slots fits the bound, counting what a
    // growth to it holds at once.
    bool fits(size_t count) const;
    struct Free {
        Free() : reserved(0) {}
        explicit Free(size_t bytes) : reserved(bytes) {}
        size_t reserved;  // bytes mapped for the table in place, else 0
        void operator()(Entry* p) const;
    };
    using Slots = std::unique_ptr<Entry[], Free>;
    // Zeroed slots (key 0: empty): `count` of them, in space for `room`
    // where the system lets the table grow in place (then in huge pages).
    static Slots allocate(size_t count, size_t room);
    // Makes slots [from, to) of the reserved space ready (zeroed, touched).
    static void commit(Entry* slots, size_t from, size_t to);
    Slots slots_;
    size_t count_ = 0;
    size_t mask_ = 0, used_ = 0, limit_ = 0, peak_ = 0, settled_ = 0;
};

}  // namespace vostra::solver
