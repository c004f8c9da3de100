// Dof: the Lensara depth-of-field video post.
#pragma once

#include "host/c4d.h"
#include "resources/description/vpdof.h"

class PreviewDialog;

// The render's progress hook for RenderDocument: passes fraction to the progress display
// context (a RenderProgress) when there is one.
void ProgressHk(float fraction, void* context);

// True on the product kinds that render the composite only and have no preview window
// (IsCompositeProductKind).
Bool IsCompositeProduct();

class Dof : public VideoPostData {
public:
  // The settings that change the depth image, as the last validation saw them; the
  // preview is refreshed when the node's settings no longer match.
  struct Snapshot {
    Bool cachedFrontBlur = false;
    Bool cachedRearBlur = false;
    Float cachedFrontStart = 0.0;
    Float cachedFrontEnd = 0.0;
    Float cachedRearStart = 0.0;
    Float cachedRearEnd = 0.0;
    Bool cachedReflections = false;
    Bool cachedUseCameraDof = false;
    Float cachedFocusDistance = 0.0;
    const BaseObject* cachedCamera = nullptr; // compared by identity, never dereferenced
    Int32 cachedExcludeCount = 0;
  };

  // Computes the preview: the depth image of a copy of the effect node's document at
  // 320 x 240, shown in the preview dialog. Never started as a thread: Dof::Preview runs
  // SetOption and Main on the calling thread.
  class PreviewThread : public C4DThread {
  public:
    // Allocates the 320 x 240 x 24-bit preview bitmap (null when memory is short).
    PreviewThread();
    ~PreviewThread() override;
    PreviewThread(const PreviewThread&) = delete;
    PreviewThread& operator=(const PreviewThread&) = delete;

    // Renders the prepared document into the preview bitmap and hands a copy of it to the
    // dialog; frees the document. Nothing without a document.
    void Main() override;
    const char* GetThreadName() override { return "Lensara"; }
    // Prepares one preview: a clone of node's document and a copy of node's settings.
    void SetOption(GeListNode* node, PreviewDialog* dialog);

  private:
    // Turns document into the preview's depth scene as the copy effect asks; the polarity.
    Bool PrepareDocument(BaseList2D* effect, RenderData* rd);
    // Renders into the bitmap and shows it (inverted when invert is set).
    void RenderPicture(RenderData* rd, Bool invert);

    BaseDocument* document = nullptr; // owned: the depth scene of the next preview
    BaseContainer* settings = nullptr; // owned: the node's settings at SetOption
    BaseBitmap* bitmap = nullptr;      // owned: the preview's render target
    PreviewDialog* dialog = nullptr;   // not owned
    GeListNode* node = nullptr;        // not owned: the effect node asking for the preview
  };

  // A new instance from the host's allocator; null when memory is short.
  static NodeData* Alloc();

  // Closes and deletes the preview dialog; frees a depth scene still held from a render
  // that did not finish it.
  ~Dof() override;

  // Stores the defaults in the node's container, zeroes the snapshot and creates the
  // preview dialog (none when memory is short).
  Bool Init(GeListNode* node) override;

  // Messages from the host (settings/Message.cpp). After an edit (MSG_DESCRIPTION_VALIDATE)
  // keeps the front and rear starts within 0 and their ends, rounds radius and passes
  // down and, with live preview on, refreshes the preview when a setting of the snapshot
  // changed; answers true without the base class. The preview button refreshes the
  // preview, the end of editing (MSG_NOTIFY, NOTIFY_EDITING_ENDED) switches live preview
  // off; these and every other message then go to the base class.
  Bool Message(GeListNode* node, Int32 type, void* data) override;
  // Whether parameter id is editable given the others (settings/GetDEnabling.cpp): ranges
  // need their blur on and no camera depth of field, the filter settings need blur, the
  // two-pass options and the front and rear buffers need reflections and hair off, hair
  // needs a hair renderer the host can make. Other ids go to the base class.
  Bool GetDEnabling(GeListNode* node, const DescID& id, GeData& value, Int32 flags,
                    const BaseContainer* itemdesc) override;

  // Render calls (render/). AllocateBuffers asks for the depth buffers the settings want
  // ("Lensara Depth" 111/1020103 or an invisible 100/0; "Lensara Depth Front" and "Rear"
  // 111/1020104 and 111/1020105) at kBufferBits and answers the last request's result.
  Int32 AllocateBuffers(PluginVideoPost* node, Render* render, BaseDocument* doc) override;
  // At every call names the buffers and looks up the depth target; when stage 4 opens,
  // clones the rendered document into the depth scene. When stage 5 closes on a final render
  // (IsGatedRender) that has neither failed nor been stopped, renders the depth scene,
  // assembles the depth maps, writes them into the buffers and blurs the frame's image by
  // them. Answers 0, 1 when the run fails (the frame keeps its image as rendered), or the
  // depth render's code.
  Int32 Execute(PluginVideoPost* node, VideoPostStruct* vps) override;

