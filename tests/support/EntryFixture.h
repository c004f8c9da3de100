// The plug-in entry (host/PluginEntry.h) driven in-process with the effect's hooks, as the
// host drives the loaded library.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "PluginFolder.h"
#include "app/core/Allocations.h"
#include "app/core/Host.h"
#include "host/c4d.h"

namespace test {

// A host file name handle for the start action.
class HostFilename {
public:
  HostFilename(const C4DOS* table, const std::filesystem::path& path) : table(table), handle(table->filename->alloc())
  {
    table->filename->set(handle, path.string().c_str());
  }
  ~HostFilename() { table->filename->free(handle); }
  HstFilename Handle() const { return handle; }

private:
  const C4DOS* table;
  HstFilename handle;
};

class Entry : public ::testing::Test {
protected:
  Entry() : Entry(lensara::HostOptions{}) {}
  explicit Entry(lensara::HostOptions options) : host(options), folder(host.Table(), BuiltLensaraFolder()) {}

  // Every test leaves the start counter where it found it.
  ~Entry() override
  {
    lensara::SetAllocationBudget(-1);
    while (open > 0) End();
  }

  int Start(const C4DOS* table, HstFilename path)
  {
    ++open;
    return c4d_main(HST_ACTION_START, const_cast<C4DOS*>(table), nullptr, path);
  }
  int Start() { return Start(host.Table(), folder.Handle()); }
  int End()
  {
    --open;
    return c4d_main(HST_ACTION_END, nullptr, nullptr, nullptr);
  }
  int Message(std::uint64_t id)
  {
    return c4d_main(HST_ACTION_MESSAGE, reinterpret_cast<void*>(static_cast<std::uintptr_t>(id)), nullptr, nullptr);
  }

  lensara::Host host;
  HostFilename folder;
  int open = 0;
};

}  // namespace test
