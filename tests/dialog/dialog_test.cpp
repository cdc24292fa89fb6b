// The wizard dialog, driven from outside as a user drives it.
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <array>
#include <cctype>

#include "platform/win32/scoped.h"
#include "platform/win32/utf16.h"
#include "support/generator_support.h"
#include "support/wizard_driver.h"
#include "version.h"
#include "wizard/dialog_support.h"
#include "wizard/form.h"
#include "wizard/layout.h"

namespace quillfern::testing {
namespace {

using namespace quillfern::wizard;
namespace fs = std::filesystem;

// The wizard's inputs show exactly these settings.
void ExpectShows(const Wizard& wizard, const generator::WizardSettings& s) {
  EXPECT_EQ(wizard.Selection(cbTargetApp), static_cast<int>(s.TargetApp));
  EXPECT_EQ(wizard.Selection(cbTargetVersion), static_cast<int>(s.TargetVersion));
  EXPECT_EQ(wizard.Text(edtWrapper), s.InterfaceUnitFile);
  EXPECT_EQ(wizard.Checked(rbInstallHKCU), s.InstallForCurrentUser);
  EXPECT_EQ(wizard.Checked(rbInstallHKLM), !s.InstallForCurrentUser);
  EXPECT_EQ(wizard.Checked(chkLoadConnected), s.LoadConnected);
  EXPECT_EQ(wizard.Checked(chkLoadBootLoad), s.LoadBootLoad);
  EXPECT_EQ(wizard.Checked(chkLoadDemandLoad), s.LoadDemandLoad);
  EXPECT_EQ(wizard.Checked(chkLoadConnectFirstTime), s.LoadConnectFirstTime);
  EXPECT_EQ(wizard.Text(edtFriendlyName), s.FriendlyName);
  EXPECT_EQ(wizard.Text(edtClassName), s.ClassName);
  EXPECT_EQ(wizard.Text(edtDescription), s.Description);
  EXPECT_EQ(wizard.Text(edtFolder), s.OutputFolderText);
}

TEST_F(WizardTest, StartsWithTheDefaultsOfAccess2000AndTheFocusOnTheApplicationList) {
  ASSERT_TRUE(wizard.window());
  EXPECT_EQ(WindowTextOf(wizard.window()), kCaption);
  EXPECT_EQ(wizard.Text(cbTargetApp), "Access");
  EXPECT_EQ(wizard.Text(cbTargetVersion), "2000");
  ExpectShows(wizard, NewProjectSettings(0, 0, work.str()));
  EXPECT_EQ(wizard.FocusId(), cbTargetApp);
}

// The screen resolution that Wine gives the programs it starts from now on,
// put back when the owner goes.
class ScopedWineDpi {
 public:
  explicit ScopedWineDpi(DWORD dpi) {
    ::RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                      key_.receive(), nullptr);
    DWORD size = sizeof previous_;
    had_ = ::RegQueryValueExA(key_.get(), "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&previous_),
                              &size) == ERROR_SUCCESS;
    Set(dpi);
  }
  ScopedWineDpi(const ScopedWineDpi&) = delete;
  ScopedWineDpi& operator=(const ScopedWineDpi&) = delete;
  ~ScopedWineDpi() {
    if (had_) Set(previous_);
    else ::RegDeleteValueA(key_.get(), "LogPixels");
  }

