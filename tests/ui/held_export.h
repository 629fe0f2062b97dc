// An export that keeps a run in progress until the test lets it go: a named pipe that the test
// holds open. A worker reading it waits, however fast the machine, until Release writes the
// export and closes the pipe.
#pragma once

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>

namespace vandrel::test {

class HeldExport {
 public:
  // Opened for reading and writing, the pipe has a writer from now on: the worker's open does
  // not wait, and its reads wait for data or for the end.
  explicit HeldExport(const QString& path)
      : path_(QFile::encodeName(path)),
        made_(::mkfifo(path_.constData(), 0600) == 0),
        fd_(made_ ? ::open(path_.constData(), O_RDWR | O_CLOEXEC) : -1) {}
  ~HeldExport() {
    Release({});
    if (made_) ::unlink(path_.constData());
  }
  HeldExport(const HeldExport&) = delete;
  HeldExport& operator=(const HeldExport&) = delete;

  bool IsHeld() const { return fd_ >= 0; }

  // Writes the export and ends it; the worker reads it to its end. The pipe is closed only
  // once the worker has taken every byte: closed earlier, before the worker opened it, the
  // pipe and the bytes in it would be gone.
  bool Release(const QByteArray& text) {
    if (fd_ < 0) return false;
    qsizetype done = 0;
    while (done < text.size()) {
      const ssize_t written =
          ::write(fd_, text.constData() + done, static_cast<std::size_t>(text.size() - done));
      if (written <= 0) break;
      done += written;
    }
    for (int waiting = 1; ::ioctl(fd_, FIONREAD, &waiting) == 0 && waiting > 0;)
      ::usleep(1000);
    ::close(fd_);
    fd_ = -1;
    return done == text.size();
  }

 private:
  QByteArray path_;
  bool made_;
  int fd_;
};

}  // namespace vandrel::test
