// Little-endian byte writing and bounds-checked reading for the .pjd chunks. The reader never
// reads past its end: a short read fails and leaves the reader failed.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/guid.h"
#include "platform/com/little_endian.h"
#include "platform/com/types.h"

namespace host {

// The bytes are appended in a buffer whose room is made ahead, so that appending a value is
// a store and a count; take() hands the bytes over.
class byte_writer {
public:
    void u8(BYTE v) { *room(1) = v; }
    void u16(std::uint16_t v) { com::le::store16(room(2), v); }
    void u32(std::uint32_t v) { com::le::store32(room(4), v); }
    void i32(LONG v) { u32(static_cast<std::uint32_t>(v)); }
    void u64(std::uint64_t v) { com::le::store64(room(8), v); }
    void f32(float v)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        u32(bits);
    }
    void f64(double v)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &v, 8);
        u64(bits);
    }
    // A count of UTF-16 units, then the units.
    void text(const std::u16string& s)
    {
        u32(static_cast<std::uint32_t>(s.size()));
        BYTE* at = room(2 * s.size());
        for (std::size_t i = 0; i < s.size(); ++i) com::le::store16(at + 2 * i, s[i]);
    }
    void guid(const GUID& g)
    {
        u32(g.Data1);
        u16(g.Data2);
        u16(g.Data3);
        raw(g.Data4, sizeof g.Data4);
    }
    void raw(const BYTE* data, std::size_t size)
    {
        if (size) std::memcpy(room(size), data, size);
    }
    void blob(const std::vector<BYTE>& data)
    {
        u32(static_cast<std::uint32_t>(data.size()));
        raw(data.data(), data.size());
    }

    BYTE* data() noexcept { return buffer_.data(); }
    std::size_t size() const noexcept { return size_; }
    // Room for `count` bytes in all, made at once.
    void reserve(std::size_t count)
    {
        if (count > buffer_.size()) buffer_.resize(count);
    }
    // Drops the bytes from `size` on.
    void truncate(std::size_t size) noexcept
    {
        if (size < size_) size_ = size;
    }
    // The bytes written, leaving the writer empty.
    std::vector<BYTE> take()
    {
        buffer_.resize(size_);
        size_ = 0;
        return std::move(buffer_);
    }

private:
    // `count` bytes more, to be written at the address returned.
    BYTE* room(std::size_t count)
    {
        if (buffer_.size() - size_ < count) grow(count);
        BYTE* at = buffer_.data() + size_;
        size_ += count;
        return at;
    }
    // Room for `count` bytes more: at least twice the room there was.
    void grow(std::size_t count);

    std::vector<BYTE> buffer_;  // its size is the room; the first size_ bytes are written
    std::size_t size_ = 0;
};

class byte_reader {
public:
    byte_reader(const BYTE* data, std::size_t size) noexcept : p_(data), left_(size) {}

    bool ok() const noexcept { return ok_; }
    std::size_t left() const noexcept { return left_; }
    bool at_end() const noexcept { return ok_ && left_ == 0; }

    BYTE u8() noexcept
    {
        BYTE v = 0;
        take(&v, 1);
        return v;
    }
    std::uint16_t u16() noexcept
    {
        BYTE b[2] = {};
        take(b, 2);
        return com::le::load16(b);
    }
    std::uint32_t u32() noexcept
    {
        BYTE b[4] = {};
        take(b, 4);
        return com::le::load32(b);
    }
    LONG i32() noexcept { return static_cast<LONG>(u32()); }
    std::uint64_t u64() noexcept
    {
        BYTE b[8] = {};
        take(b, 8);
        return com::le::load64(b);
    }
    float f32() noexcept
    {
        std::uint32_t bits = u32();
        float v;
        std::memcpy(&v, &bits, 4);
        return v;
    }
    double f64() noexcept
    {
        std::uint64_t bits = u64();
        double v;
        std::memcpy(&v, &bits, 8);
        return v;
    }
    // The count is checked against what is left before anything is allocated.
    std::u16string text()
    {
        std::uint32_t n = u32();
        if (!ok_ || n > left_ / 2) {
            ok_ = false;
            return {};
        }
        std::u16string s(n, u'\0');
        for (std::size_t i = 0; i < n; ++i)
            s[i] = static_cast<char16_t>(com::le::load16(p_ + 2 * i));
        p_ += 2 * std::size_t(n);
        left_ -= 2 * std::size_t(n);
        return s;
    }
    GUID guid() noexcept
    {
        GUID g{};
        g.Data1 = u32();
        g.Data2 = u16();
        g.Data3 = u16();
        for (BYTE& b : g.Data4) b = u8();
        return g;
    }
    std::vector<BYTE> blob()
    {
        std::uint32_t n = u32();
        if (!ok_ || n > left_) {
            ok_ = false;
            return {};
        }
        std::vector<BYTE> out(p_, p_ + n);
        p_ += n;
        left_ -= n;
        return out;
    }
    // A view of the next `n` bytes, skipped; null when there are fewer.
    const BYTE* skip(std::size_t n) noexcept
    {
        if (!ok_ || n > left_) {
            ok_ = false;
            return nullptr;
        }
        const BYTE* at = p_;
        p_ += n;
        left_ -= n;
        return at;
    }
    void fail() noexcept { ok_ = false; }

private:
    void take(BYTE* out, std::size_t n) noexcept
    {
        if (!ok_ || n > left_) {
            ok_ = false;
            return;
        }
        std::memcpy(out, p_, n);
        p_ += n;
        left_ -= n;
    }

    const BYTE* p_;
    std::size_t left_;
    bool ok_ = true;
};

}  // namespace host
