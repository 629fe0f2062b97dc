// Size bounds are computed in 64 bits and reported as int; a bound that does not fit is
// reported as the largest int, which no caller can allocate, so the work is refused upstream.
#pragma once

#include <climits>
#include <cstdint>

namespace vandrel::mime {

constexpr int ClampLength(std::int64_t n) {
  return n > INT_MAX ? INT_MAX : (n < 0 ? 0 : static_cast<int>(n));
}

}  // namespace vandrel::mime
