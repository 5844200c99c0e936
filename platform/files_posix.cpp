// The file layer on POSIX: the path conversion a Windows emulator would do at its
// boundary, mkdir for each folder, and open/write/close with errors carried as errno.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/ansi.h"
#include "platform/ansi_convert.h"

namespace vw {

FileError::FileError(int error, const std::string& path)
    : std::runtime_error("file error on " + ansi::ToUtf8(path) + ": " + std::strerror(error)),
      error_(error),
      path_(path) {}

std::string NativePath(const std::string& path) {
  std::string slashed = path;
  const char* begin = slashed.c_str();
  const char* end = begin + slashed.size();
  for (const char* p = begin; p < end; p = ansi::Next(p, end)) {
    if (*p == '\\') slashed[p - begin] = '/';
  }
  return ansi::ToUtf8(slashed);
}

bool MakeSureDirectoryPathExists(const std::string& path) {
  const std::string native = NativePath(path);
  // In UTF-8 a '/' byte is always a separator, so the folders are the prefixes that end
  // just before each '/'.
  for (std::size_t slash = native.find('/'); slash != std::string::npos;
       slash = native.find('/', slash + 1)) {
    if (slash == 0) continue;  // the root folder
    const std::string folder = native.substr(0, slash);
    if (mkdir(folder.c_str(), 0777) == 0) continue;
    struct stat st;
    if (errno != EEXIST || stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      return false;
    }
  }
  return true;
}

bool FileSize(const std::string& path, std::uint64_t& size) {
  struct stat st;
  if (stat(NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

FileWriter::~FileWriter() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileWriter::Open(const std::string& path) {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  path_ = path;
  fd_ = ::open(NativePath(path).c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0644);
  return fd_ >= 0;
}

void FileWriter::Write(const void* data, std::size_t size) {
  if (fd_ < 0) throw FileError(EBADF, path_);
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd_, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError(errno, path_);
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
}

void FileWriter::Close() {
  if (fd_ < 0) return;
  const int fd = fd_;
  fd_ = -1;
  // POSIX leaves the descriptor closed even when close reports an error; never retry.
  if (::close(fd) != 0 && errno != EINTR) throw FileError(errno, path_);
}

}  // namespace vw
