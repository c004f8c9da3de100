// The files of the editor's page (app/editor/page), built into the program.
#pragma once

#include <string_view>
#include <vector>

namespace lensara {

struct PageFile {
  const char* path;  // "/editor.js"
  const char* type;  // its content type
  std::string_view content;
};

const std::vector<PageFile>& PageFiles();

}  // namespace lensara
