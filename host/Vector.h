// Vectors and matrices: plain values with the layout of the host's HstVector and
// HstMatrix. Positions in centimetres, rotations in radians, colours linear RGB.
#pragma once

#include <cmath>

#include "Types.h"
#include "abi/HstHandles.h"

struct Vector {
  Float x = 0.0, y = 0.0, z = 0.0;

  Vector() = default;
  Vector(Float x, Float y, Float z) : x(x), y(y), z(z) {}
  explicit Vector(Float v) : x(v), y(v), z(v) {}
  explicit Vector(const HstVector& v) : x(v.x), y(v.y), z(v.z) {}
  HstVector ToHst() const { return {x, y, z}; }

  Vector operator+(const Vector& o) const { return {x + o.x, y + o.y, z + o.z}; }
  Vector operator-(const Vector& o) const { return {x - o.x, y - o.y, z - o.z}; }
  Vector operator*(Float s) const { return {x * s, y * s, z * s}; }
  Bool operator==(const Vector& o) const { return x == o.x && y == o.y && z == o.z; }
  Bool operator!=(const Vector& o) const { return !(*this == o); }
};

inline Float Len(const Vector& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// A point p maps to off + v1 * p.x + v2 * p.y + v3 * p.z; the identity by default.
struct Matrix {
  Vector off;
  Vector v1{1.0, 0.0, 0.0};
  Vector v2{0.0, 1.0, 0.0};
  Vector v3{0.0, 0.0, 1.0};

  Matrix() = default;
  Matrix(const Vector& off, const Vector& v1, const Vector& v2, const Vector& v3) : off(off), v1(v1), v2(v2), v3(v3) {}
  explicit Matrix(const HstMatrix& m) : off(m.off), v1(m.v1), v2(m.v2), v3(m.v3) {}
  HstMatrix ToHst() const { return {off.ToHst(), v1.ToHst(), v2.ToHst(), v3.ToHst()}; }

  Vector operator*(const Vector& p) const { return off + v1 * p.x + v2 * p.y + v3 * p.z; }
  Bool operator==(const Matrix& o) const { return off == o.off && v1 == o.v1 && v2 == o.v2 && v3 == o.v3; }
  Bool operator!=(const Matrix& o) const { return !(*this == o); }
};

static_assert(sizeof(Vector) == sizeof(HstVector), "Vector has the host's layout");
static_assert(sizeof(Matrix) == sizeof(HstMatrix), "Matrix has the host's layout");
