#include "wizard/win32/layout.h"

#include <algorithm>
#include <stdexcept>
#include <tuple>

namespace quillfern::wizard::win32 {

const ControlLayout& LayoutOf(ControlId id) {
  for (const ControlLayout& row : kLayout)
    if (row.id == id) return row;
  throw std::out_of_range("no control with that identity");
}

namespace {

// The input that Label names, or null when it names none.
const ControlLayout* InputNamedBy(ControlId label) {
  for (const LabelOf& pair : kLabels)
    if (pair.label == label) return &LayoutOf(pair.input);
  return nullptr;
}

}  // namespace

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

}  // namespace quillfern::wizard::win32