 private:
  void Set(DWORD dpi) {
    ::RegSetValueExA(key_.get(), "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
  }
  platform::win32::ScopedKey key_;
  DWORD previous_ = 0;
  bool had_ = false;
};

// The room Label's text needs in the layout's font at Dpi, its lines broken
// at the label's width as the label breaks them.
SIZE TextSize(HWND label, int dpi) {
  RECT client{};
  ::GetClientRect(label, &client);
  return WrappedTextSize(nullptr, {CreateDialogFont(dpi)}, platform::Utf16FromUtf8(WindowTextOf(label)), client.right);
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// Every control of the layout table where the table puts it, scaled to Dpi,
// with its caption. A label may grow where the larger font's text needs
// more room than the scaled layout gives, but only within its group box.
void ExpectLaidOut(const Wizard& wizard, int dpi) {
  const auto scaled = [dpi](int v) { return ::MulDiv(v, dpi, 96); };
  RECT client{};
  ::GetClientRect(wizard.window(), &client);
  EXPECT_EQ(client.right, scaled(kClientWidth));
  EXPECT_EQ(client.bottom, scaled(kClientHeight));
  for (const ControlLayout& control : kLayout) {
    SCOPED_TRACE(std::string(control.name));
    ASSERT_TRUE(wizard.Control(control.id));
    const ControlLayout* box = control.parent == kNoParent ? nullptr : &LayoutOf(control.parent);
    const int left = control.left + (box ? box->left : 0), top = control.top + (box ? box->top : 0);
    const RECT expected{scaled(left), scaled(top), scaled(left) + scaled(control.width),
                        scaled(top) + scaled(control.height)};
    const RECT actual = wizard.ClientRect(control.id);
    if (*control.caption) {
      EXPECT_EQ(WindowTextOf(wizard.Control(control.id)), control.caption);
    }
    if (!control.growsToText || dpi == 96) {
      EXPECT_EQ(Describe(actual), Describe(expected));
      continue;
    }
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_GE(actual.right, expected.right);
    EXPECT_GE(actual.bottom, expected.bottom);
    EXPECT_TRUE(Inside(actual, wizard.ClientRect(control.parent))) << Describe(actual);
    const SIZE needed = TextSize(wizard.Control(control.id), dpi);
    EXPECT_LE(needed.cx, actual.right - actual.left) << control.caption;
    EXPECT_LE(needed.cy, actual.bottom - actual.top) << control.caption;
  }
}

TEST_F(WizardTest, PlacesEveryControlWithItsCaptionWhereTheLayoutPutsIt) {
  ASSERT_TRUE(wizard.window());
  ExpectLaidOut(wizard, 96);
}

// The common text sizes of Windows: 125%, 150%, 175% and 200%.
TEST(WizardAtAnotherResolution, ScalesEveryPositionAndSizeAndEveryLabelFitsItsText) {
  // Only Wine lets a test change the resolution for the programs it starts.
  if (!RunningUnderWine()) GTEST_SKIP() << "needs Wine to change the screen resolution";
  ::SetProcessDPIAware();  // see the wizard's real pixels
  for (const int dpi : {120, 144, 168, 192}) {
    SCOPED_TRACE(std::to_string(dpi) + " DPI");
    const ScopedWineDpi resolution(static_cast<DWORD>(dpi));
    TempFolder work;
    Wizard wizard(work.str());
    ASSERT_TRUE(wizard.window());
    ExpectLaidOut(wizard, dpi);
  }
}

bool IsGroupBox(const ControlLayout& control) {
  return std::string(control.windowClass) == "BUTTON" && (control.style & BS_TYPEMASK) == BS_GROUPBOX;
}

// Two rectangles share more than a line of Tolerance pixels.
bool Overlap(const RECT& a, const RECT& b, int tolerance) {
  return std::min(a.right, b.right) - std::max(a.left, b.left) > 0 &&
         std::min(a.bottom, b.bottom) - std::max(a.top, b.top) > tolerance;
}

// Controls laid out as Frame gives them in a client area of Client: each
// group box and push button inside the client area, each other control
// inside its group box's frame and below its caption line (Line high), no
// two overlapping (but for the table's own one-pixel overlaps at Dpi), and
// each input named by a label right of it.
void ExpectInsideAndApart(const std::function<RECT(ControlId)>& frame, const RECT& client, int line, int dpi) {
  for (const ControlLayout& control : kLayout) {
    SCOPED_TRACE(std::string(control.name));
    const RECT at = frame(control.id);
    RECT room = client;
    if (control.parent != kNoParent) {
      const RECT box = frame(control.parent);
      room = {box.left + 2, box.top + line, box.right - 2, box.bottom - 2};
    }
    EXPECT_TRUE(Inside(at, room)) << Describe(at) << " in " << Describe(room);
    for (const ControlLayout& other : kLayout) {
      if (&other < &control && other.parent == control.parent) {
        EXPECT_FALSE(Overlap(at, frame(other.id), Scale(1, dpi))) << "and " << other.name;
      }
    }
  }
  for (const LabelOf& pair : kLabels)
    EXPECT_LT(frame(pair.label).right, frame(pair.input).left) << LayoutOf(pair.label).name;
}

// The layout grown for a font with taller lines and wider letters than the
// table's, as a system's message font can have (Yu Gothic UI's lines are 16
// pixels, not 13): every label fits its text, every edit box, list and button
// keeps the room around its line that the table gives it, and the controls
// stay inside and apart.
TEST(WizardLayout, GrowsForATallerWiderFontAndKeepsEverythingInsideAndApart) {
  for (const int dpi : {96, 144}) {
    for (const int extra : {0, 6}) {
      SCOPED_TRACE(std::to_string(dpi) + " DPI, lines " + std::to_string(extra) + " pixels taller");
      const int line = Scale(kLayoutTextHeight, dpi) + extra, letter = Scale(7, dpi);
      const auto measure = [&](std::string_view text, int width) {
        // Whole letters to a line: as many lines as the text needs.
        const int perLine = std::max(1, width / letter), letters = static_cast<int>(text.size());
        return SIZE{std::min(letters, perLine) * letter, (letters + perLine - 1) / perLine * line};
      };
      const Placement placed = Arrange(dpi, extra, measure);
      EXPECT_EQ(placed.clientWidth, Scale(kClientWidth, dpi));
      for (const ControlLayout& control : kLayout) {
        SCOPED_TRACE(std::string(control.name));
        const RECT frame = placed.Of(control.id);
        if (control.growsToText) {
          const SIZE needed = measure(control.caption, frame.right - frame.left);
          EXPECT_LE(needed.cx, frame.right - frame.left);
          EXPECT_LE(needed.cy, frame.bottom - frame.top);
        } else if (!IsGroupBox(control)) {
          EXPECT_GE(frame.bottom - frame.top, Scale(control.height, dpi) + extra);
        }
      }
      ExpectInsideAndApart([&](ControlId id) { return placed.Of(id); },
                           {0, 0, placed.clientWidth, placed.clientHeight}, line, dpi);
    }
  }
}

TEST_F(WizardTest, IsAFixedDialogWithACloseBoxOnlyCentredOnTheScreen) {
  ASSERT_TRUE(wizard.window());
  const LONG_PTR style = ::GetWindowLongPtrA(wizard.window(), GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  const RECT frame = FrameOf(wizard.window());
  const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN), screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
  EXPECT_LE(std::abs(frame.left + frame.right - screenWidth), 1) << Describe(frame);
  EXPECT_LE(std::abs(frame.top + frame.bottom - screenHeight), 1) << Describe(frame);
}

TEST_F(WizardTest, ListsTheCataloguesHostsAndVersionsEachHostCarryingItsRow) {
  ASSERT_TRUE(wizard.window());
  const std::vector<std::string> hosts{"Access", "Excel", "FrontPage", "Outlook", "PowerPoint", "Word"};
  EXPECT_EQ(wizard.Entries(cbTargetApp), hosts);
  for (int row = 0; row < 6; ++row) EXPECT_EQ(wizard.EntryData(cbTargetApp, row), row);
  EXPECT_EQ(wizard.Entries(cbTargetVersion), (std::vector<std::string>{"2000", "2002/XP"}));
}

TEST(WizardClose, CloseAndTheCloseBoxEndTheProgramWithStatusZero) {
  for (const bool closeBox : {false, true}) {
    TempFolder work;
    Wizard wizard(work.str());
    ASSERT_TRUE(wizard.window());
    if (closeBox) wizard.CloseBox(wizard.window());
    else wizard.Click(btnCancel);
    EXPECT_EQ(wizard.WaitForExit(), 0u) << (closeBox ? "the close box" : "Close");
  }
}


TEST_F(WizardTest, TabVisitsTheControlsInTheKeyboardOrderAndComesBackToTheStart) {
  ASSERT_TRUE(wizard.window());
  const int order[] = {cbTargetVersion, edtWrapper,     Button1,        rbInstallHKCU, chkLoadConnected,
                       chkLoadBootLoad, chkLoadDemandLoad, chkLoadConnectFirstTime, edtFriendlyName,
                       edtClassName,    edtDescription, edtFolder,      btnFolder,     btnOk,
                       btnCancel,       btnHelp,        cbTargetApp};
  for (int expected : order) {
    wizard.Press(VK_TAB);
    EXPECT_EQ(wizard.FocusId(), expected) << "after Tab";
  }
}

// --- screen readers ---

// The name a screen reader finds for an edit box or list in the window
// order: the text of the nearest static control before it, looking back no
// further than a control that starts a group and is a tab stop.
std::string LabelBefore(HWND input) {
  for (HWND w = ::GetWindow(input, GW_HWNDPREV); w; w = ::GetWindow(w, GW_HWNDPREV)) {
    if (_stricmp(ClassOf(w).c_str(), "Static") == 0) return WindowTextOf(w);
    const LONG_PTR style = ::GetWindowLongPtrA(w, GWL_STYLE);
    if ((style & WS_GROUP) && (style & WS_TABSTOP)) return "";
  }
  return "";
}

// The inputs and the two "..." buttons: what a screen reader must name.
bool NeedsAName(const ControlLayout& control) {
  const std::string kind = control.windowClass;
  return kind == "EDIT" || kind == "COMBOBOX" || std::string(control.caption) == "...";
}

// The label made to name Input, or null.
const ControlLayout* LabelFor(ControlId input) {
  for (const LabelOf& pair : kLabels)
    if (pair.input == input) return &LayoutOf(pair.label);
  return nullptr;
}

// What a screen reader should call the control: its label's text, or else
// its group box's caption ("Browse for the" and that caption for a button).
std::string ExpectedName(const ControlLayout& control) {
  if (const ControlLayout* label = LabelFor(control.id)) return label->caption;
  std::string group = LayoutOf(control.parent).caption;
  group.erase(0, group.find_first_not_of(' '));
  group.erase(group.find_last_not_of(' ') + 1);
  if (std::string(control.caption) != "...") return group;
  group[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(group[0])));
  return "Browse for the " + group;
}

// What the system's accessibility layer calls a window; empty for no name.
std::wstring AccessibleNameOf(HWND window) {
  platform::win32::ScopedCom<IAccessible> object;
  if (FAILED(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(object.receive()))) ||
      !object)
    return {};
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  std::wstring text;
  if (object.get()->get_accName(self, &name) == S_OK && name) text = name;
  ::SysFreeString(name);
  return text;
}

// Whether the accessibility layer gives out names set through the property
// service, tried on a window of this process. Wine's service sets none.
bool PropertyServiceNamesWindows() {
  const HWND window = ::CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  bool named = false;
  {
    AccessibleNames names;
    named = names.Set(window, L"Quillfern") && AccessibleNameOf(window) == L"Quillfern";
  }
  ::DestroyWindow(window);
  return named;
}

// The naming rule: each such control is named either by its own label,
// directly before it in the window order, or by a name set on it, never
// both and never neither. The accessibility layer names the labelled ones
// from the window order, Wine's too.
TEST_F(WizardTest, NamesEachInputByTheLabelBeforeItOrByANameOfItsOwn) {
  ASSERT_TRUE(wizard.window());
  const platform::win32::ScopedComApartment com;
  int checked = 0;
  for (const ControlLayout& control : kLayout) {
    if (!NeedsAName(control)) continue;
    SCOPED_TRACE(std::string(control.name));
    ++checked;
    const auto own = std::find_if(kAccessibleNames.begin(), kAccessibleNames.end(),
                                  [&](const AccessibleName& n) { return n.id == control.id; });
    const bool labelled = LabelFor(control.id) != nullptr;
    EXPECT_EQ(LabelBefore(wizard.Control(control.id)), labelled ? ExpectedName(control) : "");
    EXPECT_EQ(own != kAccessibleNames.end(), !labelled) << "named by neither or by both";
    if (labelled) {
      EXPECT_EQ(platform::Utf8FromUtf16(AccessibleNameOf(wizard.Control(control.id))), ExpectedName(control));
    } else if (own != kAccessibleNames.end()) {
      EXPECT_EQ(platform::Utf8FromUtf16(own->name), ExpectedName(control));
    }
  }
  EXPECT_EQ(checked, 9) << "seven inputs and two browse buttons";
}

// The names set on the others, as the accessibility layer gives them out.
// Wine's property service sets none (IAccPropServices::SetHwndPropStr
// answers E_NOTIMPL), so this part needs Windows.
TEST(WizardForScreenReaders, TheInputsWithoutALabelAndBothBrowseButtonsHaveTheirOwnNames) {
  const platform::win32::ScopedComApartment com;
  if (!PropertyServiceNamesWindows())
    GTEST_SKIP() << "this system's accessibility property service names no window (Wine's does not)";
  TempFolder work;
  Wizard wizard(work.str());
  ASSERT_TRUE(wizard.window());
  for (const AccessibleName& own : kAccessibleNames)
    EXPECT_EQ(AccessibleNameOf(wizard.Control(own.id)), own.name) << LayoutOf(own.id).name;
}

TEST_F(WizardTest, ArrowKeysMoveTheSelectionBetweenTheRadioButtonsAndTabReachesTheSelectedOne) {
  ASSERT_TRUE(wizard.window());
  for (int i = 0; i < 4; ++i) wizard.Press(VK_TAB);
  ASSERT_EQ(wizard.FocusId(), rbInstallHKCU);

  wizard.Press(VK_DOWN);
  EXPECT_EQ(wizard.FocusId(), rbInstallHKLM);
  EXPECT_TRUE(wizard.Checked(rbInstallHKLM));
  EXPECT_FALSE(wizard.Checked(rbInstallHKCU));

  wizard.Press(VK_TAB);
  EXPECT_EQ(wizard.FocusId(), chkLoadConnected) << "the arrow keys stay within the two radio buttons' group";
  wizard.Click(edtWrapper);
  wizard.Press(VK_TAB);
  wizard.Press(VK_TAB);
  EXPECT_EQ(wizard.FocusId(), rbInstallHKLM) << "Tab reaches the selected radio button";

  wizard.Press(VK_UP);
  EXPECT_EQ(wizard.FocusId(), rbInstallHKCU);
  EXPECT_TRUE(wizard.Checked(rbInstallHKCU));
  EXPECT_FALSE(wizard.Checked(rbInstallHKLM));
}

TEST_F(WizardTest, EscapeDoesNothing) {
  ASSERT_TRUE(wizard.window());
  wizard.Click(edtClassName);
  wizard.Press(VK_ESCAPE);
  wizard.Press(VK_TAB);  // handled after Esc: the program is still at work
  EXPECT_TRUE(wizard.Running());
  EXPECT_TRUE(wizard.OtherWindows().empty());
  EXPECT_EQ(wizard.FocusId(), edtDescription);
  EXPECT_EQ(wizard.Text(edtClassName), "AccessAddin1");
}

TEST(WizardKeys, EnterOnAnotherPushButtonPressesThatButtonWhetherClickedOrTabbedTo) {
  // A copy without the help file, so that pressing Help shows nothing.
  const ProgramCopy copy(/*withHelp=*/false);
  Wizard wizard(copy.folder(), copy.program());
  ASSERT_TRUE(wizard.window());
  // First thing after start, so that no earlier Tab has made Help the
  // default. Help, with no help file beside this copy, shows nothing;
  // Generate would.
  wizard.Click(btnHelp);
  ASSERT_EQ(wizard.FocusId(), btnHelp);
  EXPECT_TRUE(wizard.OtherWindows().empty()) << "Help showed something";
  wizard.Press(VK_RETURN);
  EXPECT_TRUE(wizard.OtherWindows().empty()) << "Enter on Help, clicked before, generated";
  EXPECT_TRUE(wizard.Running());

  wizard.Click(edtFolder);
  for (int i = 0; i < 3; ++i) wizard.Press(VK_TAB);
  ASSERT_EQ(wizard.FocusId(), btnCancel);
  wizard.Press(VK_RETURN);
  EXPECT_EQ(wizard.WaitForExit(), 0u) << "Enter on Close, reached by Tab, closes instead of generating";
}

// A user's change of either list, by keyboard, gives the four boxes the
// defaults of the new selection and leaves every other input alone.
TEST_F(WizardTest, AUserChangeOfEitherListRewritesTheFourBoxesAndNothingElse) {
  ASSERT_TRUE(wizard.window());
  wizard.Click(rbInstallHKLM);
  wizard.Click(chkLoadBootLoad);
  wizard.Click(chkLoadDemandLoad);
  const std::string folder = work / "elsewhere";
  wizard.SetText(edtFolder, folder);
  const struct {
    const char* what;
    int list;
    WORD key;
    std::size_t app, version;
  } changes[] = {
      {"Access to Excel", cbTargetApp, VK_DOWN, 1, 0},
      {"2000 to 2002/XP", cbTargetVersion, VK_DOWN, 1, 1},
      {"Excel to PowerPoint", cbTargetApp, 'P', 4, 1},
      {"2002/XP back to 2000", cbTargetVersion, VK_UP, 4, 0},
  };
  for (const auto& change : changes) {
    SCOPED_TRACE(change.what);
    // What the user typed is lost to the change, even when only the version changes.
    wizard.SetText(edtFriendlyName, "My own name");
    wizard.SetText(edtClassName, "MyClass");
    wizard.SetText(edtDescription, "typed");
    wizard.SetText(edtWrapper, "Mine.pas");
    wizard.Click(change.list);
    wizard.Press(VK_ESCAPE);  // the click dropped the list down; close it
    if (change.key == 'P') wizard.Type("P");
    else wizard.Press(change.key);
    generator::WizardSettings expected = NewProjectSettings(change.app, change.version, folder);
    expected.InstallForCurrentUser = false;
    expected.LoadBootLoad = false;
    expected.LoadDemandLoad = true;
    ExpectShows(wizard, expected);
  }
}

// --- the pickers ---

// A folder name in several scripts, which no code page but UTF-8 holds
// whole; it ends in 95 5C in code page 932.
constexpr wchar_t kScriptsFolder[] = L"Caf\x00E9 \x0141\x00F3d\x017A \x03A9 \x0416\x0443\x043A \x3042\x8868";

// The file name box of the file picker.
HWND FileNameBox(HWND picker) {
  for (int id : {0x47C, 0x480})  // the explorer-style combo box, or the old edit box
    if (HWND box = ::GetDlgItem(picker, id)) return box;
  return nullptr;
}

// The file picker's folder list ("Look in"), its filter list and its
// read-only box.
constexpr int kLookIn = 0x471;
constexpr int kFileTypes = 0x470;
constexpr int kReadOnlyBox = 0x410;

// The picker's own "Open" button (a tool bar in it carries the same id).
HWND OpenButton(HWND picker) { return ChildWithText(picker, "&Open"); }

TEST_F(WizardTest, TheUnitPickerPutsTheChosenFileNameAloneIntoTheBoxStartsFromItNextTimeAndCancelKeepsIt) {
  ASSERT_TRUE(wizard.window());
  fs::create_directory(work.path() / "units");
  WriteBytes(work.path() / "units" / "Word2000.pas", "unit Word2000;");
  WriteBytes(work.path() / "units" / "Excel2000.pas", "unit Excel2000;");
  wizard.Click(cbTargetApp);
  wizard.Press(VK_ESCAPE);
  wizard.Type("W");
  wizard.Click(cbTargetVersion);
  wizard.Press(VK_ESCAPE);
  wizard.Press(VK_DOWN);

  wizard.Click(Button1);
  HWND picker = wizard.WaitForMessageWindow();
  ASSERT_TRUE(picker);
  EXPECT_EQ(WindowTextOf(picker), "Select Interface unit for Word 2002/XP");
  ASSERT_TRUE(FileNameBox(picker));
  const HWND fileTypes = ::GetDlgItem(picker, kFileTypes);
  EXPECT_EQ(::SendMessageA(fileTypes, CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(WindowTextOf(fileTypes), "Object Pascal units (*.pas)") << "the first filter is chosen";
  EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(picker, kReadOnlyBox)));
  EXPECT_TRUE(::GetWindowLongPtrA(picker, GWL_STYLE) & WS_THICKFRAME) << "the picker can be resized";
  ::SendMessageA(FileNameBox(picker), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>((work / "units\\Word2000.pas").c_str()));
  wizard.ClickWindow(OpenButton(picker));
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(picker); }));
  wizard.Settle();
  EXPECT_EQ(wizard.Text(edtWrapper), "Word2000.pas");
  EXPECT_EQ(wizard.FocusId(), edtWrapper);

  // The next use starts from that file, in its folder; cancelled, it
  // changes nothing, not even the focus.
  wizard.SetText(edtWrapper, "Kept.pas");
  wizard.Click(Button1);
  picker = wizard.WaitForMessageWindow();
  ASSERT_TRUE(picker);
  EXPECT_EQ(WindowTextOf(FileNameBox(picker)), "Word2000.pas");
  EXPECT_EQ(WindowTextOf(::GetDlgItem(picker, kLookIn)), "units");
  wizard.Press(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(picker); }));
  wizard.Settle();
  EXPECT_EQ(wizard.Text(edtWrapper), "Kept.pas");
  EXPECT_EQ(wizard.FocusId(), Button1);

  // The picker left the working directory where the wizard started: a
  // relative output folder lands there, not beside the unit.
  wizard.SetText(edtFolder, ".\\out");
  wizard.Click(btnOk);
  Give(Answer::Enter, NextMessage());  // yes, create the folder
  Give(Answer::Enter, NextMessage());  // the host warning
  Give(Answer::Enter, NextMessage());  // generated
  EXPECT_TRUE(fs::exists(work.path() / "out" / "WordAddin1.dpr"));
  EXPECT_FALSE(fs::exists(work.path() / "units" / "out"));
}

