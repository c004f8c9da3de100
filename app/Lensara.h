// The lensara command line: the commands and their options, and which one runs. The one
// place that sees both the commands (app/cli) and the editor (app/editor): it registers the
// editor's serve command beside the others.
#pragma once

namespace lensara {

// Runs the command argv names and returns the process's exit code.
int RunLensara(int argc, char** argv);

}  // namespace lensara
