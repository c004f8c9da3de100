#include "Json.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "app/core/Error.h"
#include "app/core/InterruptPolling.h"

namespace lensara {

namespace {

// The parser accepts only valid UTF-8, in which the byte 0xFF never occurs, so no key of a
// file can be taken for one of these.
constexpr const char* kLineKey = "\xffline";
constexpr const char* kMemberLinesKey = "\xffmembers";

// Walks the text for the parser, counting the newlines it has consumed and keeping the
// position reached.
struct CountingIterator {
  using iterator_category = std::forward_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  const char* p = nullptr;
  int* line = nullptr;
  const char** reached = nullptr;

  reference operator*() const { return *p; }
  CountingIterator& operator++()
  {
    if (*p == '\n') ++*line;
    *reached = ++p;
    return *this;
  }
  CountingIterator operator++(int)
  {
    CountingIterator old = *this;
    ++*this;
    return old;
  }
  bool operator==(const CountingIterator& o) const { return p == o.p; }
  bool operator!=(const CountingIterator& o) const { return p != o.p; }
};

int LineAt(const std::string& text, std::size_t byte)
{
  return 1 + static_cast<int>(std::count(text.begin(), text.begin() + std::min(byte, text.size()), '\n'));
}

// The parser's message without its "[json.exception...] parse error at ...: " lead.
std::string ParseProblem(const std::string& what)
{
  std::size_t colon = what.find(": ");
  return colon == std::string::npos ? what : what.substr(colon + 2);
}

// The keys ParseJsonWithLines adds, which no writer shows.
bool IsLineKey(const std::string& key) { return key == kLineKey || key == kMemberLinesKey; }

// How deeply j nests (0 for a plain value), counted no further than limit: the writer
// only asks whether a value nests at most two deep.
int Depth(const Json& j, int limit)
{
  if (!j.is_object() && !j.is_array()) return 0;
  int depth = 1;
  for (auto it = j.begin(); it != j.end() && depth < limit; ++it)
    if (!j.is_object() || !IsLineKey(it.key())) depth = std::max(depth, 1 + Depth(*it, limit - 1));
  return depth;
}

// A plain value's JSON text; strings a plug-in set need not be UTF-8, and their stray bytes
// are written as U+FFFD rather than failing the write.
std::string Dump(const Json& j) { return j.dump(-1, ' ', false, Json::error_handler_t::replace); }

// j and everything in it without the recorded lines.
Json WithoutLines(const Json& j)
{
  if (!j.is_object() && !j.is_array()) return j;
  Json copy = j.is_object() ? Json::object() : Json::array();
  for (auto it = j.begin(); it != j.end(); ++it) {
    if (!j.is_object()) copy.push_back(WithoutLines(*it));
    else if (!IsLineKey(it.key())) copy[it.key()] = WithoutLines(*it);
  }
  return copy;
}

// j on one line: ", " between elements and ": " after keys.
std::string Compact(const Json& j)
{
  if (!j.is_object() && !j.is_array()) return Dump(j);
  std::string out = j.is_object() ? "{" : "[";
  bool first = true;
  for (auto it = j.begin(); it != j.end(); ++it) {
    if (j.is_object() && IsLineKey(it.key())) continue;
    out += first ? "" : ", ";
    first = false;
    if (j.is_object()) out += Quoted(it.key()) + ": ";
    out += Compact(*it);
  }
  return out + (j.is_object() ? "}" : "]");
}

// Plain values of any length, and short values nested at most two deep (a vector, a link,
// an in/exclude entry) stay on one line.
constexpr std::size_t kInlineWidth = 72;

void Write(const Json& j, int indent, std::string& out)
{
  std::string pad(indent + 2, ' ');
  int depth = Depth(j, 3);
  if (depth <= 2) {
    std::string compact = Compact(j);
    if (depth == 0 || compact.size() <= kInlineWidth || (depth <= 1 && j.is_array())) {
      out += compact;
      return;
    }
  }
  if (j.is_object()) {
    out += "{\n";
    bool first = true;
    for (const auto& [key, value] : Members(j)) {
      out += first ? "" : ",\n";
      first = false;
      out += pad + Quoted(key) + ": ";
      Write(*value, indent + 2, out);
    }
    out += "\n" + std::string(indent, ' ') + "}";
  } else if (j.is_array()) {
    out += "[\n";
    for (std::size_t i = 0; i < j.size(); ++i) {
      out += i ? ",\n" + pad : pad;
      Write(j[i], indent + 2, out);
    }
    out += "\n" + std::string(indent, ' ') + "]";
  }
}

// Builds the parsed value from the parser's events, giving every object the line it starts
// on and the line of each member. Each value goes straight into its container, so reading
// takes time in proportion to the text.
class LineRecordingBuilder {
public:
  LineRecordingBuilder(const std::filesystem::path& file, const int& line) : file(file), line(line) {}

  Json Result() { return std::move(root); }

