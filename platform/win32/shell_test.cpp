// The shell's folder picker, for real on a display: a second thread finds
// the picker, looks at it and presses one of its buttons. Also opening a
// document. (The help file: the wizard's Help button, in WizardHelp.)
#include <windows.h>

#include <commctrl.h>

#include <thread>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/shell.h"
#include "platform/win32/scoped.h"
#include "platform/win32/utf16.h"
#include "support/test_support.h"
#include "support/win32_support.h"

namespace quillfern::platform {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::win32::ScopedComApartment;
using platform::win32::ScopedErrorMode;
using testing::TempFolder;
using testing::VisibleTopLevelWindows;
using testing::WaitForNewWindow;
using testing::WaitUntil;

constexpr char kTitle[] = "Select output folder";
constexpr UINT kCallerErrorMode = SEM_NOOPENFILEERRORBOX;

// A plain top-level window of this thread, destroyed with its owner.
class TestWindow {
 public:
  TestWindow(bool visible, bool enabled)
      : window_(::CreateWindowExA(0, "STATIC", "Quillfern test window",
                                  WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0u), 10, 10, 200, 80, nullptr,
                                  nullptr, nullptr, nullptr)) {
    if (!enabled) ::EnableWindow(window_, FALSE);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  ~TestWindow() { ::DestroyWindow(window_); }
  HWND get() const { return window_; }

 private:
  HWND window_;
};

// The dialogs of Thread (class "#32770"), shown or not.
std::vector<HWND> DialogsOf(DWORD thread) {
  std::vector<HWND> dialogs;
  ::EnumThreadWindows(
      thread,
      [](HWND window, LPARAM list) -> BOOL {
        if (testing::ClassOf(window) == "#32770") reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&dialogs));
  return dialogs;
}

// The picker of PickerThread whose title text is kTitle, when one is open.
HWND FindPicker(DWORD pickerThread) {
  for (HWND dialog : DialogsOf(pickerThread))
    if (::IsWindowVisible(dialog) && ::FindWindowExA(dialog, nullptr, "Static", kTitle)) return dialog;
  return nullptr;
}

// The text of the picker's tree item that Which names (TVGN_CARET: the
// selected one; TVGN_ROOT: the first at the top).
std::string ItemText(HWND picker, WPARAM which) {
  const HWND tree = ::FindWindowExA(picker, nullptr, WC_TREEVIEWA, nullptr);
  if (!tree) return "<no tree>";
  const auto item = reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, which, 0));
  if (!item) return "";
  char text[MAX_PATH] = {};
  TVITEMA query{};
  query.mask = TVIF_TEXT;
  query.hItem = item;
  query.pszText = text;
  query.cchTextMax = sizeof text;
  ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
  return text;
}

// Runs on its own thread while the picker is open on this one: waits for
// it (and for Selection to be the selected item, when given: Wine may
// settle the selection after the picker shows), notes what the picker and
// the program's windows look like, then presses Button (IDOK or IDCANCEL),
// having selected the tree's top item first when SelectTop says so.
class PickerDriver {
 public:
  PickerDriver(int button, std::vector<HWND> watched, std::string selection = "", bool selectTop = false)
      : pickerThread_(::GetCurrentThreadId()), watched_(std::move(watched)), selection_(std::move(selection)),
        selectTop_(selectTop), thread_([this, button] { Drive(button); }) {}
  PickerDriver(const PickerDriver&) = delete;
  PickerDriver& operator=(const PickerDriver&) = delete;
  ~PickerDriver() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

  bool found = false;
  std::string selected, topItem;
  UINT errorModeWhileOpen = ~0u;
  std::vector<bool> enabledWhileOpen;