// What the picker is asked for; the common dialog then does it (Windows'
// adds the default extension to a name typed without one before it checks
// that the file exists; Wine's checks first and so refuses such a name).
TEST(UnitPickerOptions, OfferPasUnitsFirstAddPasToABareNameAndWantAnExistingFile) {
  OPENFILENAMEW options{};
  std::array<wchar_t, 16> fileName{};
  FillUnitPickerOptions(options, fileName.data(), static_cast<DWORD>(fileName.size()));
  EXPECT_EQ(options.lStructSize, sizeof options);
  std::vector<std::wstring> filter;  // description and pattern, pair by pair, up to an empty text
  for (const wchar_t* text = options.lpstrFilter; text && *text; text += filter.emplace_back(text).size() + 1) {
  }
  EXPECT_EQ(filter, (std::vector<std::wstring>{L"Object Pascal units (*.pas)", L"*.pas", L"All files (*.*)", L"*.*"}));
  EXPECT_EQ(options.nFilterIndex, 1u) << "the first filter is chosen";
  EXPECT_EQ(std::wstring(options.lpstrDefExt ? options.lpstrDefExt : L""), L"pas");
  EXPECT_EQ(options.Flags, static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                                              OFN_ENABLESIZING | OFN_EXPLORER));
  EXPECT_EQ(options.lpstrFile, fileName.data());
  EXPECT_EQ(options.nMaxFile, fileName.size());
}