  const Snapshot& GetSnapshot() const { return snapshot; }

  // Renders the depth image of a copy of node's document at 320 x 240 into the preview
  // window and opens the window when it is closed (preview/Preview.cpp). Nothing on the
  // composite-only products.
  void Preview(GeListNode* node);

  // Depth-pass preparation of the depth scene, a clone of the rendered document.

  // Turns doc into the depth scene of effect (its settings, with the materials following
  // settings) seen from camera (the scene camera when null) and returns the polarity:
  // deletes the disturbing objects, places the depth lights, whitens the materials, clears
  // the compositing backgrounds and forces the render settings. The render keeps the
  // range lights (but on the composite-only products) and the depth anti-aliasing asked
  // for; the preview drops the range lights and renders without anti-aliasing.
  static Bool PrepareDepthScene(BaseDocument* doc, BaseList2D* effect, const BaseContainer* settings,
                                BaseObject* camera, Bool forPreview);
  // Places the depth lights at the camera (or at place, when given) with the focus
  // distance and the blur ranges of effect's settings or of the camera, adds the
  // enclosing sphere and lists the effect's excluded objects on the exclusion light.
  // Returns true when a front or rear range is in use. When a light or the sphere cannot
  // be allocated no depth light is placed (and false is returned): callers find no main
  // light.
  static Bool AdjustLightAtCamera(BaseDocument* doc, BaseList2D* effect, BaseObject* place);
  // Makes every material of doc plain white (dropping kinds the depth pass cannot use),
  // adds the white depth material first and textures every untextured object with it.
  // False when the depth material or its texture tag cannot be allocated.
  static Bool AdjustMaterials(BaseDocument* doc, const BaseContainer* settings);
  // For op and its following siblings: drops texture tags whose material is gone and
  // gives untextured objects a clone of tag; lights and cameras pass it to their children.
  static void SetMaterialForAllObjects(BaseObject* op, TextureTag* tag);
  // Switches the compositing-background flag off on every compositing tag of op, its
  // following siblings and all their descendants.
  static void DisableCompositingTags(BaseObject* op);
  // Forces the depth render's settings: one layer per light, no other video post (but a
  // hair renderer, with hair), the anti-aliasing asked for.
  static void AdjustRenderData(RenderData* rd, Bool reflections, Bool hair, Int32 antiAliasing);

private:
  // What one stage-5 run reads of the settings, once.
  struct RunSettings {
    Bool reflections, hair, blur, dilate, depthAware;
    Int32 filter, radius, passes, excludeCount;
  };

  // The depth render of one stage-5 run and its layers, found by the depth lights' names;
  // frees the depth render (and a composite copy standing in for the main layer).
  class DepthRender {
  public:
    explicit DepthRender(MultipassBitmap* bitmap) : bitmap(bitmap) {}
    ~DepthRender();
    DepthRender(const DepthRender&) = delete;
    DepthRender& operator=(const DepthRender&) = delete;

    // Assigns the layers named after the depth lights; a later layer of a name wins.
    void PickLayers();
    // Replaces the main layer by a copy of the composite image; false when it cannot be made.
    Bool UseComposite();

    MultipassBitmap* bitmap;
    MultipassBitmap* main = nullptr;
    MultipassBitmap* front = nullptr;
    MultipassBitmap* rear = nullptr;
    MultipassBitmap* exclusion = nullptr;

  private:
    MultipassBitmap* composite = nullptr;
  };

  static RunSettings ReadRunSettings(const BaseContainer& data);
  // MSG_DESCRIPTION_VALIDATE: corrects the edited settings and refreshes a live preview.
  void Validate(GeListNode* node);
  // The stage-5 run: the depth render, the maps and the blur.
  Int32 RenderDepth(PluginVideoPost* node, VideoPostStruct* vps);
  // Turns the depth layers into the main depth map, left in the main layer: folds in the
  // exclusion layer, inverts the front and rear layers into their buffers, screens in the
  // reflections, fixes the polarity and writes the map into the depth target. False when a
  // map cannot be read.
  Bool AssembleDepthMaps(DepthRender& depth, const RunSettings& s, Bool polarity, Bool composite, Render* render);
  // Blurs the frame's image by the depth maps and writes it back into the frame. False when
  // an image cannot be read or the blur fails; the frame then keeps its image.
  static Bool BlurFrame(const DepthRender& depth, const RunSettings& s, VideoPostStruct* vps);

  PreviewThread previewThread;
  Snapshot snapshot;
  VPBuffer* depthTarget = nullptr;      // this call's "Lensara Depth" (or 100/0) buffer; not owned
  BaseDocument* depthScene = nullptr;   // owned: the clone the depth pass is rendered from
  PreviewDialog* previewDialog = nullptr; // owned: the preview window
};
