#include "Geometry.h"

#include <cmath>

namespace lensara {

namespace {

// m applied to a direction (no offset).
Vector Rotate(const Matrix& m, const Vector& d) { return m.v1 * d.x + m.v2 * d.y + m.v3 * d.z; }

Matrix Axes(const Vector& v1, const Vector& v2, const Vector& v3) { return Matrix{Vector{}, v1, v2, v3}; }

}  // namespace

Vector Transform(const Matrix& m, const Vector& p) { return m.off + Rotate(m, p); }

Matrix operator*(const Matrix& a, const Matrix& b)
{
  return Matrix{Transform(a, b.off), Rotate(a, b.v1), Rotate(a, b.v2), Rotate(a, b.v3)};
}

Matrix Inverse(const Matrix& m)
{
  // Rows of the inverse 3x3 are the cross products of the columns over the determinant.
  Vector r1 = Cross(m.v2, m.v3), r2 = Cross(m.v3, m.v1), r3 = Cross(m.v1, m.v2);
  double det = Dot(m.v1, r1);
  if (det == 0.0) return Axes({}, {}, {});
  r1 = r1 * (1.0 / det);
  r2 = r2 * (1.0 / det);
  r3 = r3 * (1.0 / det);
  Matrix inv = Axes({r1.x, r2.x, r3.x}, {r1.y, r2.y, r3.y}, {r1.z, r2.z, r3.z});
  inv.off = Rotate(inv, m.off) * -1.0;
  return inv;
}

Matrix ComposeMatrix(const Vector& position, const Vector& rotation, const Vector& scale)
{
  double ch = std::cos(rotation.x), sh = std::sin(rotation.x);
  double cp = std::cos(rotation.y), sp = std::sin(rotation.y);
  double cb = std::cos(rotation.z), sb = std::sin(rotation.z);
  Matrix heading = Axes({ch, 0.0, -sh}, {0.0, 1.0, 0.0}, {sh, 0.0, ch});
  Matrix pitch = Axes({1.0, 0.0, 0.0}, {0.0, cp, sp}, {0.0, -sp, cp});
  Matrix bank = Axes({cb, sb, 0.0}, {-sb, cb, 0.0}, {0.0, 0.0, 1.0});
  Matrix m = heading * pitch * bank;
  m.v1 = m.v1 * scale.x;
  m.v2 = m.v2 * scale.y;
  m.v3 = m.v3 * scale.z;
  m.off = position;
  return m;
}

void DecomposeMatrix(const Matrix& m, Vector& position, Vector& rotation, Vector& scale)
{
  position = m.off;
  scale = {Length(m.v1), Length(m.v2), Length(m.v3)};
  auto unit = [](const Vector& v, double len) { return len > 0.0 ? v * (1.0 / len) : v; };
  Vector x = unit(m.v1, scale.x), y = unit(m.v2, scale.y), z = unit(m.v3, scale.z);
  // z = (sin h cos p, -sin p, cos h cos p); x.y = cos p sin b, y.y = cos p cos b.
  double pitch = std::asin(std::fmax(-1.0, std::fmin(1.0, -z.y)));
  double heading = 0.0, bank = 0.0;
  if (std::fabs(z.y) < 1.0 - 1e-12) {
    heading = std::atan2(z.x, z.z);
    bank = std::atan2(x.y, y.y);
  } else {
    // Pitch of +-90 degrees: heading and bank turn about the same axis; keep bank 0.
    heading = std::atan2(-x.z, x.x);
  }
  rotation = {heading, pitch, bank};
}

}  // namespace lensara
