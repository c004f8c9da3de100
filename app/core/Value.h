// One typed value of the host's containers and parameters.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "Geometry.h"
#include "host/GradientKnot.h"
#include "host/abi/HstHandles.h"

namespace lensara {

class Container;

// A node's identity, kept by its clones; 0 is no node.
using Identity = uint64_t;

// A reference to a node by identity, resolved against a document when read.
struct Link {
  Identity target = 0;
  bool operator==(const Link& o) const { return target == o.target; }
};

// An in/exclude list: nodes by identity, each with its flags (bit 0 illumination,
// bit 1 specular, bit 2 shadow casting, bit 3 reflection visibility).
struct InExclude {
  struct Entry {
    Identity target = 0;
    int32_t flags = 0;
    bool operator==(const Entry& o) const { return target == o.target && flags == o.flags; }
  };
  std::vector<Entry> entries;
  bool operator==(const InExclude& o) const { return entries == o.entries; }
};

using ::GradientKnot;

struct Gradient {
  std::vector<GradientKnot> knots;
  bool operator==(const Gradient& o) const { return knots == o.knots; }
};

class Value {
public:
  Value();
  Value(int32_t v);
  Value(double v);
  Value(std::string v);
  Value(const Vector& v);
  Value(const Matrix& v);
  Value(const Link& v);
  Value(Container v);
  Value(InExclude v);
  Value(Gradient v);
  Value(const Value& other);
  Value(Value&& other) noexcept;
  Value& operator=(const Value& other);
  Value& operator=(Value&& other) noexcept;
  ~Value();

  // One of the HST_DATA_... codes.
  int32_t TypeCode() const;
  bool IsNone() const { return std::holds_alternative<std::monostate>(v); }
  bool IsLong() const { return std::holds_alternative<int32_t>(v); }
  bool IsReal() const { return std::holds_alternative<double>(v); }
  bool IsString() const { return std::holds_alternative<std::string>(v); }
  bool IsNumber() const { return IsLong() || IsReal(); }

  // The value as a long (a real truncated toward zero) or a real; other types give 0.
  int32_t ToLong() const;
  double ToReal() const;
  // The text of a string value, "" otherwise.
  const std::string& ToString() const;
  // The typed contents, or null when the value holds another type. Pointers into the
  // value live until it is next assigned or destroyed.
  const Vector* GetVector() const { return std::get_if<Vector>(&v); }
  const Matrix* GetMatrix() const { return std::get_if<Matrix>(&v); }
  const Link* GetLink() const { return std::get_if<Link>(&v); }
  Container* GetContainer();
  const Container* GetContainer() const;
  InExclude* GetInExclude() { return std::get_if<InExclude>(&v); }
  const InExclude* GetInExclude() const { return std::get_if<InExclude>(&v); }
  Gradient* GetGradient() { return std::get_if<Gradient>(&v); }
  const Gradient* GetGradient() const { return std::get_if<Gradient>(&v); }

  bool operator==(const Value& other) const;
  bool operator!=(const Value& other) const { return !(*this == other); }

private:
  // Containers nest, so a container value lives on the heap; copies and comparisons are
  // deep. A moved-from box holds null.
  struct Boxed {
    explicit Boxed(Container contents);
    Boxed(const Boxed& other);
    Boxed(Boxed&& other) noexcept = default;
    Boxed& operator=(const Boxed& other);
    Boxed& operator=(Boxed&& other) noexcept = default;
    bool operator==(const Boxed& other) const;
    std::unique_ptr<Container> c;
  };

  std::variant<std::monostate, int32_t, double, std::string, Vector, Matrix, Link, Boxed, InExclude, Gradient> v;
};

}  // namespace lensara
