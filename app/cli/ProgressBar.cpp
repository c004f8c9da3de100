#include "ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lensara {

namespace {
constexpr int kBarWidth = 30;
}

ProgressBar::ProgressBar(std::FILE* out) : out(out), terminal(isatty(fileno(out)) != 0) {}

ProgressBar::~ProgressBar()
{
  if (drawn && terminal) std::fputc('\n', out);
}

void ProgressBar::SetText(const char* newText) noexcept
{
  if (std::strncmp(text, newText, sizeof text - 1) == 0) return;
  std::snprintf(text, sizeof text, "%s", newText);
  if (terminal)
    Draw();
  else if (*text)
    std::fprintf(out, "%s\n", text);
}

void ProgressBar::SetValue(double fraction) noexcept
{
  // A plug-in may hand any value: NaN shows as 0 rather than reach the conversion.
  int newPercent = static_cast<int>(std::clamp(std::isnan(fraction) ? 0.0 : fraction, 0.0, 1.0) * 100.0);
  if (!terminal || (newPercent == percent && drawn)) return;
  percent = newPercent;
  Draw();
}

void ProgressBar::Draw() noexcept
{
  char bar[kBarWidth + 1];
  int filled = percent * kBarWidth / 100;
  for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '-';
  bar[kBarWidth] = '\0';
  std::fprintf(out, "\r%-20s [%s] %3d%%", text, bar, percent);
  std::fflush(out);
  drawn = true;
}

}  // namespace lensara
