// The shell's services that only the wizard dialog uses: the folder picker,
// opening a document, and the help file. Windows only.
#pragma once

#include <string>
#include <string_view>

namespace quillfern::platform {

// An owner window for the picker, as the system's window handle.
using WindowHandle = void*;

// Text that the system gives in UTF-16 (a path, a file name) in the system
// code page, character for character. False, with Bytes empty, when some
// character has no form of its own in that code page: Windows would put a
// look-alike or its default character in its place, and a path would then
// name another folder than the user's.
bool ToSystemCodePage(std::wstring_view text, std::string& bytes);

// How the folder picker ended.
enum class FolderChoice {
  Cancelled,
  Chosen,         // Folder holds the chosen folder's path
  NotInCodePage,  // a folder was chosen whose path the system code page cannot hold
};

// Shows the shell's folder picker, owned by Owner, titled Title, rooted at
// Root (a path in UTF-16; empty for the desktop), with Folder selected when
// it exists. Every top-level window of this thread is disabled while it is
// open. Folder changes only when a folder was chosen and the system code
// page holds its path; it is emptied when it named no existing folder.
FolderChoice BrowseForFolder(WindowHandle owner, const std::string& title, const std::wstring& root,
                             std::string& folder);

// Opens the file with its associated program, with the folder part of its
// name as the working directory. True when the shell started it.
bool ShellOpenFile(const std::string& fileName, const std::string& parameters);

// Opens the program's own name with the extension ".chm"; nothing happens
// when there is no such file.
void ShowHelpFile();

}  // namespace quillfern::platform
