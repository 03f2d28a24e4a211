#include "solver/table.h"

#include <cstring>
#include <new>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <sys/mman.h>
#define VOSTRA_HUGE_PAGES 1
#endif

namespace vostra::solver {

namespace {
constexpr size_t kFirstSlots = 1u << 14;
}  // namespace

Table::Table(size_t memoryBytes) : limit_(memoryBytes)
{
    size_t n = kFirstSlots;
    while (n > kBucket && n * sizeof(Entry) > limit_) n /= 2;
    slots_ = allocate(n);
    count_ = n;
    mask_ = n - 1;
    peak_ = bytes();
}

Table::Slots Table::allocate(size_t count)
{
#ifdef VOSTRA_HUGE_PAGES
    // A large table asks for huge pages and is cleared at once.  Left to
    // fault in page by page, its first lookups map the shared zero page and
    // each first store then copies it and flushes the TLB of every core the
    // process runs on: a fifth of the time with two threads solving.
    constexpr size_t kHuge = size_t{2} << 20;
    const size_t bytes = count * sizeof(Entry);
    if (bytes >= kHuge) {
        const size_t rounded = (bytes + kHuge - 1) / kHuge * kHuge;
        void* p = std::aligned_alloc(kHuge, rounded);
        if (!p) throw std::bad_alloc();
        madvise(p, rounded, MADV_HUGEPAGE);  // a hint: without it the table works the same
        std::memset(p, 0, bytes);
        return Slots(static_cast<Entry*>(p));
    }
#endif
    void* p = std::calloc(count, sizeof(Entry));
    if (!p) throw std::bad_alloc();
    return Slots(static_cast<Entry*>(p));
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
    if (used_ * 4 > count_ * 3 && count_ * 3 * sizeof(Entry) <= limit_) grow();
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
    const Slots old = std::move(slots_);
    const size_t oldCount = count_;
    slots_ = allocate(oldCount * 2);
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
