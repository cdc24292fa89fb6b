#include "cli/win32/standard_output.h"

#include <algorithm>

#include "platform/line_ends.h"
#include "platform/win32/utf16.h"

namespace quillfern::cli::win32 {

namespace {

// The length of Text's longest beginning that does not end inside a UTF-8
// character: a message may be flushed between the bytes of one.
std::size_t WholeCharacters(const std::string& text) {
  for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto byte = static_cast<unsigned char>(text[text.size() - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? text.size() - back : text.size();
  }
  return text.size();
}

}  // namespace

StandardOutput::StandardOutput(HANDLE handle) : handle_(handle) {
  DWORD mode = 0;
  console_ = handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

StandardOutput::~StandardOutput() { WriteOut(true); }

StandardOutput::int_type StandardOutput::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  pending_ += traits_type::to_char_type(c);
  if (c == '\n' && !WriteOut(false)) return traits_type::eof();
  return c;
}

std::streamsize StandardOutput::xsputn(const char* text, std::streamsize count) {
  pending_.append(text, static_cast<std::size_t>(count));
  if (pending_.find('\n') != std::string::npos && !WriteOut(false)) return 0;
  return count;
}

int StandardOutput::sync() { return WriteOut(false) ? 0 : -1; }

bool StandardOutput::WriteOut(bool final) {
  const std::size_t length = final ? pending_.size() : WholeCharacters(pending_);
  if (length == 0) return true;
  const std::string text = pending_.substr(0, length);
  pending_.erase(0, length);
  if (console_) {
    const std::wstring wide = platform::WithCrLf(platform::Utf16FromUtf8(text));
    for (std::size_t at = 0; at < wide.size();) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - at, 8192));
      if (!::WriteConsoleW(handle_, wide.data() + at, chunk, &written, nullptr) || written == 0) return false;
      at += written;
    }
    return true;
  }
  const std::string bytes = platform::WithCrLf(text);
  for (std::size_t at = 0; at < bytes.size();) {
    DWORD written = 0;
    if (!::WriteFile(handle_, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &written, nullptr) ||
        written == 0)
      return false;
    at += written;
  }
  return true;
}

}  // namespace quillfern::cli::win32
