// What a process has started, for tests that must show that nothing opened
// a window: rather than sleeping for a guess, they wait until every process
// started has shown its windows or ended. Windows only.
#pragma once

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <vector>

#include "platform/win32/scoped.h"

namespace quillfern::testing {

// Waits until each process that Parent started, and each that those started,
// is waiting for input (its first windows are up) or has ended: at most
// BoundMs for each.
inline void WaitForStartedProcesses(DWORD parent, DWORD boundMs = 20000) {
  std::vector<DWORD> pending{parent}, seen{parent};
  while (!pending.empty()) {
    const DWORD current = pending.back();
    pending.pop_back();
    const platform::win32::ScopedFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) break;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot.get(), &entry); more; more = ::Process32Next(snapshot.get(), &entry)) {
      const DWORD id = entry.th32ProcessID;
      if (entry.th32ParentProcessID != current || std::count(seen.begin(), seen.end(), id)) continue;
      seen.push_back(id);
      pending.push_back(id);
      if (const HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id)) {
        const platform::win32::ScopedFile owner(process);
        // A process without windows (a console program) is not waited for.
        ::WaitForInputIdle(process, boundMs);
      }
    }
  }
}

}  // namespace quillfern::testing
