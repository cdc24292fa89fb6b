// The wizard dialog's controls: their identities and the one table that
// creates them. Positions and sizes are pixels at 96 DPI; a control inside a
// group box is placed relative to that box, as the box draws it.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string_view>

namespace quillfern::wizard {

// Control identities, stable so that tests and the keyboard handling can
// find each control. None equals IDOK or IDCANCEL: Enter and Esc reach the
// dialog as those, and the dialog decides what they mean.
enum ControlId : int {
  GroupBox3 = 1001, cbTargetApp, GroupBox6, cbTargetVersion,
  GroupBox5, edtWrapper, Button1,
  GroupBox1, Label2, Label3, rbInstallHKCU, rbInstallHKLM,
  GroupBox2, chkLoadConnected, chkLoadBootLoad, chkLoadDemandLoad, chkLoadConnectFirstTime,
  GroupBox4, Label4, Label1, Label5, edtFriendlyName, edtClassName, edtDescription,
  GroupBox8, edtFolder, btnFolder,
  btnOk, btnCancel, btnHelp,
};

enum class TextColour { Window, ActiveCaption };

constexpr int kNoTab = -1;
constexpr int kNoParent = 0;

struct ControlLayout {
  ControlId id;
  std::string_view name;
  const char* windowClass;
  const char* caption;
  ControlId parent;  // the group box it sits in, or kNoParent
  int left, top, width, height;
  int tab;  // position in the tab order among its siblings, kNoTab for none
  DWORD style;
  DWORD exStyle;
  TextColour colour;
  bool checked;  // a check box ticked or a radio button selected at start
  bool growsToText;  // a label made big enough for its text in the font at hand
};

// Every control starts a group of its own except rbInstallHKLM, which joins
// rbInstallHKCU's: the arrow keys then move between the two radio buttons and
// nowhere else. Only the checked radio button keeps WS_TABSTOP.
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_GROUP;
constexpr DWORD kGroupBox = kChild | BS_GROUPBOX;
constexpr DWORD kLabel = kChild | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kList = kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr DWORD kEdit = kChild | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kCheck = kChild | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kRadio = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
constexpr DWORD kSunken = WS_EX_CLIENTEDGE;

constexpr auto P = static_cast<ControlId>(kNoParent);
constexpr auto Win = TextColour::Window;
constexpr auto Note = TextColour::ActiveCaption;

inline constexpr std::array<ControlLayout, 30> kLayout{{
    {GroupBox3, "GroupBox3", "BUTTON", " Target Application ", P, 8, 8, 176, 50, 0, kGroupBox, 0, Win, false, false},
    {cbTargetApp, "cbTargetApp", "COMBOBOX", "", GroupBox3, 11, 17, 155, 21, 0, kList, 0, Win, false, false},
    {GroupBox6, "GroupBox6", "BUTTON", " Target Version", P, 193, 8, 176, 50, 1, kGroupBox, 0, Win, false, false},
    {cbTargetVersion, "cbTargetVersion", "COMBOBOX", "", GroupBox6, 11, 17, 155, 21, 0, kList, 0, Win, false, false},
    {GroupBox5, "GroupBox5", "BUTTON", " Interface unit  ", P, 8, 63, 361, 50, 2, kGroupBox, 0, Win, false, false},
    {edtWrapper, "edtWrapper", "EDIT", "", GroupBox5, 11, 17, 311, 21, 0, kEdit, kSunken, Win, false, false},
    {Button1, "Button1", "BUTTON", "...", GroupBox5, 328, 16, 23, 23, 1, kButton, 0, Win, false, false},
    {GroupBox1, "GroupBox1", "BUTTON", " Install in ", P, 8, 118, 361, 110, 3, kGroupBox, 0, Win, false, false},
    {Label2, "Label2", "STATIC", "Add-In will be installed for the current user only", GroupBox1,
     30, 34, 218, 13, kNoTab, kLabel, 0, Note, false, true},
    {Label3, "Label3", "STATIC",
     "Add-In will be installed for all users. MS Office does not list add-ins installed in HKLM "
     "hence preventing users from disabling them.",
     GroupBox1, 30, 74, 323, 33, kNoTab, kLabel, 0, Note, false, true},
    {rbInstallHKCU, "rbInstallHKCU", "BUTTON", "HKEY_CURRENT_USER", GroupBox1, 11, 18, 233, 17, 0,
     kRadio | WS_GROUP | WS_TABSTOP, 0, Win, true, false},
    {rbInstallHKLM, "rbInstallHKLM", "BUTTON", "HKEY_LOCAL_MACHINE", GroupBox1, 11, 58, 233, 17, 1,
     kRadio, 0, Win, false, false},
    {GroupBox2, "GroupBox2", "BUTTON", " Load behavior ", P, 8, 234, 361, 69, 4, kGroupBox, 0, Win, false, false},
    {chkLoadConnected, "chkLoadConnected", "BUTTON", "Connected", GroupBox2, 11, 18, 149, 17, 0, kCheck, 0, Win, true, false},
    {chkLoadBootLoad, "chkLoadBootLoad", "BUTTON", "Boot Load", GroupBox2, 11, 42, 149, 17, 1, kCheck, 0, Win, true, false},
    {chkLoadDemandLoad, "chkLoadDemandLoad", "BUTTON", "Demand Load", GroupBox2, 163, 18, 150, 17, 2,
     kCheck, 0, Win, false, false},
    {chkLoadConnectFirstTime, "chkLoadConnectFirstTime", "BUTTON", "Connect First Time", GroupBox2,
     163, 42, 150, 17, 3, kCheck, 0, Win, false, false},
    {GroupBox4, "GroupBox4", "BUTTON", " Register ", P, 8, 309, 361, 113, 5, kGroupBox, 0, Win, false, false},
    {Label4, "Label4", "STATIC", "Friendly Name", GroupBox4, 11, 23, 67, 13, kNoTab, kLabel, 0, Win, false, true},
    {Label1, "Label1", "STATIC", "Class Name", GroupBox4, 11, 53, 56, 13, kNoTab, kLabel, 0, Win, false, true},
    {Label5, "Label5", "STATIC", "Description", GroupBox4, 11, 83, 53, 13, kNoTab, kLabel, 0, Win, false, true},
    {edtFriendlyName, "edtFriendlyName", "EDIT", "", GroupBox4, 86, 18, 264, 21, 0, kEdit, kSunken, Win, false, false},
    {edtClassName, "edtClassName", "EDIT", "", GroupBox4, 86, 49, 264, 21, 1, kEdit, kSunken, Win, false, false},
    {edtDescription, "edtDescription", "EDIT", "", GroupBox4, 86, 80, 264, 21, 2, kEdit, kSunken, Win, false, false},
    {GroupBox8, "GroupBox8", "BUTTON", " Output folder  ", P, 8, 428, 361, 50, 6, kGroupBox, 0, Win, false, false},
    {edtFolder, "edtFolder", "EDIT", "", GroupBox8, 11, 18, 311, 21, 0, kEdit, kSunken, Win, false, false},
    {btnFolder, "btnFolder", "BUTTON", "...", GroupBox8, 328, 17, 23, 23, 1, kButton, 0, Win, false, false},
    {btnOk, "btnOk", "BUTTON", "Generate", P, 133, 486, 75, 23, 7, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, Win, false, false},
    {btnCancel, "btnCancel", "BUTTON", "Close", P, 214, 486, 75, 23, 8, kButton, 0, Win, false, false},
    {btnHelp, "btnHelp", "BUTTON", "Help", P, 295, 486, 75, 23, 9, kButton, 0, Win, false, false},
}};

// The labels that name an input, each made directly before its input: a
// screen reader names an edit box or list after the nearest static text
// before it in the window order.
struct LabelOf {
  ControlId label;
  ControlId input;
};
inline constexpr std::array<LabelOf, 3> kLabels{{
    {Label4, edtFriendlyName}, {Label1, edtClassName}, {Label5, edtDescription}}};

// Names for screen readers where no label before the control gives one:
// the inputs that only their group box's caption describes, and the two
// "..." buttons, whose caption says nothing. The visible captions stay.
struct AccessibleName {
  ControlId id;
  const wchar_t* name;
};
inline constexpr std::array<AccessibleName, 6> kAccessibleNames{{
    {cbTargetApp, L"Target Application"},
    {cbTargetVersion, L"Target Version"},
    {edtWrapper, L"Interface unit"},
    {Button1, L"Browse for the interface unit"},
    {edtFolder, L"Output folder"},
    {btnFolder, L"Browse for the output folder"},
}};

// The dialog's client area at 96 DPI.
constexpr int kClientWidth = 378;
constexpr int kClientHeight = 515;
// The height of an entry of either list at 96 DPI.
constexpr int kListEntryHeight = 13;

// Where the controls go in the client area, and how big that is, in pixels.
struct Placement {
  std::array<RECT, kLayout.size()> frames;  // in the table's order
  int clientWidth;
  int clientHeight;
  const RECT& Of(ControlId id) const;
};

// The room a text needs in the dialog's font when its lines break at Width,
// in pixels.
using MeasureText = std::function<SIZE(std::string_view text, int width)>;

// The table at Dpi, grown where the dialog's font needs more room than the
// table gives: every line of text ExtraLineHeight pixels taller than the
// table's, and every label that grows to its text as big as Measure says,
// wider up to its group box's edge and then taller. An input moves right of
// its grown label and keeps its right edge; whatever grows taller pushes
// what lies below it down, its group box and the dialog with it. With a
// font the table fits, this is the table scaled.
Placement Arrange(int dpi, int extraLineHeight, const MeasureText& measure);

// The row of Id; every identity has one.
const ControlLayout& LayoutOf(ControlId id);

// The table in the order the controls are created, which is the keyboard
// order: top-level controls by their tab position, each group box followed by
// its notes (labels that name no input) and then its own controls by their
// tab position, each input of kLabels right after its label.
std::array<const ControlLayout*, kLayout.size()> CreationOrder();

}  // namespace quillfern::wizard
