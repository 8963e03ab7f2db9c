// A closed range of whole numbers: the lowest and highest value of a control, a file key or a
// field, written once where the window, the file code and the command line all read it.
#pragma once

namespace keldaro {

struct IntLimits {
  int min;
  int max;

  bool Contains(long long value) const { return value >= min && value <= max; }
  // `value`, or the nearest limit when it lies outside.
  int Clamp(int value) const { return value < min ? min : value > max ? max : value; }
};

}  // namespace keldaro
