#pragma once

#include <cstdio>

#include "util/Subscription.hpp"

namespace drawlume {

class TabletViewModel;

// Tells a terminal what the permission block of the window tells: the state
// now, when posting is not possible, and every later change, each as one
// line on `out`. The model keeps the subscription's observer; cancel it
// before `out` goes away.
[[nodiscard]] Subscription reportPermission(const TabletViewModel& model, std::FILE* out);

}  // namespace drawlume
