#include "FilterTest.h"

#include <algorithm>
#include <thread>

namespace test {

namespace {

Observer& ObserverOf(void* user) { return *static_cast<Observer*>(user); }

bool Stop(void* user) { return ObserverOf(user).Ask(); }

void SetValue(void* user, double value) { ObserverOf(user).values.push_back(value); }

void SetText(void* user, const char* text) { ObserverOf(user).texts.push_back(text); }

void ParallelFor(void* user, std::int64_t begin, std::int64_t end, std::int64_t grain,
                 void (*body)(std::int64_t, std::int64_t, void*), void* bodyContext)
{
  std::int64_t chunk = std::max<std::int64_t>(grain, 1);
  std::atomic<std::int64_t> next{begin};
  auto run = [&] {
    for (std::int64_t b; (b = next.fetch_add(chunk)) < end;) body(b, std::min(end, b + chunk), bodyContext);
  };
  std::vector<std::thread> helpers;
  for (int t = 1; t < ObserverOf(user).threads; ++t) helpers.emplace_back(run);
  run();
  for (std::thread& helper : helpers) helper.join();
}

}  // namespace

filters::Context Observer::Context() { return {Stop, SetValue, SetText, this, threads > 0 ? ParallelFor : nullptr}; }

filters::ImageView View(reference::Image& image) { return {image.bytes.data(), image.width, image.height}; }

reference::Image RandomImage(std::mt19937& random, int width, int height)
{
  reference::Image image(width, height);
  std::uniform_int_distribution<int> byte(0, 255);
  for (uint8_t& b : image.bytes) b = static_cast<uint8_t>(byte(random));
  return image;
}

reference::Image RandomMap(std::mt19937& random, int width, int height)
{
  reference::Image map(width, height);
  std::uniform_int_distribution<int> byte(0, 255), noise(-8, 8), kind(0, 9);
  int patch = 1 + width / 4;
  std::vector<int> levels(static_cast<std::size_t>((width / patch + 1) * (height / patch + 1)));
  for (int& level : levels) {
    int k = kind(random);
    level = k == 0 ? 0 : k == 1 ? 255 : byte(random);
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int level = levels[static_cast<std::size_t>((y / patch) * (width / patch + 1) + x / patch)];
      int v = level == 0 || level == 255 ? level : std::clamp(level + noise(random), 0, 255);
      uint8_t* p = map.At(x, y);
      p[0] = static_cast<uint8_t>(v);
      p[1] = static_cast<uint8_t>(byte(random));
      p[2] = static_cast<uint8_t>(byte(random));
    }
  return map;
}

reference::Image Uniform(int width, int height, uint8_t r, uint8_t g, uint8_t b)
{
  reference::Image image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = image.At(x, y);
      p[0] = r;
      p[1] = g;
      p[2] = b;
    }
  return image;
}

}  // namespace test
