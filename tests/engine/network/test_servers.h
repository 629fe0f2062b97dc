// The servers tests/engine/network/test_servers.py runs for the tests; ctest starts them first
// and names their folder in VANDREL_TEST_SERVERS.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

namespace vandrel::test {

class TestServers {
 public:
  static const TestServers& Get() {
    static const TestServers servers;
    return servers;
  }

  std::uint16_t Port(const std::string& name) const {
    const auto found = ports_.find(name);
    if (found == ports_.end()) throw std::runtime_error("no test server " + name);
    return found->second;
  }
  // A file of the servers' folder (a certificate), as this system names it.
  std::string File(const std::string& name) const { return folder_ + "/" + name; }

 private:
  TestServers() {
    const char* folder = std::getenv("VANDREL_TEST_SERVERS");
    if (folder == nullptr) {
      throw std::runtime_error("VANDREL_TEST_SERVERS is not set: run the tests through ctest");
    }
#ifdef _WIN32
    // The servers run beside Wine, whose drive Z: is the Unix root.
    folder_ = std::string("Z:") + folder;
#else
    folder_ = folder;
#endif
    std::ifstream in(File("ports"));
    std::string name;
    unsigned port = 0;
    while (in >> name >> port)
      ports_[name] = static_cast<std::uint16_t>(port);
    if (ports_.empty()) throw std::runtime_error("the test servers' ports are not in " + folder_);
  }

  std::string folder_;
  std::map<std::string, std::uint16_t> ports_;
};

}  // namespace vandrel::test
