// An in-memory byte stream with a read/write position, the unit of exchange between
// the archive, the scrambled-file codec and the XML reader and writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TMemoryStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    explicit TMemoryStream(std::string_view text) : bytes_(text.begin(), text.end()) {}

    size_t Size() const { return bytes_.size(); }
    size_t Position() const { return position_; }
    void SetPosition(size_t position) { position_ = position; }

    // Reads up to count bytes from the position; gives how many arrived.
    size_t Read(void* target, size_t count);
    // Writes at the position, growing the stream as needed.
    void Write(const void* source, size_t count);
    void Write(std::string_view text) { Write(text.data(), text.size()); }

    void Clear() { bytes_.clear(); position_ = 0; }
    void SetSize(size_t size);

    const uint8_t* Data() const { return bytes_.data(); }
    uint8_t* Data() { return bytes_.data(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::vector<uint8_t> TakeBytes();
    std::string_view View() const;

private:
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};
