// Where quillfern-cli.exe's messages go on Windows. A console shows them in
// UTF-16, so that every character reads as typed whatever the console's
// code page; a file or pipe gets UTF-8 without a byte-order mark, each line
// ended by CR LF.
#pragma once

#include <windows.h>

#include <streambuf>
#include <string>

namespace quillfern::cli::win32 {

// A stream buffer onto one of the process's standard handles (not owned),
// written out line by line and when flushed. A write that fails (a full
// disk, a pipe whose reader has gone) fails the stream, so that the program
// can tell.
class StandardOutput : public std::streambuf {
 public:
  explicit StandardOutput(HANDLE handle);
  StandardOutput(const StandardOutput&) = delete;
  StandardOutput& operator=(const StandardOutput&) = delete;
  ~StandardOutput() override;

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  // Writes what is pending; all of it when Final, else up to the last
  // complete character. False when the handle did not take it.
  bool WriteOut(bool final);

  HANDLE handle_;
  bool console_;
  std::string pending_;  // UTF-8, lines ended by LF
};

}  // namespace quillfern::cli::win32
