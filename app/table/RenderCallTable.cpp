// The render call section: the break test of a render's thread, its progress display and
// number formatting for progress texts.
#include <string>

#include "Sections.h"
#include "TableHandles.h"
#include "app/core/RenderCall.h"

namespace lensara {

namespace {

HstBool TestBreak(HstThread t) { return t && reinterpret_cast<BreakTest*>(t)->Stop(); }
void SetProgressText(HstProgress p, const char* utf8)
{
  if (p) reinterpret_cast<ProgressDisplay*>(p)->SetText(utf8 ? utf8 : "");
}
void SetProgressValue(HstProgress p, double fraction)
{
  if (p) reinterpret_cast<ProgressDisplay*>(p)->SetValue(fraction);
}
HstBool FormatNumber(HstData value, int32_t format, int32_t, HstBool, HstString out)
{
  if (!out) return format == HST_FORMAT_LONG;
  std::string& text = FromHandle(out)->text;
  text.clear();
  if (format != HST_FORMAT_LONG) return false;
  int32_t number = value ? V(value)->ToLong() : 0;
  return Guarded([&] { return (text = std::to_string(number), HstBool{true}); }, HstBool{false});
}

HstRenderCallTable MakeRenderCallSection()
{
  HstRenderCallTable t{};
  t.size = sizeof t;
  t.test_break = TestBreak;
  t.set_progress_text = SetProgressText;
  t.set_progress_value = SetProgressValue;
  t.format_number = FormatNumber;
  return t;
}

}  // namespace

const HstRenderCallTable* RenderCallSection()
{
  static const HstRenderCallTable section = MakeRenderCallSection();
  return &section;
}

}  // namespace lensara