TEST_F(WizardTest, TheUnitPickerRefusesAFileThatDoesNotExist) {
  ASSERT_TRUE(wizard.window());
  wizard.Click(Button1);
  const HWND picker = wizard.WaitForMessageWindow();
  ASSERT_TRUE(picker);
  ::SendMessageA(FileNameBox(picker), WM_SETTEXT, 0, reinterpret_cast<LPARAM>((work / "Missing.pas").c_str()));
  wizard.ClickWindow(OpenButton(picker));
  const HWND refusal = wizard.WaitForMessageWindow(picker);
  ASSERT_TRUE(refusal) << "the picker said nothing about the missing file";
  Give(Answer::Enter, ReadMessageWindow(refusal));
  EXPECT_TRUE(::IsWindow(picker)) << "the picker closed on a missing file";
  wizard.Press(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(picker); }));
  wizard.Settle();
  EXPECT_EQ(wizard.Text(edtWrapper), "Access2000.pas");
}

TEST_F(WizardTest, TheFolderPickerStartsAtTheFolderInTheBoxAndCancellingItChangesNothing) {
  ASSERT_TRUE(wizard.window());
  // In the root of a drive: Wine's picker does not always find a preselected
  // folder further down.
  const TempFolder nearRoot("C:\\");
  const std::string chosen = nearRoot.str();
  wizard.SetText(edtFolder, chosen);

  wizard.Click(btnFolder);
  HWND picker = wizard.WaitForMessageWindow();
  ASSERT_TRUE(picker);
  EXPECT_TRUE(ChildWithText(picker, "Select output folder")) << "the picker shows its title";
  wizard.Press(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(picker); }));
  wizard.Settle();
  EXPECT_EQ(wizard.Text(edtFolder), chosen);
  EXPECT_EQ(wizard.FocusId(), btnFolder);

  wizard.Click(btnFolder);
  picker = wizard.WaitForMessageWindow();
  ASSERT_TRUE(picker);
  wizard.ClickWindow(ChildWithText(picker, "OK"));
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(picker); }));
  wizard.Settle();
  EXPECT_EQ(wizard.Text(edtFolder), chosen);
  EXPECT_EQ(wizard.FocusId(), edtFolder);

  // A folder is taken as it is named, whether or not the system code page
  // can hold its path: a look-alike would name another folder.
  const fs::path named = nearRoot.path() / kScriptsFolder;
  ASSERT_TRUE(fs::create_directory(named));
  wizard.Click(btnFolder);
  picker = wizard.WaitForMessageWindow();
  ASSERT_TRUE(picker);
  const HWND tree = ::FindWindowExA(picker, nullptr, WC_TREEVIEWA, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) != 0; }));
  const LPARAM box = ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
  ::SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, box);
  const LPARAM inside = ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, box);
  ASSERT_TRUE(inside) << "the picker shows no folder inside " << chosen;
  ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, inside);
  wizard.ClickWindow(ChildWithText(picker, "OK"));
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(picker); }));
  wizard.Settle();
  EXPECT_TRUE(wizard.OtherWindows().empty()) << "a message came after the picker";
  EXPECT_EQ(wizard.Text(edtFolder), platform::Utf8FromUtf16(named.wstring()));
}

