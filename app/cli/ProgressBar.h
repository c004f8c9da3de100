// The command line's progress display: the progress text and a bar on one line of a
// terminal, redrawn only when what it shows changes. Into a stream that is no terminal it
// writes each new progress text on a line of its own.
#pragma once

#include <cstdio>

#include "app/core/RenderCall.h"

namespace lensara {

class ProgressBar : public ProgressDisplay {
public:
  explicit ProgressBar(std::FILE* out = stderr);
  // Ends the line if anything was drawn.
  ~ProgressBar() override;
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void SetText(const char* text) noexcept override;
  void SetValue(double fraction) noexcept override;

private:
  void Draw() noexcept;

  std::FILE* out;
  bool terminal;
  char text[96] = {};
  int percent = 0;
  bool drawn = false;
};

}  // namespace lensara
