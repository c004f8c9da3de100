// The libFuzzer entry of one fuzz target; LENSARA_FUZZ_TARGET names its function.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "FuzzTargets.h"
#include "app/core/Host.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  // Scene files name the effect's video post, known once its plug-in is loaded.
  static lensara::Host host;
  host.LoadPlugins(LENSARA_PLUGIN_DIR);
  if (!host.Failures().empty()) {
    std::fprintf(stderr, "%s: %s\n", host.Failures()[0].library.c_str(), host.Failures()[0].reason.c_str());
    std::exit(1);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
  lensara::LENSARA_FUZZ_TARGET(data, size);
  return 0;
}
