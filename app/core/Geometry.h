// Vectors and affine matrices of the scene: positions in centimetres, rotations as
// heading, pitch and bank in radians, colours as linear RGB.
#pragma once

#include <cmath>

#include "host/abi/HstHandles.h"

namespace lensara {

constexpr double kDegree = 3.14159265358979323846 / 180.0; // radians

struct Vector {
  double x = 0.0, y = 0.0, z = 0.0;

  bool operator==(const Vector& o) const { return x == o.x && y == o.y && z == o.z; }
  bool operator!=(const Vector& o) const { return !(*this == o); }
};

// Inline: the renderer calls these for every ray.
inline Vector operator+(const Vector& a, const Vector& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vector operator-(const Vector& a, const Vector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vector operator*(const Vector& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double Dot(const Vector& a, const Vector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double Length(const Vector& a) { return std::sqrt(Dot(a, a)); }
inline Vector Cross(const Vector& a, const Vector& b)
{
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// a scaled to length 1; a zero vector stays zero.
inline Vector Unit(const Vector& a)
{
  double length = Length(a);
  return length > 0.0 ? a * (1.0 / length) : a;
}

// A point p maps to off + v1 * p.x + v2 * p.y + v3 * p.z; the identity by default.
struct Matrix {
  Vector off;
  Vector v1{1.0, 0.0, 0.0};
  Vector v2{0.0, 1.0, 0.0};
  Vector v3{0.0, 0.0, 1.0};

  bool operator==(const Matrix& o) const { return off == o.off && v1 == o.v1 && v2 == o.v2 && v3 == o.v3; }
  bool operator!=(const Matrix& o) const { return !(*this == o); }
};

// a * b: b's transform followed by a's.
Matrix operator*(const Matrix& a, const Matrix& b);
Vector Transform(const Matrix& m, const Vector& p);
// The inverse of an affine matrix; the identity's offset with zero axes when singular.
Matrix Inverse(const Matrix& m);

// Position, rotation (heading about +Y, then pitch about +X, then bank about +Z, radians)
// and scale, as the matrix off + R(h) R(p) R(b) diag(scale).
Matrix ComposeMatrix(const Vector& position, const Vector& rotation, const Vector& scale);
// The inverse of ComposeMatrix for matrices without shear.
void DecomposeMatrix(const Matrix& m, Vector& position, Vector& rotation, Vector& scale);

inline HstVector ToHst(const Vector& v) { return {v.x, v.y, v.z}; }
inline Vector FromHst(const HstVector& v) { return {v.x, v.y, v.z}; }
inline HstMatrix ToHst(const Matrix& m) { return {ToHst(m.off), ToHst(m.v1), ToHst(m.v2), ToHst(m.v3)}; }
inline Matrix FromHst(const HstMatrix& m) { return {FromHst(m.off), FromHst(m.v1), FromHst(m.v2), FromHst(m.v3)}; }

}  // namespace lensara
