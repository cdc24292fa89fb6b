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

std::array<const ControlLayout*, kLayout.size()> CreationOrder() {
  // Sort key: the top-level tab position of the control or of its group box,
  // then the box itself, then its labels, then its controls by tab position.
  const auto key = [](const ControlLayout* s) {
    if (s->parent == kNoParent) return std::make_tuple(s->tab, 0, 0);
    const int place = s->tab == kNoTab ? 1 : 2;
    return std::make_tuple(LayoutOf(s->parent).tab, place, s->tab);
  };
  std::array<const ControlLayout*, kLayout.size()> order{};
  std::transform(kLayout.begin(), kLayout.end(), order.begin(), [](const ControlLayout& s) { return &s; });
  std::stable_sort(order.begin(), order.end(),
                   [&](const ControlLayout* a, const ControlLayout* b) { return key(a) < key(b); });
  return order;
}

}  // namespace quillfern::wizard::win32
