// The hash table and its fixed permutation.
#include "foundation/QelHash.h"

namespace {

// The permutation of the 256 byte values, drawn once from a fixed generator so every
// table hashes every key alike.
constexpr std::array<uint8_t, 256> MakePermutation()
{
    std::array<uint8_t, 256> p{};
    for (int i = 0; i < 256; ++i)
        p[i] = static_cast<uint8_t>(i);
    uint32_t state = 255;
    for (int i = 1; i <= 255; ++i) {
        uint32_t r;
        do {
            state = state * 134775813u + 1u;
            r = static_cast<uint32_t>((static_cast<uint64_t>(state) * 255u) >> 32);
        } while (r == 0);
        uint8_t t = p[i];
        p[i] = p[r];
        p[r] = t;
    }
    return p;
}

constexpr std::array<uint8_t, 256> kPermutation = MakePermutation();

}  // namespace

int32_t TQelHash::HashOf(std::string_view key)
{
    uint32_t h = 0;
    for (unsigned char c : key) {
        uint32_t b = kPermutation[c];
        uint32_t a = (h >> 4) ^ (((h ^ b) & 15) << 12);
        h = (a >> 4) ^ ((((b >> 4) ^ a) & 15) << 12);
    }
    if (h == 0)
        h = static_cast<uint32_t>(key.size() % 8) + 1;
    return static_cast<int32_t>(h);
}

bool TQelHash::Find(std::string_view key, TPosition* position) const
{
    int32_t hash = HashOf(key);
    int bucket = hash & kMask;
    const auto& records = buckets_[bucket];
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].Hash == hash && records[i].Key == key) {
            if (position)
                *position = {bucket, static_cast<int>(i)};
            return true;
        }
    return false;
}

int32_t TQelHash::Get(std::string_view key, int32_t fallback) const
{
    TPosition position;
    return Find(key, &position) ? Record(position).Value : fallback;
}

void TQelHash::Put(std::string_view key, int32_t value)
{
    TPosition position;
    if (Find(key, &position)) {
        buckets_[position.Bucket][position.Index].Value = value;
        return;
    }
    int32_t hash = HashOf(key);
    buckets_[hash & kMask].push_back({hash, value, std::string(key)});
}

void TQelHash::Remove(std::string_view key)
{
    TPosition position;
    if (!Find(key, &position))
        return;
    auto& records = buckets_[position.Bucket];
    if (position.Index != static_cast<int>(records.size()) - 1)
        records[position.Index] = std::move(records.back());
    records.pop_back();
}

void TQelHash::Clear()
{
    for (auto& records : buckets_)
        records.clear();
}
