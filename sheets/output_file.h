// Where a result goes: standard output, a device or stream written in place, or a regular file
// replaced only when the whole result is written. The new content has no name until then
// (O_TMPFILE), so that whatever ends the process first (SIGKILL, a file-size limit) leaves
// nothing behind; where the file system has no unnamed files, a temporary file beside the
// target, removed on failure and on SIGINT, SIGTERM and SIGHUP.
#pragma once

#include <string>

namespace quorvex::sheets {

// The folder of `path` ("." for a bare name).
std::string FolderOf(const std::string& path);

// The name a message gives an input or output: the file's, or standard input/output for "-".
std::string ShownName(const std::string& name, bool output);

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Open() prepares writing `target` ("-": standard output); false with `error` set when it
  // may not be written: a folder, a file an office program holds open, one marked read-only,
  // one with other names (hard links), a loop of links. A symbolic link keeps pointing where it
  // did: the file it names is replaced, or made where it names one that is not there.
  bool Open(const std::string& target, std::string& error);
  int Fd() const { return fd_; }
  const std::string& Name() const { return name_; }
  // The name the file written in place of the target is opened by; empty when the target is
  // written directly (standard output, a device, a stream).
  const std::string& Temporary() const { return temporary_; }
  // The folder of the target.
  std::string Folder() const;
  // Commit() makes the output final: flushed to disk and renamed over the target.
  bool Commit(std::string& error);
  // Abort() drops what was written; the target stays as it was.
  void Abort();

 private:
  // Gives the unnamed file a temporary name beside the target, which temporary_ then holds.
  bool Link();

  int fd_ = -1;
  bool own_ = false;
  bool unnamed_ = false;  // the file has no name yet (temporary_ is its /proc/self/fd name)
  std::string name_;
  std::string target_;
  std::string temporary_;
};

// RemoveTemporaryOutputOnSignals() makes SIGINT, SIGTERM and SIGHUP remove the temporary
// output file of a running RunSheet() (or the template) before the process ends as the signal says.
void RemoveTemporaryOutputOnSignals();
// RemoveOnSignal() names the temporary file those signals remove (empty: none), for a file
// written outside RunSheet() (the template).
void RemoveOnSignal(const std::string& path);

}  // namespace quorvex::sheets
