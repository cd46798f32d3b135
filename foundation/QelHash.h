// A string-keyed table of 32-bit integers with a fixed byte permutation hash: the name
// index of the surface store.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct THashRecord {
    int32_t Hash = 0;
    int32_t Value = 0;
    std::string Key;
};

class TQelHash {
public:
    static constexpr int kBucketCount = 128;
    static constexpr int kMask = kBucketCount - 1;

    struct TPosition {
        int Bucket = -1;
        int Index = -1;
    };

    // Whether key is present; if so, where its record is.
    bool Find(std::string_view key, TPosition* position = nullptr) const;
    const THashRecord& Record(TPosition position) const { return buckets_[position.Bucket][position.Index]; }
    // The value of key, or fallback when absent.
    int32_t Get(std::string_view key, int32_t fallback = -1) const;

    void Put(std::string_view key, int32_t value);
    // Moves the bucket's last record into the removed one's place.
    void Remove(std::string_view key);
    void Clear();

    const std::vector<THashRecord>& Bucket(int index) const { return buckets_[index]; }

    static int32_t HashOf(std::string_view key);

private:
    std::array<std::vector<THashRecord>, kBucketCount> buckets_;
};
