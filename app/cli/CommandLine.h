// Reading the lensara command line: the plug-in folder, the command chosen, unknown
// arguments and the allocation faults asked for.
#pragma once

#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/Render.h"
#include "app/core/Host.h"

namespace lensara {

// The plug-in folder: --plugins, else LENSARA_PLUGINS, else plugins/ beside the executable.
std::filesystem::path PluginFolder(const std::string& option);

// Each plug-in library that could not be loaded, or loaded with a problem, once on stderr.
void ReportPlugins(const Host& host);

// The command chosen: "scene check".
std::string ChosenCommand(CLI::App& app);

// Sets the allocation faults LENSARA_FAIL_ALLOCATION asks for: -1 to go on, else the exit code.
int PlanAllocationFaults();

// With LENSARA_FAIL_ALLOCATION set, how many host allocations the command made and how many failed.
void ReportAllocationFaults();

// Parses the command line: -1 to go on, else the exit code (0 after --help or --version).
// An unknown command or option is reported before CLI11 parses.
int Parse(CLI::App& app, int argc, char** argv);

// "A-B", "A" or "A-B:STEP", or a list of them ("1,5,10-12"): frames A to B (every
// STEP-th), whole numbers from 0, steps from 1; none for other text.
std::optional<std::vector<FrameRange>> ReadFrames(const std::string& text);

// Accepts the frame ranges ReadFrames reads.
extern const CLI::Validator kFrameRange;

// "K/N": the K-th of N parts, 0 <= K < N, N at most 999999999; none for other text.
std::optional<FrameChunk> ReadChunk(const std::string& text);

// Accepts the chunks ReadChunk reads.
extern const CLI::Validator kFrameChunk;

}  // namespace lensara