  bool null() { return Add(nullptr); }
  bool boolean(bool value) { return Add(value); }
  bool number_integer(Json::number_integer_t value) { return Add(value); }
  bool number_unsigned(Json::number_unsigned_t value) { return Add(value); }
  bool number_float(Json::number_float_t value, const Json::string_t&) { return Add(value); }
  bool string(Json::string_t& value) { return Add(std::move(value)); }
  bool binary(Json::binary_t& value) { return Add(std::move(value)); }

  bool start_object(std::size_t) { return Begin(Json::object(), line); }
  bool start_array(std::size_t) { return Begin(Json::array(), 0); }

  bool key(Json::string_t& name)
  {
    CheckDepth(open.size());
    OpenValue& object = open.back();
    object.members[name] = line;
    object.member = &(*object.value)[name];
    return true;
  }

  bool end_object()
  {
    StopIfInterrupted(file);
    OpenValue& object = open.back();
    (*object.value)[kLineKey] = object.line;
    (*object.value)[kMemberLinesKey] = std::move(object.members);
    open.pop_back();
    return true;
  }

  bool end_array()
  {
    open.pop_back();
    return true;
  }

  template <class Exception>
  bool parse_error(std::size_t, const std::string&, const Exception& problem)
  {
    throw problem;
  }

private:
  // A container being read: the line it starts on and, for an object, the lines of its
  // members and the member whose value comes next.
  struct OpenValue {
    Json* value;
    int line;
    Json members;
    Json* member;
  };

  // Deeper files are refused: what reads them afterwards recurses.
  static constexpr std::size_t kMaxDepth = 256;

  void CheckDepth(std::size_t depth) const
  {
    if (depth > kMaxDepth)
      throw Error(file.string() + ":" + std::to_string(line) + ": nested deeper than " + std::to_string(kMaxDepth) +
                  " levels");
  }

  // Puts value where the text has it: the root, the next element of an array or the value
  // of the key just read.
  Json* Place(Json value)
  {
    CheckDepth(open.size());
    if (open.empty()) return &(root = std::move(value));
    OpenValue& parent = open.back();
    if (parent.value->is_array()) {
      parent.value->push_back(std::move(value));
      return &parent.value->back();
    }
    return &(*parent.member = std::move(value));
  }

  template <class T>
  bool Add(T&& value)
  {
    Place(Json(std::forward<T>(value)));
    return true;
  }

  bool Begin(Json container, int startLine)
  {
    Json* placed = Place(std::move(container));
    open.push_back({placed, startLine, placed->is_object() ? Json::object() : Json(), nullptr});
    return true;
  }

  const std::filesystem::path& file;
  const int& line;
  Json root;
  std::vector<OpenValue> open;
};

}  // namespace

Json ParseJsonWithLines(const std::string& text, const std::filesystem::path& file)
{
  int line = 1;
  const char* reached = text.data();
  CountingIterator first{text.data(), &line, &reached}, last{text.data() + text.size(), &line, &reached};
  auto at = [&](std::size_t byte) { return file.string() + ":" + std::to_string(LineAt(text, byte)) + ": "; };
  auto consumed = [&] { return static_cast<std::size_t>(reached - text.data()); };
  LineRecordingBuilder builder(file, line);
  try {
    Json::sax_parse(first, last, &builder);
    return builder.Result();
  } catch (const Json::parse_error& e) {
    throw Error(at(e.byte == 0 ? 0 : e.byte - 1) + "malformed JSON: " + ParseProblem(e.what()));
  } catch (const Json::out_of_range&) {
    // A number beyond a double. The lexer has read one character past it, so the number
    // ends before the last two characters consumed.
    throw Error(at(consumed() < 2 ? 0 : consumed() - 2) + "number out of range");
  } catch (const Json::exception& e) {
    throw Error(at(consumed()) + "malformed JSON: " + ParseProblem(e.what()));
  }
}

void StopIfInterrupted(const std::filesystem::path& file)
{
  if (InterruptRequested()) throw Interrupted(file.string() + " was not loaded");
}

int LineOf(const Json& object, const std::string& key)
{
  if (!object.is_object()) return 0;
  if (!key.empty()) {
    auto members = object.find(kMemberLinesKey);
    if (members != object.end() && members->contains(key)) return (*members)[key].get<int>();
  }
  auto it = object.find(kLineKey);
  return it == object.end() ? 0 : it->get<int>();
}

std::vector<std::pair<std::string, const Json*>> Members(const Json& object)
{
  std::vector<std::pair<std::string, const Json*>> members;
  for (auto it = object.begin(); it != object.end(); ++it)
    if (!IsLineKey(it.key())) members.emplace_back(it.key(), &it.value());
  return members;
}

std::string Shown(const Json& value) { return Dump(WithoutLines(value)); }

std::string Quoted(const std::string& text) { return Dump(Json(text)); }

std::string ValidUtf8(const std::string& text) { return Json::parse(Quoted(text)).get<std::string>(); }

bool Contains(Fields fields, const std::string& name)
{
  for (const char* f : fields)
    if (name == f) return true;
  return false;
}

std::string WriteCanonicalJson(const Json& value)
{
  std::string out;
  Write(value, 0, out);
  return out + "\n";
}

}  // namespace lensara
