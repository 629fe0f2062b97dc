#include <windows.h>

#include <gtest/gtest.h>

#include <random>

#include "special_files.h"

namespace vandrel::mime {

// A named pipe with no client yet, and the NUL device.
SpecialFiles::SpecialFiles(const std::filesystem::path&) {
  const std::string name = "\\\\.\\pipe\\vandrel-test-" + std::to_string(std::random_device()());
  const HANDLE pipe = ::CreateNamedPipeA(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1,
                                         4096, 4096, 0, nullptr);
  EXPECT_NE(pipe, INVALID_HANDLE_VALUE);
  pipe_ = reinterpret_cast<std::intptr_t>(pipe);
  paths_ = {name, "NUL"};
}

SpecialFiles::~SpecialFiles() {
  if (pipe_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(pipe_));
}

}  // namespace vandrel::mime