 private:
  void Drive(int button) {
    HWND picker = nullptr;
    if (!WaitUntil([&] { return (picker = FindPicker(pickerThread_)) != nullptr; }, 60s)) {
      // One that is not the expected picker must not hang the test.
      for (HWND dialog : DialogsOf(pickerThread_)) ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    found = true;
    WaitUntil([&] { return (selected = ItemText(picker, TVGN_CARET)) == selection_ || selection_.empty(); }, 10s);
    topItem = ItemText(picker, TVGN_ROOT);
    errorModeWhileOpen = ::GetErrorMode();
    for (HWND window : watched_) enabledWhileOpen.push_back(::IsWindowEnabled(window) != FALSE);
    if (selectTop_) {
      const HWND tree = ::FindWindowExA(picker, nullptr, WC_TREEVIEWA, nullptr);
      ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    }
    ::PostMessageA(picker, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(picker, button)));
  }

  DWORD pickerThread_;
  std::vector<HWND> watched_;
  std::string selection_;
  bool selectTop_;
  std::thread thread_;
};

// Wine's picker finds a preselected folder in the root of a drive every
// time; one further down (such as in the temporary folder) it often misses
// when the folders on the way are more than a moment old.
class FolderOnDriveC : public TempFolder {
 public:
  FolderOnDriveC() : TempFolder("C:\\") {}
  // Its name, as the picker's tree shows it.
  std::string name() const { return path().filename().string(); }
};

class FolderPicker : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(com.ok());
    ASSERT_TRUE(FolderExists(pickMe.str())) << pickMe.str();
  }
  ScopedComApartment com;
  const FolderOnDriveC pickMe;
  const ScopedErrorMode callerMode{kCallerErrorMode};
  // The hidden application window owns the picker, as in the wizard.
  const TestWindow application{false, true};
};

TEST_F(FolderPicker, OpensOnAnExistingFolderAndOkGivesItBack) {
  for (const std::string& preselected : {pickMe.str(), pickMe.str() + "\\"}) {
    std::string folder = preselected;
    PickerDriver driver(IDOK, {}, pickMe.name());
    const FolderChoice choice = BrowseForFolder(application.get(), kTitle, L"", folder);
    driver.Join();
    ASSERT_TRUE(driver.found) << "no picker titled '" << kTitle << "' appeared";
    EXPECT_EQ(driver.selected, pickMe.name()) << preselected;
    EXPECT_EQ(choice, FolderChoice::Chosen) << preselected;
    EXPECT_EQ(folder, pickMe.str()) << preselected;
  }
}

TEST_F(FolderPicker, DropsAPreselectedFolderThatIsMissing) {
  const std::string missing = pickMe.str() + "\\missing";
  std::string folder = missing;
  PickerDriver driver(IDCANCEL, {});
  EXPECT_EQ(BrowseForFolder(application.get(), kTitle, L"", folder), FolderChoice::Cancelled);
  driver.Join();
  ASSERT_TRUE(driver.found);
  EXPECT_NE(driver.selected, "missing");
  EXPECT_EQ(folder, "");
}

// Cancel keeps the caller's folder; either way the windows come back as they were.
TEST_F(FolderPicker, DisablesTheProgramsWindowsWhileOpenAndRestoresThemExactly) {
  const TestWindow shown{true, true}, shownDisabled{true, false}, hidden{false, true};
  for (const int button : {IDOK, IDCANCEL}) {
    std::string folder = pickMe.str();
    PickerDriver driver(button, {shown.get(), shownDisabled.get(), hidden.get()}, pickMe.name());
    const FolderChoice choice = BrowseForFolder(application.get(), kTitle, L"", folder);
    driver.Join();
    ASSERT_TRUE(driver.found);
    EXPECT_EQ(driver.selected, pickMe.name()) << "button " << button;
    EXPECT_EQ(choice, button == IDOK ? FolderChoice::Chosen : FolderChoice::Cancelled);
    EXPECT_EQ(folder, pickMe.str()) << "button " << button;
    EXPECT_EQ(driver.enabledWhileOpen, (std::vector<bool>{false, false, true})) << "button " << button;
    EXPECT_EQ(driver.errorModeWhileOpen, static_cast<UINT>(SEM_FAILCRITICALERRORS)) << "button " << button;
    EXPECT_TRUE(::IsWindowEnabled(shown.get())) << "button " << button;
    EXPECT_FALSE(::IsWindowEnabled(shownDisabled.get())) << "button " << button;
    EXPECT_TRUE(::IsWindowEnabled(hidden.get())) << "button " << button;
    EXPECT_TRUE(::IsWindowEnabled(application.get())) << "button " << button;
    EXPECT_EQ(::GetErrorMode(), kCallerErrorMode) << "button " << button;
  }
}

