// The shell's services that only the wizard dialog uses: the folder picker,
// opening a document, and the help file. Windows only.
#pragma once

#include <string>

namespace quillfern::platform {

// An owner window for the picker, as the system's window handle.
using WindowHandle = void*;

// How the folder picker ended.
enum class FolderChoice {
  Cancelled,
  Chosen,  // Folder holds the chosen folder's path
};

// Shows the shell's folder picker, owned by Owner, titled Title, rooted at
// Root (a path in UTF-16; empty for the desktop), with Folder (UTF-8)
// selected when it is an existing folder. Every top-level window of this
// thread is disabled while it is open. Folder changes only when a folder was
// chosen (then it holds that folder's path in UTF-8, exactly as the system
// names it); it is emptied when it named no folder the picker could select.
// A chosen folder whose name is not well-formed UTF-16 (a lone surrogate,
// which only a program can make) has no exact UTF-8 form and counts as
// Cancelled.
FolderChoice BrowseForFolder(WindowHandle owner, const std::string& title, const std::wstring& root,
                             std::string& folder);

// Opens the file (UTF-8) with its associated program, with the folder part
// of its name as the working directory. True when the shell started it.
bool ShellOpenFile(const std::string& fileName, const std::string& parameters);

// Opens the program's own name with the extension ".chm"; nothing happens
// when there is no such file.
void ShowHelpFile();

}  // namespace quillfern::platform
