// In-memory byte stream.
#include "foundation/MemoryStream.h"

#include <algorithm>
#include <cstring>

size_t TMemoryStream::Read(void* target, size_t count)
{
    if (position_ >= bytes_.size())
        return 0;
    size_t n = std::min(count, bytes_.size() - position_);
    std::memcpy(target, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

void TMemoryStream::Write(const void* source, size_t count)
{
    if (count == 0)
        return;
    if (position_ + count > bytes_.size())
        bytes_.resize(position_ + count);
    std::memcpy(bytes_.data() + position_, source, count);
    position_ += count;
}

void TMemoryStream::SetSize(size_t size)
{
    bytes_.resize(size);
    if (position_ > size)
        position_ = size;
}

std::vector<uint8_t> TMemoryStream::TakeBytes()
{
    std::vector<uint8_t> out = std::move(bytes_);
    Clear();
    return out;
}

std::string_view TMemoryStream::View() const
{
    return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()};
}