// --- the folder it starts with ---

// Exactly as it is named, whether or not the system code page holds it: a
// best fit would show a look-alike naming another folder (Lodz for the
// Polish name).
TEST(WizardStart, PutsTheWorkingFolderIntoTheBoxAsItIsNamed) {
  TempFolder work;
  const fs::path start = work.path() / kScriptsFolder;
  ASSERT_TRUE(fs::create_directory(start));
  const ScopedWorkingDirectory inside(start);
  Wizard wizard("");  // started in this process's working folder
  ASSERT_TRUE(wizard.window());
  EXPECT_EQ(wizard.Text(edtFolder), platform::Utf8FromUtf16(start.wstring()));
}

// --- looks ---

TEST_F(WizardTest, DrawsTheTwoNotesInTheActiveCaptionColourAndTheOtherLabelsNot) {
  ASSERT_TRUE(wizard.window());
  const COLORREF note = ::GetSysColor(COLOR_ACTIVECAPTION);
  const auto usesNoteColour = [&](int id) {
    const Capture shot = StableCapture(FrameOf(wizard.Control(id)));
    return std::find(shot.pixels.begin(), shot.pixels.end(), note) != shot.pixels.end();
  };
  EXPECT_TRUE(usesNoteColour(Label2));
  EXPECT_TRUE(usesNoteColour(Label3));
  EXPECT_FALSE(usesNoteColour(Label4));
  EXPECT_FALSE(usesNoteColour(rbInstallHKCU));
}

