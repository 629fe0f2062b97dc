// Random MIME trees for property tests, the fuzz seeds and the cross-check with Python's parser.
#pragma once

#include <memory>
#include <random>
#include <string>

#include "mime/mime_part.h"

namespace vandrel::mime::testing {

struct RandomTreeOptions {
  int maxDepth = 4;
  // Multipart parts without children (a reader outside the library sees them as leaves).
  bool allowEmptyMultipart = true;
};

std::unique_ptr<MailMessage> RandomMessage(std::mt19937& rng,
                                           const RandomTreeOptions& options = {});

// Empty text on success, else where the two trees first differ.
std::string CompareTrees(const MimePart& expected, const MimePart& actual);

// Stores the part into a buffer of exactly GetStoreLength bytes followed by a guard region;
// empty text on success, else what went wrong.
std::string StoreChecked(const MimePart& part, std::string& text);

}  // namespace vandrel::mime::testing
