#include "RenderMemory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "RenderScene.h"

namespace lensara {

namespace {

constexpr std::uint64_t kImageBytesPerPixel = 14;
constexpr std::uint64_t kVideoPostBytesPerPixel = 48;
constexpr std::uint64_t kStartBytes = std::uint64_t(64) << 20;

std::uint64_t PageSize() { return static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE)); }

// A field of /proc/meminfo in bytes ("MemAvailable"); none when it cannot be read.
std::optional<std::uint64_t> MemInfo(const std::string& field)
{
  std::ifstream in("/proc/meminfo");
  std::string name;
  std::uint64_t kilobytes = 0;
  std::string unit;
  while (in >> name >> kilobytes >> unit)
    if (name == field + ":") return kilobytes * 1024;
  return std::nullopt;
}

// The process's address space now, from /proc/self/statm; 0 when it cannot be read.
std::uint64_t AddressSpaceUsed()
{
  std::ifstream in("/proc/self/statm");
  std::uint64_t pages = 0;
  in >> pages;
  return pages * PageSize();
}

// "15.6 GiB", "300 MiB"
std::string Amount(std::uint64_t bytes)
{
  constexpr double kMiB = 1024.0 * 1024.0, kGiB = kMiB * 1024.0;
  char text[32];
  if (bytes >= kGiB) std::snprintf(text, sizeof text, "%.1f GiB", bytes / kGiB);
  else std::snprintf(text, sizeof text, "%.0f MiB", bytes / kMiB);
  return text;
}

}  // namespace

MemoryAtHand MemoryAtHand::Now()
{
  MemoryAtHand hand;
  hand.physical = static_cast<std::uint64_t>(sysconf(_SC_PHYS_PAGES)) * PageSize();
  hand.available = MemInfo("MemAvailable").value_or(hand.physical);
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
    std::uint64_t used = AddressSpaceUsed();
    hand.addressRoom = limit.rlim_cur > used ? limit.rlim_cur - used : 0;
  }
  return hand;
}

std::uint64_t RenderMemoryNeed(std::int32_t width, std::int32_t height, int videoPosts)
{
  std::uint64_t perPixel = kImageBytesPerPixel + kVideoPostBytesPerPixel * static_cast<std::uint64_t>(videoPosts);
  return kStartBytes +
         perPixel * static_cast<std::uint64_t>(std::max(width, 0)) * static_cast<std::uint64_t>(std::max(height, 0));
}

MemoryVerdict JudgeMemory(std::uint64_t need, const MemoryAtHand& hand, const std::string& what)
{
  std::string lead = what + " needs about " + Amount(need) + " of memory, ";
  if (hand.addressRoom && need > *hand.addressRoom)
    return {lead + "and the process may take " + Amount(*hand.addressRoom) + " more (its limit, ulimit -v)", true};
  if (need > hand.physical) return {lead + "and this machine has " + Amount(hand.physical), true};
  if (need > hand.available) return {lead + "and " + Amount(hand.available) + " is available now", false};
  return {};
}

MemoryVerdict JudgeRenderMemory(Document& doc)
{
  Node* rd = doc.ActiveRenderData();
  if (!rd) return {};
  RenderSettings settings(rd->Data());
  int videoPosts = 0;
  for (Node* vp = rd->FirstIn(HST_BRANCH_VIDEO_POSTS); vp; vp = vp->Next()) ++videoPosts;
  std::string what = "the render of " + std::to_string(settings.width) + " x " + std::to_string(settings.height);
  std::uint64_t need = RenderMemoryNeed(settings.width, settings.height, videoPosts);
  return JudgeMemory(need, MemoryAtHand::Now(), what);
}

}  // namespace lensara
