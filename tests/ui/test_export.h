// Exports and output files for the window's tests.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vandrel::test {

inline QByteArray Message(const QByteArray& folder, const QByteArray& subject,
                          const QByteArray& extraHeaders = {}, const QByteArray& body = "Text") {
  return "From ???@??? Mon Jan 01 00:00:00 2001\r\nFrom: ann@example.de\r\nSubject: " + subject +
         "\r\nX-CalypsoFolder: " + folder + "\r\n" + extraHeaders + "\r\n" + body + "\r\n";
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Messages in an mbox file: lines that start with "From ".
inline int CountMessages(const QByteArray& mbox) {
  int count = mbox.startsWith("From ") ? 1 : 0;
  for (qsizetype at = 0; (at = mbox.indexOf("\nFrom ", at)) >= 0; ++at)
    ++count;
  return count;
}

// The .mbx files in a folder, sorted. Names as bytes: folder names from an export need not be
// valid UTF-8.
inline std::vector<std::filesystem::path> MboxFiles(const QString& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry :
       std::filesystem::directory_iterator(QFile::encodeName(folder).toStdString())) {
    if (entry.path().extension() == ".mbx") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

inline QByteArray ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace vandrel::test
