// Vectors and affine matrices of the scene, the interface's own (host/Vector.h), with the
// operations the host and its renderer use: positions in centimetres, rotations as
// heading, pitch and bank in radians, colours as linear RGB.
#pragma once

#include <cmath>

#include "host/Vector.h"

namespace lensara {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = kPi / 180.0; // radians

using ::Matrix;
using ::Vector;

// Inline: the renderer calls these for every ray.
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

inline HstVector ToHst(const Vector& v) { return v.ToHst(); }
inline Vector FromHst(const HstVector& v) { return Vector(v); }
inline HstMatrix ToHst(const Matrix& m) { return m.ToHst(); }
inline Matrix FromHst(const HstMatrix& m) { return Matrix(m); }

}  // namespace lensara
