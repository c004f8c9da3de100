// JSON as the scene files use it: parsed with the line of every object and member, and
// written in one canonical layout. Internal to the scene file code.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <string>

namespace lensara {

using Json = nlohmann::ordered_json;

// Parses text; every object gets the line it starts on and the line of each member,
// which Line() reads back and Members() skips. Throws Error "file:line: problem" on
// malformed JSON.
Json ParseJsonWithLines(const std::string& text, const std::filesystem::path& file);

// Throws Interrupted "file was not loaded" once Ctrl-C asked for a stop, for readers of
// large files to call as they go.
void StopIfInterrupted(const std::filesystem::path& file);

// The line object starts on, or of its member key when given and present; 0 when unknown.
int LineOf(const Json& object, const std::string& key = std::string());

// The members of an object without the recorded lines, in file order.
std::vector<std::pair<std::string, const Json*>> Members(const Json& object);

// value as one line of JSON without the recorded lines, for messages.
std::string Shown(const Json& value);

// text as a JSON string: quoted, with control characters escaped and bytes that are not
// UTF-8 replaced by U+FFFD.
std::string Quoted(const std::string& text);

// text with every byte that is not part of valid UTF-8 replaced by U+FFFD, as scene files
// hold only UTF-8.
std::string ValidUtf8(const std::string& text);

// Field names an object may hold.
using Fields = std::initializer_list<const char*>;
// True when fields holds name.
bool Contains(Fields fields, const std::string& name);

// Two-space indentation, one member per line, arrays of plain values on one line.
std::string WriteCanonicalJson(const Json& value);

}  // namespace lensara
