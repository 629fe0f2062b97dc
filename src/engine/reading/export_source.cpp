#include "engine/reading/export_source.h"

#include <cerrno>
#include <vector>

#include "engine/reading/unicode_export.h"
#include "texts/texts.h"

namespace vandrel {

namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 20;

// Reads up to `count` bytes; false on a read error, with errno kept in `errorNumber`.
bool ReadSome(std::FILE* file, std::vector<char>& block, std::size_t& got, int& errorNumber) {
  errno = 0;
  got = std::fread(block.data(), 1, block.size(), file);
  if (got < block.size() && std::ferror(file)) {
    errorNumber = errno != 0 ? errno : EIO;
    return false;
  }
  return true;
}

bool WriteAll(std::FILE* file, std::string_view bytes, int& errorNumber) {
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size()) return true;
  errorNumber = errno != 0 ? errno : EIO;
  return false;
}

// A readable copy of the rest of a file that cannot be read twice (a pipe).
FilePointer CopyRest(std::FILE* in, int& errorNumber) {
  FilePointer copy = OpenTemporaryFile();
  if (copy == nullptr) {
    errorNumber = errno != 0 ? errno : EIO;
    return nullptr;
  }
  std::vector<char> block(kBlockSize);
  for (std::size_t got = kBlockSize; got == kBlockSize;) {
    if (!ReadSome(in, block, got, errorNumber)) return nullptr;
    if (!WriteAll(copy.get(), std::string_view(block.data(), got), errorNumber)) return nullptr;
  }
  std::rewind(copy.get());
  return copy;
}

bool RestIsUtf8(std::FILE* in, int& errorNumber) {
  Utf8Checker checker;
  std::vector<char> block(kBlockSize);
  for (std::size_t got = kBlockSize; got == kBlockSize && checker.StillValid();) {
    if (!ReadSome(in, block, got, errorNumber)) return false;
    checker.Feed(std::string_view(block.data(), got));
  }
  return checker.Finish();
}

// `head` and the rest of `in`, UTF-16 or UTF-8, in the export's code page in a temporary file.
FilePointer ConvertRest(std::string_view head, std::FILE* in, ByteOrderMark mark,
                        ExportEncoding& encoding, int& errorNumber) {
  FilePointer out = OpenTemporaryFile();
  if (out == nullptr) {
    errorNumber = errno != 0 ? errno : EIO;
    return nullptr;
  }
  Utf16Decoder utf16(mark == ByteOrderMark::kUtf16BigEndian);
  std::vector<char> block(kBlockSize);
  std::string utf8;
  if (mark == ByteOrderMark::kUtf8) {
    utf8.assign(head);
  } else {
    utf16.Decode(head, utf8);
  }
  for (std::size_t got = kBlockSize; got == kBlockSize;) {
    if (!ReadSome(in, block, got, errorNumber)) return nullptr;
    const std::string_view bytes(block.data(), got);
    if (mark == ByteOrderMark::kUtf8) {
      utf8.append(bytes);
    } else {
      utf16.Decode(bytes, utf8);
      if (got < kBlockSize) utf16.Finish(utf8);
    }
    const std::size_t whole = got < kBlockSize ? utf8.size() : WholeUtf8Characters(utf8);
    if (!WriteAll(out.get(), encoding.FromUtf8(std::string_view(utf8).substr(0, whole)),
                  errorNumber)) {
      return nullptr;
    }
    utf8.erase(0, whole);
  }
  std::rewind(out.get());
  return out;
}

std::string ConvertedNote(ByteOrderMark mark, const ExportEncoding& encoding) {
  const std::string_view form = mark == ByteOrderMark::kUtf8 ? "UTF-8" : "UTF-16";
  return Format(Tr("export is %1; converted to %2."), form, encoding.CodePage());
}

}  // namespace

ExportSource OpenExportSource(const std::string& path, ExportEncoding& encoding) {
  ExportSource source;
  errno = 0;
  source.file = OpenInputFile(path);
  if (source.file == nullptr) {
    source.errorNumber = errno != 0 ? errno : EIO;
    return source;
  }
  std::vector<char> start(3);
  std::size_t got = 0;
  if (!ReadSome(source.file.get(), start, got, source.errorNumber)) {
    source.file.reset();
    return source;
  }
  source.start.assign(start.data(), got);
  const ByteOrderMark mark = DetectByteOrderMark(source.start);
  if (mark == ByteOrderMark::kNone) return source;

  // The mark is dropped; what follows it is the text.
  source.start.erase(0, MarkLength(mark));
  if (mark == ByteOrderMark::kUtf8) {
    // The check reads the rest once and the conversion again, so a pipe is copied first.
    const bool seekable = std::fseek(source.file.get(), 3, SEEK_SET) == 0;
    if (!seekable) {
      source.file = CopyRest(source.file.get(), source.errorNumber);
      if (source.file == nullptr) return source;
    }
    const long textStart = seekable ? 3 : 0;
    const bool utf8 = RestIsUtf8(source.file.get(), source.errorNumber);
    if (source.errorNumber != 0 || std::fseek(source.file.get(), textStart, SEEK_SET) != 0) {
      if (source.errorNumber == 0) source.errorNumber = errno != 0 ? errno : EIO;
      source.file.reset();
      return source;
    }
    // Not UTF-8 after all: a Windows-1252 text that happens to start so; only the mark goes.
    if (!utf8) {
      source.startOffset = static_cast<std::uint64_t>(textStart);
      return source;
    }
  }
  // The bytes after the mark that were taken to find it are converted first.
  FilePointer converted =
      ConvertRest(source.start, source.file.get(), mark, encoding, source.errorNumber);
  source.start.clear();
  if (converted == nullptr) {
    source.file.reset();
    return source;
  }
  source.file = std::move(converted);
  source.note = ConvertedNote(mark, encoding);
  return source;
}

}  // namespace vandrel
