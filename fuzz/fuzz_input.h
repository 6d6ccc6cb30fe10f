#pragma once
// The fuzz input as a stream of bytes, read front to back. Reads past the end
// give zeros, so every decoder is total; the driver stops at the end.

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

class InputStream {
public:
    InputStream(const uint8_t* data, size_t size) : data(data), size(size) { }

    bool empty() const { return at >= size; }

    uint8_t byte() { return at < size ? data[at++] : 0; }

    uint16_t u16()
    {
        const uint16_t low = byte();
        return static_cast<uint16_t>(low | (byte() << 8));
    }

    uint32_t u32()
    {
        const uint32_t low = u16();
        return low | (static_cast<uint32_t>(u16()) << 16);
    }

    uint64_t u64()
    {
        const uint64_t low = u32();
        return low | (static_cast<uint64_t>(u32()) << 32);
    }

    // Up to `length` bytes, fewer when the input ends first.
    std::string text(size_t length)
    {
        const size_t available = at < size ? size - at : 0;
        if (length > available)
            length = available;
        std::string out(reinterpret_cast<const char*>(data + at), length);
        at += length;
        return out;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

}  // namespace fuzz
