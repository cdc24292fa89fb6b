#include "wizard/layout.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <tuple>

namespace quillfern::wizard {

const ControlLayout& LayoutOf(ControlId id) {
  for (const ControlLayout& row : kLayout)
    if (row.id == id) return row;
  throw std::out_of_range("no control with that identity");
}

namespace {

// Room a label may grow into inside its group box: up to this many pixels
// (at 96 DPI) from the box's edge, the table's own margin below the notes.
constexpr int kGroupMargin = 3;
// The least room between a label and the input it names, at 96 DPI.
constexpr int kLabelGap = 4;

constexpr std::size_t kCount = kLayout.size();

std::size_t IndexOf(ControlId id) { return static_cast<std::size_t>(&LayoutOf(id) - kLayout.data()); }

// Row's rectangle in the client area, in the table's pixels.
RECT TableFrame(const ControlLayout& row) {
  int left = row.left, top = row.top;
  if (row.parent != kNoParent) {
    left += LayoutOf(row.parent).left;
    top += LayoutOf(row.parent).top;
  }
  return {left, top, left + row.width, top + row.height};
}

// A control whose height holds one line of its text: edit boxes, lists,
// buttons, check boxes and radio buttons, but not group boxes.
bool HoldsOneLine(const ControlLayout& row) {
  const std::string_view kind = row.windowClass;
  return kind == "EDIT" || kind == "COMBOBOX" || (kind == "BUTTON" && (row.style & BS_TYPEMASK) != BS_GROUPBOX);
}

// A ends where B starts or above, in the same parent. The table lets a note
// overlap the radio button above it by a pixel.
bool Above(const ControlLayout& a, const ControlLayout& b) {
  return a.parent == b.parent && a.top + a.height <= b.top + 1;
}

// The input that Label names, or null when it names none.
const ControlLayout* InputNamedBy(ControlId label) {
  for (const LabelOf& pair : kLabels)
    if (pair.label == label) return &LayoutOf(pair.input);
  return nullptr;
}

// How far each control of the table grows and moves, in pixels.
struct Growth {
  std::array<int, kCount> wider{}, taller{}, down{}, right{};
};

// A label whose text does not fit widens, up to its group box's edge, so
// that its text needs as few lines as it can, and then grows taller.
void GrowLabel(std::size_t i, const RECT& frame, int boxRight, const MeasureText& measure, Growth& growth) {
  const int width = static_cast<int>(frame.right - frame.left), height = static_cast<int>(frame.bottom - frame.top);
  const char* text = kLayout[i].caption;
  const SIZE fits = measure(text, width);
  if (fits.cx <= width && fits.cy <= height) return;
  const int room = std::max<int>(width, boxRight - frame.left);
  const SIZE wide = measure(text, room);
  growth.wider[i] = std::clamp<int>(wide.cx, width, room) - width;
  growth.taller[i] = std::max<int>(wide.cy, height) - height;
}

// The inputs of a group box that labels name move right of every label
// there as it has grown, all by the same distance, so that they stay in one
// column; each keeps its right edge.
void MoveInputsRightOfLabels(const Placement& placed, int gap, Growth& growth) {
  std::array<int, kCount> column{};  // by group box
  for (const LabelOf& pair : kLabels) {
    const std::size_t label = IndexOf(pair.label), input = IndexOf(pair.input);
    const auto needed = placed.frames[label].right + growth.wider[label] + gap - placed.frames[input].left;
    int& box = column[IndexOf(kLayout[input].parent)];
    box = std::max<int>(box, static_cast<int>(needed));
  }
  for (const LabelOf& pair : kLabels) growth.right[IndexOf(pair.input)] = column[IndexOf(LayoutOf(pair.input).parent)];
}

// Top to bottom, first inside the group boxes and then among them: a
// control moves down by the most that anything above it in the same parent
// moved and grew, inside a group box by the growth of the box's caption
// line at least; a group box grows taller by the most its contents moved
// and grew.
void MoveDown(int lineGrowth, Growth& growth) {
  std::array<std::size_t, kCount> order{};
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [](std::size_t a, std::size_t b) {
    return TableFrame(kLayout[a]).top < TableFrame(kLayout[b]).top;
  });
  for (const bool inGroupBoxes : {true, false}) {
    for (std::size_t c : order) {
      if ((kLayout[c].parent != kNoParent) != inGroupBoxes) continue;
      growth.down[c] = inGroupBoxes ? lineGrowth : 0;
      for (std::size_t a = 0; a < kCount; ++a)
        if (Above(kLayout[a], kLayout[c]))
          growth.down[c] = std::max(growth.down[c], growth.down[a] + growth.taller[a]);
      if (inGroupBoxes) {
        int& box = growth.taller[IndexOf(kLayout[c].parent)];
        box = std::max(box, growth.down[c] + growth.taller[c]);
      }
    }
  }
}

}  // namespace

const RECT& Placement::Of(ControlId id) const { return frames[IndexOf(id)]; }

Placement Arrange(int dpi, int extraLineHeight, const MeasureText& measure) {
  const auto px = [dpi](int v) { return ::MulDiv(v, dpi, 96); };
  const int lineGrowth = std::max(0, extraLineHeight);
  Placement placed{};
  Growth growth;
  for (std::size_t i = 0; i < kCount; ++i) {
    const ControlLayout& row = kLayout[i];
    const RECT table = TableFrame(row);
    placed.frames[i] = {px(table.left), px(table.top), px(table.left) + px(row.width), px(table.top) + px(row.height)};
    if (HoldsOneLine(row)) growth.taller[i] = lineGrowth;
    if (row.growsToText)
      GrowLabel(i, placed.frames[i], px(TableFrame(LayoutOf(row.parent)).right - kGroupMargin), measure, growth);
  }
  MoveInputsRightOfLabels(placed, px(kLabelGap), growth);
  MoveDown(lineGrowth, growth);

  int clientGrowth = 0;
  for (std::size_t i = 0; i < kCount; ++i) {
    const ControlLayout& row = kLayout[i];
    const int down = growth.down[i] + (row.parent == kNoParent ? 0 : growth.down[IndexOf(row.parent)]);
    RECT& frame = placed.frames[i];
    frame.left += growth.right[i];
    frame.top += down;
    frame.right += growth.wider[i];
    frame.bottom += down + growth.taller[i];
    if (row.parent == kNoParent) clientGrowth = std::max(clientGrowth, growth.down[i] + growth.taller[i]);
  }
  placed.clientWidth = px(kClientWidth);
  placed.clientHeight = px(kClientHeight) + clientGrowth;
  return placed;
}

std::array<const ControlLayout*, kLayout.size()> CreationOrder() {
  // Sort key: the top-level tab position of the control or of its group box,
  // then the box itself, then its notes, then its controls by tab position,
  // a label just before the input it names.
  const auto key = [](const ControlLayout* s) {
    if (s->parent == kNoParent) return std::make_tuple(s->tab, 0, 0, 0);
    const int group = LayoutOf(s->parent).tab;
    if (s->tab != kNoTab) return std::make_tuple(group, 2, s->tab, 1);
    if (const ControlLayout* input = InputNamedBy(s->id)) return std::make_tuple(group, 2, input->tab, 0);
    return std::make_tuple(group, 1, 0, 0);
  };
  std::array<const ControlLayout*, kLayout.size()> order{};
  std::transform(kLayout.begin(), kLayout.end(), order.begin(), [](const ControlLayout& s) { return &s; });
  std::stable_sort(order.begin(), order.end(),
                   [&](const ControlLayout* a, const ControlLayout* b) { return key(a) < key(b); });
  return order;
}

}  // namespace quillfern::wizard
