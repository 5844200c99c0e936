// The file layer: Windows-style paths (GBK bytes, backslashes) turned into the names the
// file system shows, folder creation up to a file name, and a create-always file writer
// whose failed write or close raises FileError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace vw {

// A failed write or close of a file: the operating-system error code and the path (as the
// caller gave it, GBK) that was being written.
class FileError : public std::runtime_error {
 public:
  FileError(int error, const std::string& path);

  // The errno value of the failed call.
  int error() const { return error_; }

  // The path of the file, as handed to the file layer.
  const std::string& path() const { return path_; }

 private:
  int error_;
  std::string path_;
};

// The native name of a Windows-style path: every backslash that is a separator (not the
// trail byte of a double-byte character) becomes '/', and the GBK bytes become UTF-8.
// Forward slashes pass through, so POSIX paths are left as they are.
std::string NativePath(const std::string& path);

// Creates every missing folder of path up to its last separator; the last component is a
// file name and is not created. True when all those folders exist afterwards.
bool MakeSureDirectoryPathExists(const std::string& path);

// The size of the regular file at path. False when there is no such file.
bool FileSize(const std::string& path, std::uint64_t& size);

// One file opened for writing: created, or truncated when it exists (create-always), write
// access only. Closed by Close or, silently, when the writer goes out of scope.
class FileWriter {
 public:
  FileWriter() = default;
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  // Opens path (Windows-style, GBK). False when the file cannot be created; errno tells why.
  bool Open(const std::string& path);

  // True while a file is open.
  bool IsOpen() const { return fd_ >= 0; }

  // Writes all size bytes of data. Throws FileError when the system refuses a write.
  void Write(const void* data, std::size_t size);

  // The same for a byte string.
  void Write(const std::string& bytes) { Write(bytes.data(), bytes.size()); }

  // Closes the file. Throws FileError when the close reports an error (a delayed write
  // failure); the file is closed either way.
  void Close();

 private:
  int fd_ = -1;
  std::string path_;
};

}  // namespace vw
