#pragma once

#include <span>

namespace velmora {

// MaxValue: the largest of `values` as a double, comparing numerically; ties keep the value found
// first. `values` holds at least one element (the main window passes two); none gives 0.
double MaxValue(std::span<const double> values);

} // namespace velmora
