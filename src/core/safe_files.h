#pragma once

// Guards around the files the program reads and writes for the user: inputs must be regular
// files (a pipe or device would block or never end), an output never lands on its own input,
// and an output reaches its path whole or not at all.

#include <string>

namespace core {

/// True when both paths name one existing file (same device and inode, through any links).
bool same_file(const std::string& a, const std::string& b);

/// Throws core::VbError 75 from `procedure` when `output` is the file `input`: writing there
/// would destroy the input before it is read.
void refuse_same_file(const std::string& input, const std::string& output, const std::string& procedure);

/// Opens `path` for reading without blocking on a pipe and checks that it is a regular file.
/// Returns the descriptor; throws core::VbError 53 when it cannot be opened and 75 when it is a
/// folder, a pipe, a device or another non-regular file.
int open_regular_file(const std::string& path, const std::string& procedure);

/// An output file written beside its target under a temporary name and renamed onto the
/// target by commit(). Until then the target is untouched, and a FileBeside that is never
/// committed removes its temporary file: a failed writer leaves nothing partial behind.
class FileBeside {
 public:
  /// Creates the empty temporary file. Throws core::VbError 75 from `procedure` when the
  /// target exists and is not a regular file, or when its folder cannot be written.
  FileBeside(const std::string& target, const std::string& procedure);
  ~FileBeside();
  FileBeside(const FileBeside&) = delete;
  FileBeside& operator=(const FileBeside&) = delete;

  /// Where the writer writes.
  const std::string& path() const { return temporary_; }
  /// Replaces the target with the written file; throws core::VbError 75 when it cannot.
  void commit();

 private:
  std::string target_;
  std::string temporary_;
  std::string procedure_;
  bool committed_ = false;
};

/// Removes the temporary file of every FileBeside that is neither committed nor destroyed, for
/// a handler that ends the process on a stopping signal. The registry stays locked afterwards,
/// so no FileBeside creates or commits a file until the process has ended.
void remove_part_files();

/// Copies `source` to `destination` through a FileBeside, so the destination holds the whole
/// copy or stays as it was. Throws core::VbError (53 unreadable source, 61 disk full, 75 the
/// destination cannot be written or is the source itself) from `procedure`.
void copy_whole_file(const std::string& source, const std::string& destination, const std::string& procedure);

}  // namespace core
