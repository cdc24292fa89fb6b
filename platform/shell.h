// The shell's services that only the wizard dialog uses: the folder picker,
// opening a document, and the help file. Windows only.
#pragma once

#include <string>

namespace quillfern::platform {

// An owner window for the picker, as the system's window handle.
using WindowHandle = void*;

// Shows the shell's folder picker, owned by Owner, titled Title, rooted at
// Root (a path in UTF-16; empty for the desktop), with Folder selected when
// it exists. Every top-level window of this thread is disabled while it is
// open. True when the user confirmed a folder: Folder then holds its path.
// On Cancel false, and Folder is emptied when it named no existing folder.
bool BrowseForFolder(WindowHandle owner, const std::string& title, const std::wstring& root,
                     std::string& folder);

// Opens the file with its associated program, with the folder part of its
// name as the working directory. True when the shell started it.
bool ShellOpenFile(const std::string& fileName, const std::string& parameters);

// Opens the program's own name with the extension ".chm"; nothing happens
// when there is no such file.
void ShowHelpFile();

}  // namespace quillfern::platform