TEST_F(WizardTest, SavesAScreenshotOfTheDialogAfterStart) {
  ASSERT_TRUE(wizard.window());
  const Capture shot = StableCapture(FrameOf(wizard.window()));
  ASSERT_FALSE(shot.pixels.empty()) << "the screen could not be read";
  // Not one flat colour: the dialog is drawn.
  EXPECT_NE(std::count(shot.pixels.begin(), shot.pixels.end(), shot.pixels.front()),
            static_cast<std::ptrdiff_t>(shot.pixels.size()));
  EXPECT_TRUE(SaveBmp(shot, QUILLFERN_SCREENSHOT)) << QUILLFERN_SCREENSHOT;
}

// --- a double-byte system code page ---
// These run where the system code page is double-byte: ctest runs them again
// under Wine with a Japanese and with a Traditional Chinese locale.

bool DoubleByteSystem() {
  CPINFO info{};
  return ::GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 2;
}

// Whether A and B show the same thing: the same pixels where they overlap.
bool LookAlike(const Capture& a, const Capture& b) {
  for (int y = 0; y < std::min(a.height, b.height); ++y)
    for (int x = 0; x < std::min(a.width, b.width); ++x)
      if (a.at(x, y) != b.at(x, y)) return false;
  return true;
}

// Whether the capture holds anything but Background.
bool HasInk(const Capture& c, COLORREF background) {
  return std::any_of(c.pixels.begin(), c.pixels.end(), [&](COLORREF p) { return p != background; });
}

