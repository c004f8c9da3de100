#include "Value.h"

#include <cmath>
#include <limits>

#include "Container.h"

namespace lensara {

bool GradientKnot::operator==(const GradientKnot& o) const
{
  return color == o.color && brightness == o.brightness && position == o.position && bias == o.bias &&
         index == o.index;
}

Value::Value() = default;
Value::Value(int32_t v) : v(v) {}
Value::Value(double v) : v(v) {}
Value::Value(std::string v) : v(std::move(v)) {}
Value::Value(const Vector& v) : v(v) {}
Value::Value(const Matrix& v) : v(v) {}
Value::Value(const Link& v) : v(v) {}
Value::Value(const Container& c) : v(Boxed{std::make_unique<Container>(c)}) {}
Value::Value(InExclude v) : v(std::move(v)) {}
Value::Value(Gradient v) : v(std::move(v)) {}
Value::Value(Value&& other) noexcept = default;
Value& Value::operator=(Value&& other) noexcept = default;
Value::~Value() = default;

Value::Value(const Value& other)
{
  if (const Container* c = other.GetContainer())
    v = Boxed{std::make_unique<Container>(*c)};
  else
    std::visit(
        [this](const auto& alt) {
          if constexpr (!std::is_same_v<std::decay_t<decltype(alt)>, Boxed>) v = alt;
        },
        other.v);
}

Value& Value::operator=(const Value& other)
{
  if (this != &other) *this = Value(other);
  return *this;
}

int32_t Value::TypeCode() const
{
  static constexpr int32_t kCodes[] = {HST_DATA_NONE,   HST_DATA_LONG,      HST_DATA_REAL, HST_DATA_STRING,
                                       HST_DATA_VECTOR, HST_DATA_MATRIX,    HST_DATA_LINK, HST_DATA_CONTAINER,
                                       HST_DATA_INEXCLUDE, HST_DATA_GRADIENT};
  static_assert(std::size(kCodes) == std::variant_size_v<decltype(v)>);
  return kCodes[v.index()];
}

int32_t Value::ToLong() const
{
  if (IsLong()) return std::get<int32_t>(v);
  if (!IsReal()) return 0;
  // Truncate toward zero, saturating where the real does not fit.
  double r = std::trunc(std::get<double>(v));
  if (std::isnan(r)) return 0;
  if (r <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (r >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(r);
}

double Value::ToReal() const
{
  if (IsReal()) return std::get<double>(v);
  if (IsLong()) return std::get<int32_t>(v);
  return 0.0;
}

const std::string& Value::ToString() const
{
  static const std::string empty;
  return IsString() ? std::get<std::string>(v) : empty;
}

Container* Value::GetContainer()
{
  Boxed* b = std::get_if<Boxed>(&v);
  return b ? b->c.get() : nullptr;
}

const Container* Value::GetContainer() const
{
  const Boxed* b = std::get_if<Boxed>(&v);
  return b ? b->c.get() : nullptr;
}

bool Value::operator==(const Value& other) const
{
  if (v.index() != other.v.index()) return false;
  if (const Container* c = GetContainer()) return *c == *other.GetContainer();
  return std::visit(
      [&other](const auto& alt) {
        using T = std::decay_t<decltype(alt)>;
        if constexpr (std::is_same_v<T, Boxed>)
          return false;
        else
          return alt == std::get<T>(other.v);
      },
      v);
}

}  // namespace lensara
