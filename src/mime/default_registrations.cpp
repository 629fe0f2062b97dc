#include "mime/default_registrations.h"

namespace vandrel::mime {

void EnsureDefaultRegistrations() {
  static const bool registered = [] {
    RegisterDefaultTransferCodecs();
    RegisterDefaultFieldCodecs();
    return true;
  }();
  (void)registered;
}

namespace {
const bool kRegisteredAtStartup = (EnsureDefaultRegistrations(), true);
}  // namespace

}  // namespace vandrel::mime