// Character Index of an edit box's text on the screen: from its left edge
// to the next character's, LineHeight high.
Capture CharacterCell(const Wizard& wizard, int box, int index, int lineHeight) {
  const auto at = [&](int i) {
    const LRESULT position = ::SendMessageW(wizard.Control(box), EM_POSFROMCHAR, static_cast<WPARAM>(i), 0);
    POINT p{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    ::ClientToScreen(wizard.Control(box), &p);
    return p;
  };
  const POINT from = at(index), to = at(index + 1);
  return StableCapture({from.x, from.y, to.x, from.y + lineHeight});
}

TEST(WizardInADoubleByteScript, ShowsTypedIdeographsAsThemselvesInEveryBox) {
  if (!DoubleByteSystem()) GTEST_SKIP() << "the system code page is " << ::GetACP() << ", not a double-byte one";
  const DialogFont font = ChooseDialogFont(ScreenDpi());  // as the wizard chooses it, on the same system
  TempFolder work;
  Wizard wizard(work.str());
  ASSERT_TRUE(wizard.window());
  // Three kanji (hanzi in Taiwan), a character no font has, and a blank
  // where that one's cell ends.
  const std::string typed = "\xE8\xA1\xA8\xE8\x83\xBD\xE8\xA8\xB1\xCD\xB8 ";
  const COLORREF paper = ::GetSysColor(COLOR_WINDOW);
  for (const int box : {edtFriendlyName, edtDescription, edtFolder}) {
    SCOPED_TRACE(std::string(LayoutOf(static_cast<ControlId>(box)).name));
    wizard.SetText(box, typed);
    std::vector<Capture> cells;
    for (int i = 0; i < 4; ++i) cells.push_back(CharacterCell(wizard, box, i, font.textHeight));
    for (int i = 0; i < 3; ++i) {
      EXPECT_TRUE(HasInk(cells[i], paper)) << "character " << i << " is not drawn";
      EXPECT_FALSE(LookAlike(cells[i], cells[3])) << "character " << i << " is drawn as a missing one";
      EXPECT_FALSE(LookAlike(cells[i], cells[(i + 1) % 3])) << "characters " << i << " and the next look alike";
    }
  }
  std::string shot = QUILLFERN_SCREENSHOT;
  shot.insert(shot.size() - 4, "-" + std::to_string(::GetACP()));
  EXPECT_TRUE(SaveBmp(StableCapture(FrameOf(wizard.window())), shot)) << shot;
}

// Whether Text, drawn in Font (its lines broken at Width, as a label breaks
// them, when Wrap), puts ink outside Width x Height: a letter there is cut.
bool InkOutside(const DialogFont& font, const std::string& text, int width, int height, bool wrap) {
  const std::wstring wide = platform::Utf16FromUtf8(text);
  const int margin = 16;
  const Capture drawn = Drawn(width + margin, height + margin, [&](HDC dc) {
    RECT all{0, 0, width + margin, height + margin};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    const ScopedSelection selected = SelectInto(dc, font.font.get());
    ::SetBkMode(dc, TRANSPARENT);
    RECT box{0, 0, width, height};
    return ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &box,
                       (wrap ? DT_WORDBREAK : DT_SINGLELINE) | DT_NOPREFIX | DT_EXPANDTABS | DT_NOCLIP) != 0;
  });
  for (int y = 0; y < drawn.height; ++y)
    for (int x = 0; x < drawn.width; ++x)
      if ((x >= width || y >= height) && drawn.at(x, y) != RGB(255, 255, 255)) return true;
  return drawn.pixels.empty();
}

