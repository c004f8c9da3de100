// `lensara serve`: the local web editor.
#pragma once

#include <filesystem>
#include <ostream>

#include "app/core/Host.h"

namespace CLI {
class App;
}

namespace lensara {

struct ServeOptions {
  std::filesystem::path scene;  // empty: the bundled demo
  int port = 8765;              // 0: any free port
};

// Adds the serve command and its options, read into options, to app; the command.
CLI::App* AddServeCommand(CLI::App& app, ServeOptions& options);

// Loads the scene, prints "Lensara editor at http://127.0.0.1:PORT/" to out and answers
// the page until Ctrl-C; then says so, warning when changes were left unsaved. Load
// warnings go to log. Throws Error when the scene cannot be edited or the port is taken.
void RunServe(const Host& host, const ServeOptions& options, std::ostream& out, std::ostream& log);

}  // namespace lensara
