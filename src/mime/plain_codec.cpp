#include "mime/plain_codec.h"

#include <algorithm>
#include <cstring>

namespace vandrel::mime {

int PlainCodec::Copy(char* buffer, int capacity) {
  if (buffer == nullptr) return 0;
  const int n = std::max(0, std::min(InputLength(), capacity));
  if (n > 0) std::memcpy(buffer, Input(), static_cast<std::size_t>(n));
  return n;
}

}  // namespace vandrel::mime