// Only the tree's top is checked: a preselection one level further down is
// where Wine's picker starts to miss now and then.
TEST_F(FolderPicker, ShowsOnlyTheTreeBelowANonEmptyRoot) {
  const std::string root = pickMe.str();
  std::string folder = root;
  PickerDriver driver(IDCANCEL, {});
  EXPECT_EQ(BrowseForFolder(application.get(), kTitle, Utf16FromUtf8(root), folder),
            FolderChoice::Cancelled);
  driver.Join();
  ASSERT_TRUE(driver.found);
  EXPECT_EQ(driver.topItem, pickMe.name());
  EXPECT_EQ(folder, root);
}

// The picker reads the chosen path in UTF-16 and hands it over in UTF-8 as
// the system names it, whether or not the system code page holds it (a
// look-alike would name another folder), and also when a character's second
// byte in a double-byte code page is a backslash. The folder is the picker's
// root, the tree's top item.
TEST_F(FolderPicker, GivesAChosenFolderExactlyAsItIsNamed) {
  // Polish, Greek, Russian, Japanese; the last is 95 5C in code page 932.
  const std::wstring name = L"\x0141\x00F3d\x017A \x03A9 \x0416 \x3042\x8868";
  const fs::path named = pickMe.path() / name;
  ASSERT_TRUE(fs::create_directory(named));
  std::string folder;
  PickerDriver driver(IDOK, {}, "", /*selectTop=*/true);
  EXPECT_EQ(BrowseForFolder(application.get(), kTitle, named.wstring(), folder), FolderChoice::Chosen);
  driver.Join();
  ASSERT_TRUE(driver.found);
  EXPECT_EQ(folder, Utf8FromUtf16(named.wstring())) << driver.topItem << " / " << driver.selected;
}

// Ends a process this test started, found by a window it opened.
void EndProcessOf(HWND window) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  ASSERT_NE(pid, ::GetCurrentProcessId());
  const HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  ASSERT_NE(process, nullptr);
  ::TerminateProcess(process, 0);
  ::WaitForSingleObject(process, 10000);
  ::CloseHandle(process);
}

TEST(ShellOpenFile, StartsAnExistingProgramAndItsWindowAppears) {
  char windows[MAX_PATH] = {};
  ASSERT_GT(::GetWindowsDirectoryA(windows, MAX_PATH), 0u);
  const std::string notepad = std::string(windows) + "\\notepad.exe";
  ASSERT_TRUE(FileExists(notepad));
  const std::set<HWND> before = VisibleTopLevelWindows();
  EXPECT_TRUE(ShellOpenFile(notepad, ""));
  const HWND opened = WaitForNewWindow(before, 30s);
  ASSERT_NE(opened, nullptr) << "no window appeared for " << notepad;
  EndProcessOf(opened);
}

TEST(ShellOpenFile, IsFalseForAMissingFile) {
  TempFolder dir;
  const std::set<HWND> before = VisibleTopLevelWindows();
  EXPECT_FALSE(ShellOpenFile(dir / "missing.chm", ""));
  EXPECT_FALSE(ShellOpenFile(dir / "missing.txt", "/p"));
  testing::WaitForStartedProcesses(::GetCurrentProcessId());
  EXPECT_EQ(WaitForNewWindow(before, 0s), nullptr);
}

}  // namespace
}  // namespace quillfern::platform