// Whether a control cuts off some of its text: a label's letters must lie
// inside it, a button's caption inside its frame (and beside the box of a
// check box or radio button), a group box's caption between its corners; an
// edit box or list must be as tall as a line of text.
bool Cuts(const Wizard& wizard, const ControlLayout& control, const DialogFont& font, int dpi) {
  const RECT frame = wizard.ClientRect(control.id);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  const std::string kind = control.windowClass;
  if (kind == "STATIC") return InkOutside(font, control.caption, width, height, true);
  if (kind == "EDIT" || kind == "COMBOBOX") {
    RECT client{};
    ::GetClientRect(wizard.Control(control.id), &client);
    return client.bottom < font.textHeight;
  }
  const LONG_PTR type = control.style & BS_TYPEMASK;
  if (type == BS_GROUPBOX) return InkOutside(font, control.caption, width - Scale(16, dpi), height, false);
  if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)
    return InkOutside(font, control.caption, width - Scale(4, dpi), height - Scale(4, dpi), false);
  const int box = ::GetSystemMetrics(SM_CXMENUCHECK) + Scale(4, dpi);
  return InkOutside(font, control.caption, width - box, height - Scale(2, dpi), false);
}

TEST(WizardInADoubleByteScript, CutsOffNoTextAndKeepsEveryControlInsideItsBoxAndTheDialog) {
  if (!DoubleByteSystem()) GTEST_SKIP() << "the system code page is " << ::GetACP() << ", not a double-byte one";
  ::SetProcessDPIAware();
  const int dpi = ScreenDpi();
  const DialogFont font = ChooseDialogFont(dpi);
  TempFolder work;
  Wizard wizard(work.str());
  ASSERT_TRUE(wizard.window());
  for (const ControlLayout& control : kLayout) EXPECT_FALSE(Cuts(wizard, control, font, dpi)) << control.name;
  RECT client{};
  ::GetClientRect(wizard.window(), &client);
  ExpectInsideAndApart([&](ControlId id) { return wizard.ClientRect(id); }, client, font.textHeight, dpi);
}

// --- the program file ---

std::string VersionValue(const std::vector<char>& info, const std::string& name) {
  char* value = nullptr;
  UINT length = 0;
  const std::string key = "\\StringFileInfo\\040904E4\\" + name;
  if (!::VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return {};
  return std::string(value);
}

// The sizes of the images in the program's first icon, the one Explorer shows.
std::set<int> IconSizes(HMODULE image) {
  std::set<int> sizes;
  const HRSRC group = ::FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  if (!group) return sizes;
  const auto* bytes = static_cast<const BYTE*>(::LockResource(::LoadResource(image, group)));
  const int count = bytes[4] | bytes[5] << 8;
  for (int i = 0; i < count; ++i) {
    const int width = bytes[6 + 14 * i];  // a directory entry is 14 bytes, its width first
    sizes.insert(width == 0 ? 256 : width);
  }
  return sizes;
}

TEST(WizardProgram, NamesItselfAndItsVersionAndCarriesItsManifestAndIcon) {
  const std::string program = ProgramFolder() + "quillfern.exe";

  DWORD ignored = 0;
  std::vector<char> info(::GetFileVersionInfoSizeA(program.c_str(), &ignored));
  ASSERT_FALSE(info.empty()) << "no version resource in " << program;
  ASSERT_TRUE(::GetFileVersionInfoA(program.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  EXPECT_EQ(VersionValue(info, "ProductName"), "Quillfern");
  EXPECT_EQ(VersionValue(info, "ProductVersion"), QUILLFERN_VERSION);
  EXPECT_EQ(VersionValue(info, "FileVersion"), QUILLFERN_VERSION);

  const HMODULE image = ::LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(image);
  const HRSRC resource = ::FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_TRUE(resource) << "no manifest";
  const auto* text = static_cast<const char*>(::LockResource(::LoadResource(image, resource)));
  const std::string manifest(text, ::SizeofResource(image, resource));
  const std::set<int> icons = IconSizes(image);
  ::FreeLibrary(image);
  for (const int size : {16, 32, 48, 256}) EXPECT_EQ(icons.count(size), 1u) << "no " << size << "-pixel icon";
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("<dpiAware"), std::string::npos);
}

}  // namespace
}  // namespace quillfern::testing
