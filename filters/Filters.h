// The blur filters of the depth-of-field effect, a library of their own: the effect and the
// host's blur command both call them. It needs nothing but the C++ standard library.
//
// Every filter and driver has one shape:
//
//   bool Name(ImageView source, ImageView target, ImageView map, const Parameters& parameters,
//             const Context& context);
//
// - source is read, never written; it may be the target itself.
// - target is written: the result, or after a stop the part done so far (see the filters).
// - map is read: byte 0 of each pixel is its blur amount, 0 sharp .. 255 blurred (the
//   blend reads the mean of its three bytes). Dilate reads no map: pass an empty view.
// - All images are 8-bit packed RGB: width x height pixels of 3 bytes, row after row, byte
//   c of pixel (x, y) at (y x width + x) x 3 + c. Those read must have the target's size.
// - parameters: the radius, the passes and the switches, as each function says below.
// - context: the break test, asked before every column of every pass, the progress and
//   the parallel loop that the separable filters' passes run their blocks of columns on.
//   Results are the same bytes whatever the loop's threads; after a stop every thread
//   ends at its next column, so that the undone columns need not be the last ones.
//
// The result is false, the target untouched, when an image has no storage, the sizes
// differ or scratch memory cannot be had; true otherwise, also after a stop.
#pragma once

#include <cstdint>

namespace filters {

// An image someone else owns (see above); data null means no storage.
struct ImageView {
  std::uint8_t* data = nullptr;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

struct Parameters {
  std::int32_t radius = 0;  // a window of 2 x radius + 1 samples
  std::int32_t passes = 1;  // drivers and Dilate: how often the filter runs
  bool depthTest = false;   // a neighbour counts only if the centre's map value <= its own + 5
  bool blend = false;       // drivers: blend the result with the source by the map
};

// What the filters report to and ask of their caller, as plain callbacks that get user;
// any of them may be null (never stop, show nothing).
struct Context {
  // True when the work should stop.
  bool (*stop)(void* user) = nullptr;
  // The progress value of the running pass, 0 .. 1, set before every column.
  void (*progressValue)(void* user, double value) = nullptr;
  // The drivers' progress text: "Median Filter " or "Gaussian Filter " before each pass,
  // followed by the pass number when passes > 1, and "" after it.
  void (*progressText)(void* user, const char* text) = nullptr;
  void* user = nullptr;
  // Calls body(chunkBegin, chunkEnd, bodyContext) for chunks of at least grain indices that
  // together cover begin .. end - 1, possibly at once on several threads, and returns when
  // all are done. The break test is then asked on those threads too; the progress value is
  // only set on the calling thread. Null: body runs once for the whole range.
  void (*parallelFor)(void* user, std::int64_t begin, std::int64_t end, std::int64_t grain,
                      void (*body)(std::int64_t chunkBegin, std::int64_t chunkEnd, void* bodyContext),
                      void* bodyContext) = nullptr;
};

// The shape above, as a pointer.
using Filter = bool (*)(ImageView source, ImageView target, ImageView map, const Parameters& parameters,
                        const Context& context);

// Single-pass blurs: source into target over a window of 2 x radius + 1 samples, along the
// rows and then along the columns, with reflected edges, honouring depthTest; passes and
// blend are not read. A stop ends the pass. A negative radius copies the source.
//   GaussImproved: a Gaussian whose width follows the map; map value 0 keeps the pixel.
//   GaussBlending: one Gaussian of width 3.456 x radius for all pixels.
//   MedianLowPass: the mean of the counted samples.
bool GaussImproved(ImageView source, ImageView target, ImageView map, const Parameters& parameters,
                   const Context& context);
bool GaussBlending(ImageView source, ImageView target, ImageView map, const Parameters& parameters,
                   const Context& context);
bool MedianLowPass(ImageView source, ImageView target, ImageView map, const Parameters& parameters,
                   const Context& context);

// Pass drivers: their filter passes times (MedianBlur: MedianLowPass, GaussianBlur:
// GaussImproved, GaussianBlend: GaussBlending), each pass on the last one's result, with the
// progress text; a stop ends the passes. Then either the result goes into target or, with blend, target = result x
// F + source x (1 - F) with F the mean of the map's three bytes / 255; a stop during the
// blend leaves the columns not yet blended as they were (the later ones on one thread).
bool MedianBlur(ImageView source, ImageView target, ImageView map, const Parameters& parameters,
                const Context& context);
bool GaussianBlur(ImageView source, ImageView target, ImageView map, const Parameters& parameters,
                  const Context& context);
bool GaussianBlend(ImageView source, ImageView target, ImageView map, const Parameters& parameters,
                   const Context& context);

// Widens the high values of a grey source: passes times, every pixel takes the largest byte
// 0 in the (2 x radius + 1)^2 window around it, written into all three bytes of target. A
// stop ends the passes; the buffers alternate as if the passes after it had run empty.
bool Dilate(ImageView source, ImageView target, ImageView map, const Parameters& parameters, const Context& context);

}  // namespace filters
