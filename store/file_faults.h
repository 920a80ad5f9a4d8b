// Failures of the system calls behind WriteFileAtomically, made on purpose: a full disk, a
// folder the user may not write to, a failed flush or rename. Tests use this to show what
// each writer of the program does when the file system says no, including on machines where
// such a failure cannot be provoked for real (tests running as root write through any
// permission bits). Without an active fault the writer calls the system directly.
#pragma once

#include <cstddef>

namespace tarnwick {

// The steps of a commit-or-nothing write, in the order they happen.
enum class FileCall {
  MakeFolder,  // making the target's folder and its parents, when the writer asks for it
  Create,  // creating the temporary file beside the target (open)
  Write,   // writing the bytes into it (write)
  Sync,    // flushing it to the disk (fsync)
  Close,   // closing it (close; the file is still closed)
  Rename,  // renaming it over the target (rename)
};

struct FileFault {
  FileCall call = FileCall::Create;
  int error = 0;  // the errno the call fails with, e.g. ENOSPC, EACCES, EIO
  // MakeFolder, Create, Sync, Close, Rename: the call that fails, counted from 1 over every
  // write of the process while the fault is active (2 lets the first write through and fails
  // the second).
  int nth = 1;
  // Write: bytes that still reach the disk before it is "full" (0 fails the first write);
  // counted over every write while the fault is active.
  std::size_t after_bytes = 0;
  // When not 0, the nth call does not fail: the process sends itself this signal just
  // before making the call for real (a save interrupted by Ctrl+C or a shutdown).
  int signal = 0;
};

// Makes the chosen call fail from construction until destruction. One fault at a time; it
// acts on the writes of every thread, so a run's worker thread meets it too.
class ScopedFileFault {
 public:
  explicit ScopedFileFault(const FileFault& fault);
  ~ScopedFileFault();
  ScopedFileFault(const ScopedFileFault&) = delete;
  ScopedFileFault& operator=(const ScopedFileFault&) = delete;

  // How many times the fault has struck so far.
  int hits() const;

  struct State;

 private:
  State* state_;
};

}  // namespace tarnwick
