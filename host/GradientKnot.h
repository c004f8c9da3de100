// One knot of a gradient: its colour, brightness, position (0 .. 1), bias and index.
#pragma once

#include "Types.h"
#include "Vector.h"

struct GradientKnot {
  Vector col{1.0, 1.0, 1.0};
  Float brightness = 1.0;
  Float pos = 0.0;
  Float bias = 0.5;
  Int32 index = 0;

  Bool operator==(const GradientKnot& o) const
  {
    return col == o.col && brightness == o.brightness && pos == o.pos && bias == o.bias && index == o.index;
  }
};
