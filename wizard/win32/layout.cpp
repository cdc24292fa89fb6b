#include "wizard/win32/layout.h"

#include <algorithm>
#include <stdexcept>
#include <tuple>

namespace quillfern::wizard::win32 {

const ControlSpec& Spec(ControlId id) {
  for (const ControlSpec& spec : kLayout)
    if (spec.id == id) return spec;
  throw std::out_of_range("no control with that identity");
}

std::array<const ControlSpec*, kLayout.size()> CreationOrder() {
  // Sort key: the top-level tab position of the control or of its group box,
  // then the box itself, then its labels, then its controls by tab position.
  const auto key = [](const ControlSpec* s) {
    if (s->parent == kNoParent) return std::make_tuple(s->tab, 0, 0);
    const int place = s->tab == kNoTab ? 1 : 2;
    return std::make_tuple(Spec(s->parent).tab, place, s->tab);
  };
  std::array<const ControlSpec*, kLayout.size()> order{};
  std::transform(kLayout.begin(), kLayout.end(), order.begin(), [](const ControlSpec& s) { return &s; });
  std::stable_sort(order.begin(), order.end(),
                   [&](const ControlSpec* a, const ControlSpec* b) { return key(a) < key(b); });
  return order;
}

}  // namespace quillfern::wizard::win32
