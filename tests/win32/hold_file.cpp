// A second process for the tests of Windows file locking: it opens the file
// named by its argument for writing with no sharing at all, says "held" on
// its standard output, and keeps the file until its standard input ends.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: quillfern_hold_file FILE\n", stderr);
    return 2;
  }
  const HANDLE file = ::CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::printf("failed %lu\n", ::GetLastError());
    return 1;
  }
  std::fputs("held\n", stdout);
  std::fflush(stdout);
  char ignored[64];
  DWORD read = 0;
  const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
  while (::ReadFile(input, ignored, sizeof ignored, &read, nullptr) && read > 0) {
  }
  ::CloseHandle(file);
  return 0;
}
