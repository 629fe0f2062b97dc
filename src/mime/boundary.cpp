#include <atomic>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "mime/part_header.h"

namespace vandrel::mime {

namespace {

// The classic C runtime generator (15-bit results), so that both random fields of a boundary
// always print as exactly six digits, whatever the platform's rand() would give.
class RuntimeRandom {
 public:
  explicit RuntimeRandom(std::uint32_t seed) : state_(seed) {}
  int Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }

 private:
  std::uint32_t state_;
};

// Process-wide; the values that appear in boundaries run 1 to 9 and repeat.
std::atomic<int> boundaryCounter{0};

int NextBoundaryCounter() {
  int previous = boundaryCounter.load();
  while (!boundaryCounter.compare_exchange_weak(previous, previous + 1 >= 9 ? 0 : previous + 1)) {
  }
  return previous + 1;
}

}  // namespace

std::string GenerateBoundary(const void* seedAddress) {
  const auto seed = static_cast<std::uint32_t>(std::time(nullptr)) ^
                    static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(seedAddress));
  RuntimeRandom random(seed);
  const int counter = NextBoundaryCounter();
  const int first = random.Next();
  const int second = random.Next();
  char text[64];
  std::snprintf(text, sizeof text, "__=_Part_Boundary_%03d_%06d.%06d", counter, second, first);
  return text;
}

}  // namespace vandrel::mime
