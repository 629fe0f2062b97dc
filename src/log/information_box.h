// A modal information message, used when the log has no view to write into.
#pragma once

#include <string_view>

namespace vandrel {

class InformationBox {
 public:
  virtual ~InformationBox() = default;

  // Returns once the user has closed the message.
  virtual void ShowInformation(std::string_view title, std::string_view text) = 0;
};

}  // namespace vandrel
