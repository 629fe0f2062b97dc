// Writes random stored messages and the decoded content of their leaves, for the cross-check
// against Python's email package (mime_tree_check.py).
// Output per message: "message <n>\n" + n bytes + "\nleaves <k>\n", then per leaf
// "<n>\n" + n bytes + "\n" + the leaf's transfer encoding + "\n".
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "random_tree.h"

using namespace vandrel::mime;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: mime_tree_tool SEED COUNT\n";
    return 2;
  }
  std::mt19937 rng(static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)));
  const int count = std::atoi(argv[2]);
  testing::RandomTreeOptions options;
  options.allowEmptyMultipart = false;
  for (int i = 0; i < count; ++i) {
    auto message = testing::RandomMessage(rng, options);
    std::string text;
    const std::string problem = testing::StoreChecked(*message, text);
    if (!problem.empty()) {
      std::cerr << problem << "\n";
      return 1;
    }
    std::vector<MimePart*> leaves;
    message->CollectLeafParts(leaves);
    std::cout << "message " << text.size() << "\n" << text << "\nleaves " << leaves.size() << "\n";
    for (const MimePart* leaf : leaves) {
      const HeaderField* encoding = leaf->GetField("Content-Transfer-Encoding");
      std::cout << leaf->Content().size() << "\n"
                << leaf->Content() << "\n"
                << (encoding != nullptr ? encoding->value : "") << "\n";
    }
  }
  return std::cout.good() ? 0 : 1;
}
