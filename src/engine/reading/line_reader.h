// Splits a file into lines the way text-mode reading does, the same on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel {

// LF and CR LF end a line, a CR before anything else stays in the line, and a last line
// without a line end is still a line. Lines have no length limit. Every other byte is kept as
// it is: NUL and 0x1A (which ended text files once) included, so nothing of an export is lost.
//
// The file is read in large blocks, so the cost is linear in its size, and a line is only copied
// when it runs from one block into the next. Offset() tells where in
// the input each line starts, so that a part of it can be read again later (ToExportLines).
class LineReader {
 public:
  static constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 20;
  static constexpr std::size_t kLineEndsLookAhead = std::size_t{1} << 20;

  // The file stays the caller's; it must be open for binary reading.
  explicit LineReader(std::FILE* file, std::size_t blockSize = kDefaultBlockSize);

  // Bytes already taken from the file (to look at how it starts), read before the rest of it.
  void Prepend(std::string_view bytes) { pending_.insert(pendingTaken_, bytes); }
  // Every byte of the input is also appended to `copy`, for input that cannot be read twice.
  void KeepCopy(std::string* copy) { copy_ = copy; }

  // Old Mac text ends its lines in CR alone. When the first kLineEndsLookAhead bytes of the
  // input hold a CR and no LF, a CR, an LF and CR LF each end a line from then on; says whether
  // that is so. Called before the first line is read.
  bool ChooseLineEnds();
  bool CrEndsLines() const { return crEndsLines_; }

  // The next line, without its line end; the view holds until the next call. False when no
  // line is left, at the end of the input or after a read error (see ErrorNumber).
  bool NextLine(std::string_view& line);

  // The bytes of the input taken so far, the prepended ones included: where the next line
  // starts.
  std::uint64_t Offset() const { return offset_; }

  // The errno of a failed read; 0 while reading went well.
  int ErrorNumber() const { return errorNumber_; }

 private:
  void SkipLineFeedAfterCr(std::string_view& line);
  bool Refill();
  std::size_t ReadBlock(char* destination);

  std::FILE* file_;
  std::size_t blockSize_;
  std::string pending_;  // read before the file
  std::size_t pendingTaken_ = 0;
  std::string* copy_ = nullptr;
  std::vector<char> buffer_;
  std::string longLine_;  // a line that runs past the end of the buffer
  std::size_t position_ = 0;
  std::size_t end_ = 0;
  std::uint64_t offset_ = 0;
  bool inputEnded_ = false;
  bool crEndsLines_ = false;
  int errorNumber_ = 0;
};

// A stretch of lines, from a line start to a line start or the end of the input, as its
// lines are read: every line followed by CR LF. In place.
void ToExportLines(std::string& bytes, bool crEndsLines = false);

}  // namespace vandrel
