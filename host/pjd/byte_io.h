// Little-endian byte writing and bounds-checked reading for the .pjd chunks. The reader never
// reads past its end: a short read fails and leaves the reader failed.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "platform/com/guid.h"
#include "platform/com/little_endian.h"
#include "platform/com/types.h"

namespace host {

class byte_writer {
public:
    void u8(BYTE v) { bytes_.push_back(v); }
    void u16(std::uint16_t v)
    {
        BYTE b[2];
        com::le::store16(b, v);
        raw(b, 2);
    }
    void u32(std::uint32_t v)
    {
        BYTE b[4];
        com::le::store32(b, v);
        raw(b, 4);
    }
    void i32(LONG v) { u32(static_cast<std::uint32_t>(v)); }
    void u64(std::uint64_t v)
    {
        BYTE b[8];
        com::le::store64(b, v);
        raw(b, 8);
    }
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
        const std::size_t at = bytes_.size();
        bytes_.resize(at + 2 * s.size());
        for (std::size_t i = 0; i < s.size(); ++i) com::le::store16(&bytes_[at + 2 * i], s[i]);
    }
    void guid(const GUID& g)
    {
        u32(g.Data1);
        u16(g.Data2);
        u16(g.Data3);
        for (BYTE b : g.Data4) u8(b);
    }
    void raw(const BYTE* data, std::size_t size) { bytes_.insert(bytes_.end(), data, data + size); }
    void blob(const std::vector<BYTE>& data)
    {
        u32(static_cast<std::uint32_t>(data.size()));
        raw(data.data(), data.size());
    }

    std::vector<BYTE>& bytes() noexcept { return bytes_; }
    std::size_t size() const noexcept { return bytes_.size(); }

private:
    std::vector<BYTE> bytes_;
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
