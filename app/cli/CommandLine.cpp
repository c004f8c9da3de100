#include "CommandLine.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "app/cli/Command.h"
#include "app/core/Allocations.h"

namespace lensara {

namespace {

bool IsOptionName(const std::string& arg)
{
  return arg.size() > 1 && arg[0] == '-' && !(std::isdigit(static_cast<unsigned char>(arg[1])) || arg[1] == '.');
}

// "lensara scene check"
std::string CommandPath(const std::vector<CLI::App*>& chain)
{
  std::string path;
  for (const CLI::App* command : chain) path += (path.empty() ? "" : " ") + command->get_name();
  return path;
}

// The first argument no command takes: an unknown command, or an option that neither the
// command nor the commands around it know; empty when there is none. CLI11 alone would
// report these late and by what is then missing ("IMAGE is required").
std::string UnknownArgument(CLI::App& app, int argc, char** argv)
{
  std::vector<CLI::App*> chain{&app};
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--") return "";
    if (IsOptionName(arg)) {
      std::string name = arg.substr(0, arg.find('='));
      const CLI::Option* option = nullptr;
      for (CLI::App* command : chain) option = option ? option : command->get_option_no_throw(name);
      if (!option) return "unknown option " + name + " for " + CommandPath(chain);
      if (option->get_type_size() != 0 && arg.find('=') == std::string::npos) ++i;  // its value
      continue;
    }
    CLI::App* current = chain.back();
    std::vector<CLI::App*> commands = current->get_subcommands({});
    auto named = std::find_if(commands.begin(), commands.end(), [&arg](CLI::App* c) { return c->check_name(arg); });
    if (named != commands.end()) {
      chain.push_back(*named);
    } else if (!commands.empty()) {
      std::string names;
      for (const CLI::App* c : commands) names += (names.empty() ? "" : ", ") + c->get_name();
      return "unknown command \"" + arg + "\" for " + CommandPath(chain) + " (" + names + ")";
    }
  }
  return "";
}

int UsageFailure(const std::string& problem)
{
  std::cerr << "lensara: " << problem << "\n(lensara --help lists the commands and their options)\n";
  return kExitUsage;
}

const char* const kFaultVariable = "LENSARA_FAIL_ALLOCATION";

// Frame numbers have at most this many digits, so that they fit an int32_t.
constexpr std::size_t kFrameDigits = 9;

}  // namespace

std::filesystem::path PluginFolder(const std::string& option)
{
  if (!option.empty()) return option;
  if (const char* env = std::getenv("LENSARA_PLUGINS"); env && *env) return env;
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return exe.parent_path() / "plugins";
}

void ReportPlugins(const Host& host)
{
  for (const PluginReport& f : host.Failures())
    std::cerr << "lensara: plug-in not loaded: " << f.library.string() << ": " << f.reason << "\n";
  for (const PluginReport& w : host.Warnings())
    std::cerr << "lensara: warning: " << w.library.string() << ": " << w.reason << "\n";
}

std::string ChosenCommand(CLI::App& app)
{
  std::vector<CLI::App*> chain;
  for (CLI::App* command = &app; !command->get_subcommands().empty();) {
    command = command->get_subcommands().front();
    chain.push_back(command);
  }
  return CommandPath(chain);
}

int PlanAllocationFaults()
{
  const char* plan = std::getenv(kFaultVariable);
  if (!plan) return -1;
  std::optional<AllocationFaults> faults = ReadAllocationFaults(plan);
  if (!faults)
    return UsageFailure(std::string(kFaultVariable) + "=" + plan +
                        ": expected N (the Nth host allocation fails), every:N (every Nth fails) or none (count only)");
  SetAllocationFaults(*faults);
  return -1;
}

void ReportAllocationFaults()
{
  if (std::getenv(kFaultVariable))
    std::cerr << "lensara: " << kFaultVariable << ": " << AllocationsCounted() << " host allocations, "
              << AllocationsFailed() << " failed\n";
}

int Parse(CLI::App& app, int argc, char** argv)
{
  try {
    if (std::string unknown = UnknownArgument(app, argc, argv); !unknown.empty()) return UsageFailure(unknown);
    app.parse(argc, argv);
    return -1;
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    return UsageFailure(e.what());
  }
}

namespace {

// A whole number of at most kFrameDigits digits.
bool IsFrameNumber(const std::string& t)
{
  return !t.empty() && t.size() <= kFrameDigits && t.find_first_not_of("0123456789") == std::string::npos;
}

// "A-B", "A" or either with ":STEP".
std::optional<FrameRange> ReadFrameRange(const std::string& text)
{
  std::size_t colon = text.find(':');
  std::string span = text.substr(0, colon), step = colon == std::string::npos ? "1" : text.substr(colon + 1);
  std::size_t dash = span.find('-', 1);
  std::string a = span.substr(0, dash), b = dash == std::string::npos ? a : span.substr(dash + 1);
  if (!IsFrameNumber(a) || !IsFrameNumber(b) || !IsFrameNumber(step) || std::stoi(step) == 0) return std::nullopt;
  return FrameRange{std::stoi(a), std::stoi(b), std::stoi(step)};
}

}  // namespace

std::optional<std::vector<FrameRange>> ReadFrames(const std::string& text)
{
  std::vector<FrameRange> ranges;
  std::size_t start = 0, comma = 0;
  do {
    comma = text.find(',', start);
    std::optional<FrameRange> range = ReadFrameRange(text.substr(start, comma - start));
    if (!range) return std::nullopt;
    ranges.push_back(*range);
    start = comma + 1;
  } while (comma != std::string::npos);
  return ranges;
}

const CLI::Validator kFrameRange(
    [](std::string& text) -> std::string {
      return ReadFrames(text) ? std::string()
                              : "\"" + text + "\" is not a frame range A-B[:STEP] of whole numbers 0 .. " +
                                    std::string(kFrameDigits, '9') + ", nor a list of them (1,5,10-12)";
    },
    "A-B[:STEP],...");

std::optional<FrameChunk> ReadChunk(const std::string& text)
{
  std::size_t slash = text.find('/');
  if (slash == std::string::npos) return std::nullopt;
  std::string k = text.substr(0, slash), n = text.substr(slash + 1);
  if (!IsFrameNumber(k) || !IsFrameNumber(n) || std::stoi(k) >= std::stoi(n)) return std::nullopt;
  return FrameChunk{std::stoi(k), std::stoi(n)};
}

const CLI::Validator kFrameChunk(
    [](std::string& text) -> std::string {
      return ReadChunk(text) ? std::string()
                             : "\"" + text + "\" is not a part K/N of whole numbers with 0 <= K < N <= " +
                                   std::string(kFrameDigits, '9');
    },
    "K/N");

}  // namespace lensara
