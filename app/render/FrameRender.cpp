#include "FrameRender.h"

#include <algorithm>

#include "app/core/Guarded.h"
#include "host/abi/C4DOS.h"

namespace lensara {

namespace {

constexpr int32_t kSequence = 1, kFrame = 2, kSubFrame = 3, kRenderStage = 4, kInner = 5;

NestedRenderWatch::Observer* watching = nullptr;
thread_local const FrameRender* running = nullptr;

// Makes a render the one running on this thread while it lives; the one before after.
class RunningRender {
public:
  explicit RunningRender(const FrameRender* render) : outer(running) { running = render; }
  ~RunningRender() { running = outer; }
  RunningRender(const RunningRender&) = delete;
  RunningRender& operator=(const RunningRender&) = delete;

private:
  const FrameRender* outer;
};

}  // namespace

FrameRender::FrameRender(Document& doc, FrameRenderOptions options) : doc(doc), options(options), frameDoc(&doc)
{
  if (Node* rd = doc.ActiveRenderData())
    for (Node* vp = rd->FirstIn(HST_BRANCH_VIDEO_POSTS); vp; vp = vp->Next()) videoPosts.push_back(vp);
  time = postsTime = doc.Time();
  Execute(kSequence, true);
}

FrameRender::~FrameRender()
{
  frameDoc = &doc;
  Execute(kSequence, false);
}

RenderResult FrameRender::RenderFrame(double frameTime, MultipassBitmap& target)
{
  failures.clear();
  requests.clear();
  result = 0;
  time = frameTime;
  if (frameTime != postsTime)
    for (Node* vp : videoPosts) vp->Animate(doc.FrameAt(frameTime));
  postsTime = frameTime;
  std::unique_ptr<Document> copy = Guarded([this] { return doc.CloneDocument(); }, std::unique_ptr<Document>());
  if (!copy) return {HST_RENDER_OUT_OF_MEMORY, "the document cannot be copied for rendering"};
  copy->SetTime(frameTime);
  frameDoc = copy.get();
  for (Node* vp : videoPosts)
    if (int32_t code = vp->AllocateBuffers(Handle(), *copy)) failures.push_back({vp->Name(), 0, code});

  for (int32_t stage : {kFrame, kSubFrame, kRenderStage, kInner}) Execute(stage, true);
  RenderJob job;
  job.threads = options.threads;
  job.layers = (options.flags & 1) != 0;
  job.breakTest = options.breakTest;
  job.distances = options.distances;
  if (options.progress) job.progress = [this](double fraction) { options.progress->SetValue(fraction); };
  Container* settings = Settings();
  RenderResult rendered = Render(*copy, settings ? *settings : Container(), target, job);
  if (rendered.code == HST_RENDER_OK && !Guarded([&] { return (AddBuffers(target), true); }, false))
    rendered = {HST_RENDER_OUT_OF_MEMORY, "the render buffers do not fit in memory"};
  result = rendered.code;
  image = &target;
  for (int32_t stage : {kInner, kRenderStage, kSubFrame, kFrame}) Execute(stage, false);

  image = nullptr;
  frameDoc = &doc;
  return rendered;
}

void FrameRender::Execute(int32_t stage, bool open)
{
  HstVideoPostStruct record{};
  record.stage = stage;
  record.open = open;
  record.result = &result;
  record.document = frameDoc->Handle();
  record.render = Handle();
  record.thread = reinterpret_cast<HstThread>(options.breakTest);
  record.progress = reinterpret_cast<HstProgress>(options.progress);
  record.flags = options.flags;
  record.time = time;
  record.editor = (options.flags & 1) ? 0 : 1;
  RunningRender current(this);
  for (Node* vp : videoPosts)
    if (int32_t code = vp->Execute(record)) failures.push_back({vp->Name(), stage, code});
}

const FrameRender* FrameRender::Running() { return running; }

Container* FrameRender::Settings() const
{
  Node* rd = frameDoc->ActiveRenderData();
  return rd ? &rd->Data() : nullptr;
}

int32_t FrameRender::AllocateBuffer(int32_t type, int32_t subId, int32_t bits, bool visible)
{
  if (bits != 8 && bits != 16 && bits != 32) return HST_BUFFER_REFUSED;
  if (type == kImageBuffer && subId == 0) return HST_BUFFER_OK;
  auto same = [&](const BufferRequest& r) { return r.type == type && r.subId == subId; };
  auto found = std::find_if(requests.begin(), requests.end(), same);
  if (found != requests.end()) {
    found->visible = found->visible || visible;
    return HST_BUFFER_OK;
  }
  return Guarded([&] { return (requests.push_back({type, subId, bits, visible, nullptr}), HST_BUFFER_OK); },
                 int32_t{HST_BUFFER_REFUSED});
}

// Every requested buffer, a black unnamed layer after the renderer's own layers.
void FrameRender::AddBuffers(MultipassBitmap& target)
{
  for (BufferRequest& r : requests) {
    r.layer = &target.AddLayer("", r.type, r.subId);
    r.layer->SetBuffer(r.bits, r.visible);
  }
}

Layer* FrameRender::Buffer(int32_t type, int32_t subId) const
{
  if (!image) return nullptr;
  if (type == kImageBuffer && subId == 0) return image;
  for (const BufferRequest& r : requests)
    if (r.type == type && r.subId == subId) return r.layer;
  return nullptr;
}

NestedRenderWatch::NestedRenderWatch(Observer observer) { watching = new Observer(std::move(observer)); }

NestedRenderWatch::~NestedRenderWatch()
{
  delete watching;
  watching = nullptr;
}

void NestedRenderWatch::Notify(Document& doc, Bitmap& bitmap)
{
  if (watching) (*watching)(doc, bitmap);
}

}  // namespace lensara
