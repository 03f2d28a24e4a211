#include "solver/table.h"

#include <algorithm>
#include <cstring>
#include <new>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <sys/mman.h>
#define VOSTRA_HUGE_PAGES 1
#endif

namespace vostra::solver {

namespace {
constexpr size_t kFirstSlots = 1u << 14;
#ifdef VOSTRA_HUGE_PAGES
constexpr size_t kHuge = size_t{2} << 20;
constexpr size_t kPage = 4096;
#endif
}  // namespace

Table::Table(size_t memoryBytes) : limit_(memoryBytes)
{
    size_t n = kFirstSlots;
    while (n > kBucket && n * sizeof(Entry) > limit_) n /= 2;
    // The largest table the bound allows, grown to in place.
    size_t room = n;
    while (room * 2 * sizeof(Entry) <= limit_) room *= 2;
    slots_ = allocate(n, room);
    count_ = n;
    mask_ = n - 1;
    peak_ = bytes();
}

void Table::Free::operator()(Entry* p) const
{
#ifdef VOSTRA_HUGE_PAGES
    if (reserved) {
        munmap(p, reserved);
        return;
    }
#endif
    std::free(p);
}

Table::Slots Table::allocate(size_t count, size_t room)
{
#ifdef VOSTRA_HUGE_PAGES
    // A table that may grow past a huge page reserves the address space
    // for its largest size, aligned to huge pages; the pages are taken as
    // the table grows into them.
    const size_t most = room * sizeof(Entry);
    if (most >= kHuge) {
        const size_t reserved = (most + kHuge - 1) / kHuge * kHuge;
        void* raw = mmap(nullptr, reserved + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                         -1, 0);
        if (raw != MAP_FAILED) {
            char* base = static_cast<char*>(raw);
            char* aligned = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(base) + kHuge - 1) / kHuge * kHuge);
            if (aligned > base) munmap(base, static_cast<size_t>(aligned - base));
            if (const size_t tail = static_cast<size_t>(base + reserved + kHuge - (aligned + reserved)))
                munmap(aligned + reserved, tail);
            madvise(aligned, reserved, MADV_HUGEPAGE);  // a hint: without it the table works the same
            Entry* slots = reinterpret_cast<Entry*>(aligned);
            commit(slots, 0, count);
            return Slots(slots, Free{reserved});
        }
    }
#else
    (void)room;
#endif
    void* p = std::calloc(count, sizeof(Entry));
    if (!p) throw std::bad_alloc();
    return Slots(static_cast<Entry*>(p));
}

void Table::commit(Entry* slots, size_t from, size_t to)
{
#ifdef VOSTRA_HUGE_PAGES
    // Fresh mapped pages read as zero.  Each is written once now: left to
    // fault in on the first lookups, they would map the shared zero page,
    // and each first store would then copy it and flush the TLB of every
    // core the process runs on (a fifth of the time with two threads).
    char* begin = reinterpret_cast<char*>(slots + from);
    char* end = reinterpret_cast<char*>(slots + to);
    for (char* q = begin; q < end; q += kPage) *q = 0;
#else
    (void)slots;
    (void)from;
    (void)to;
#endif
}

bool Table::fits(size_t count) const
{
    const size_t reserved = slots_.get_deleter().reserved;
    if (reserved) return count * sizeof(Entry) <= reserved && count * sizeof(Entry) <= limit_;
    return (count + count / 2) * sizeof(Entry) <= limit_;
}

const Entry* Table::find(uint64_t key) const
{
    const size_t b = key & mask_ & ~(kBucket - 1);
    for (size_t i = 0; i < kBucket; ++i)
        if (slots_[b + i].key == key) return &slots_[b + i];
    return nullptr;
}

void Table::store(const Entry& e)
{
    if (e.pn == 0 || e.dn == 0) ++settled_;
    // Growing holds the old slots and the twice as many new ones at once:
    // both must fit within the bound.
    if (used_ * 4 > count_ * 3 && fits(count_ * 2)) grow();
    const size_t b = e.key & mask_ & ~(kBucket - 1);
    Entry* victim = nullptr;
    for (size_t i = 0; i < kBucket; ++i) {
        Entry& s = slots_[b + i];
        if (s.key == e.key) {
            s = e;
            return;
        }
        if (s.key == 0) {
            if (!victim || victim->key != 0) victim = &s;
        } else if (!victim || (victim->key != 0 && s.work < victim->work)) {
            victim = &s;
        }
    }
    if (victim->key == 0) ++used_;
    *victim = e;
}

void Table::dropOpen()
{
    for (size_t i = 0; i < count_; ++i)
        if (Entry& e = slots_[i]; e.key && e.pn != 0 && e.dn != 0) {
            e = Entry{};
            --used_;
        }
}

void Table::grow()
{
    const size_t oldCount = count_;
    if (slots_.get_deleter().reserved) {
        // In place: a bucket's entries whose key has the new mask bit move
        // to its twin in the new half, in the same slot.
        commit(slots_.get(), oldCount, oldCount * 2);
        count_ = oldCount * 2;
        mask_ = count_ - 1;
        Entry* s = slots_.get();
        for (size_t i = 0; i < oldCount; ++i)
            if (s[i].key & oldCount) {
                s[i + oldCount] = s[i];
                s[i] = Entry{};
            }
        peak_ = std::max(peak_, bytes());
        return;
    }
    const Slots old = std::move(slots_);
    slots_ = allocate(oldCount * 2, 0);
    count_ = oldCount * 2;
    mask_ = count_ - 1;
    used_ = 0;
    if (bytes() + oldCount * sizeof(Entry) > peak_) peak_ = bytes() + oldCount * sizeof(Entry);
    const size_t settled = settled_;
    for (size_t i = 0; i < oldCount; ++i)
        if (old[i].key) store(old[i]);
    settled_ = settled;
}

}  // namespace vostra::solver
