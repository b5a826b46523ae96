#pragma once
// Bounded reader over binary bytes.
//
// Every read is checked against the end of the buffer first, so a truncated or
// lying file ends in a ReadError naming what was being read and where, never in a
// read past the end. Values are converted from the file's byte order. Reading
// reports progress (the share of the bytes behind the cursor) and checks for cancel.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

#include "ReadError.h"
#include "ReadProgress.h"

namespace wexlan::io {

enum class ByteOrder { Little, Big };

template <typename T>
inline T FromBytes(const char* p, ByteOrder order) {
    static_assert(std::is_trivially_copyable_v<T>);
    T value;
    if (order == ByteOrder::Little) {
        std::memcpy(&value, p, sizeof(T));
    } else {
        char swapped[sizeof(T)];
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            swapped[i] = p[sizeof(T) - 1 - i];
        }
        std::memcpy(&value, swapped, sizeof(T));
    }
    return value;
}

class ByteCursor {
public:
    /// Reads [begin, end); offsets in messages count from `base` (the file's first byte).
    ByteCursor(const char* begin, const char* end, const char* base, ByteOrder order)
        : m_pos(begin), m_end(end), m_base(base), m_order(order) {}

    std::size_t Remaining() const { return static_cast<std::size_t>(m_end - m_pos); }
    std::size_t Offset() const { return static_cast<std::size_t>(m_pos - m_base); }
    const char* Position() const { return m_pos; }
    ByteOrder Order() const { return m_order; }

    /// Throws unless `count` bytes are left; `what` names them for the user.
    void Require(std::size_t count, const char* what) const {
        if (count > Remaining()) {
            Fail("the file ends too early: ", what, " at byte ", Offset(), " needs ", count,
                 " bytes but only ", Remaining(), " are left");
        }
    }

    /// Returns a pointer to the next `count` bytes and moves past them.
    const char* Take(std::size_t count, const char* what) {
        Require(count, what);
        if (m_ticker.Due()) {
            ReportProgress(Offset(), static_cast<std::size_t>(m_end - m_base));
        }
        const char* p = m_pos;
        m_pos += count;
        return p;
    }

    void Skip(std::size_t count, const char* what) { Take(count, what); }

    template <typename T>
    T Read(const char* what) {
        return FromBytes<T>(Take(sizeof(T), what), m_order);
    }

private:
    const char* m_pos;
    const char* m_end;
    const char* m_base;
    ByteOrder m_order;
    ProgressTicker m_ticker;
};

/// Decimal text of a size that may exceed 64 bits, for messages about inflated headers.
inline std::string ToDecimal(unsigned __int128 value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
        value /= 10;
    } while (value != 0);
    return digits;
}

/// a * b, or false when the product does not fit in 64 bits.
inline bool CheckedMul(std::uint64_t a, std::uint64_t b, std::uint64_t& out) {
    return !__builtin_mul_overflow(a, b, &out);
}

}  // namespace wexlan::io
