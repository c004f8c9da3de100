/* Dialogs (GeDialog) and their user areas (GeUserArea): windows a plug-in lays out and the
   host shows. The plug-in's dialog and user-area objects cross as HstPluginDialog and
   HstPluginUserArea, opaque to the host, which drives them through their callbacks on
   its main thread. */
#ifndef LENSARA_HST_DIALOG_H
#define LENSARA_HST_DIALOG_H

#include "HstHandles.h"

typedef struct HstDialog_* HstDialog;             /* the host's record of one plug-in dialog */
typedef struct HstUserArea_* HstUserArea;         /* the host's record of one user area */
typedef struct HstGadget_* HstGadget;             /* a gadget of a dialog's current layout */
typedef struct HstPluginDialog_* HstPluginDialog; /* a plug-in's dialog object */
typedef struct HstPluginUserArea_* HstPluginUserArea; /* a plug-in's user-area object */

/* Dialog types for open: a non-modal window. */
enum { HST_DIALOG_ASYNC = 20 };

/* Layout flags of groups and gadgets: horizontal 0 centre, 1 left, 2 right, 3 fit the
   cell's width, plus 4 to take a share of spare width; vertical 0 centre, 8 top,
   16 bottom, 24 fit the cell's height, plus 32 to take a share of spare height. */
enum {
  HST_LAYOUT_LEFT = 1,
  HST_LAYOUT_RIGHT = 2,
  HST_LAYOUT_FIT_H = 3,
  HST_LAYOUT_SCALE_H = 4,
  HST_LAYOUT_TOP = 8,
  HST_LAYOUT_BOTTOM = 16,
  HST_LAYOUT_FIT_V = 24,
  HST_LAYOUT_SCALE_V = 32
};

/* What the host calls on a plug-in's dialog; every function must be set. msg and result
   belong to the host and are valid for the call. */
typedef struct HstDialogCallbacks {
  uint32_t size; /* sizeof this struct as the plug-in built it */
  /* When the window opens: lays out the gadgets through the layout calls below. False
     keeps the window closed. */
  HstBool (*create_layout)(HstPluginDialog self);
  /* After the layout: fills in the gadgets' values. */
  HstBool (*init_values)(HstPluginDialog self);
  HstBool (*core_message)(HstPluginDialog self, int32_t id, HstContainer msg);
  /* Gadget or key command id (1 OK, 2 Cancel). */
  HstBool (*command)(HstPluginDialog self, int32_t id, HstContainer msg);
  /* Before the user closes the window: true keeps it open. */
  HstBool (*ask_close)(HstPluginDialog self);
  void (*timer)(HstPluginDialog self, HstContainer msg);
  /* The window has closed; its layout is gone. */
  void (*destroy_window)(HstPluginDialog self);
  int32_t (*message)(HstPluginDialog self, HstContainer msg, HstContainer result);
} HstDialogCallbacks;

/* What the host calls on a plug-in's user area; every function must be set. */
typedef struct HstUserAreaCallbacks {
  uint32_t size; /* sizeof this struct as the plug-in built it */
  /* When the area is attached to a laid-out gadget. */
  HstBool (*init)(HstPluginUserArea self);
  /* The smallest size the area asks for; 0 x 0 asks for nothing beyond the gadget's. */
  HstBool (*get_min_size)(HstPluginUserArea self, int32_t* width, int32_t* height);
  /* The size the layout gave the area. */
  void (*sized)(HstPluginUserArea self, int32_t width, int32_t height);
  /* Draws the rectangle x1, y1 .. x2, y2 (inclusive, area coordinates) with the area's
     drawing calls below, which work only during this call. */
  void (*draw_msg)(HstPluginUserArea self, int32_t x1, int32_t y1, int32_t x2, int32_t y2, HstContainer msg);
} HstUserAreaCallbacks;

typedef struct HstDialogTable {
  uint32_t size; /* sizeof this section as the host built it */
  /* A closed dialog for the plug-in's object self, driven through callbacks (copied);
     owned by the caller and released with free. Null when memory is short or callbacks
     is smaller than the host reads. */
  HstDialog (*alloc)(const HstDialogCallbacks* callbacks, HstPluginDialog self);
  /* Closes the window without calling back and releases the dialog. */
  void (*free)(HstDialog d);
  /* Opens the window non-modally (type HST_DIALOG_ASYNC) at x, y (-1, -1: the host's
     placement) with width x height pixels, calling create_layout and init_values. True
     when it is open afterwards (also when it was open already, which changes nothing);
     false for other types, when create_layout fails or memory is short. */
  HstBool (*open)(HstDialog d, int32_t type, int32_t id, int32_t x, int32_t y, int32_t width, int32_t height,
                  int32_t subid);
  /* Closes the window: its layout and gadgets are gone, destroy_window is called. True
     when it was open. */
  HstBool (*close)(HstDialog d);
  HstBool (*is_open)(HstDialog d);

  /* Layout calls, valid only inside create_layout; outside it they do nothing and answer
     false or null. Groups nest: gadgets go into the innermost group begun. */
  HstBool (*set_title)(HstDialog d, const char* utf8);
  HstBool (*group_begin)(HstDialog d, int32_t id, int32_t flags, int32_t columns, int32_t rows, const char* title,
                         int32_t groupflags);
  /* Gives the innermost group a border (1: a thin sunken line) without a title. */
  HstBool (*group_border_no_title)(HstDialog d, int32_t border);
  HstBool (*group_end)(HstDialog d);
  /* Gadgets; the handle lives as long as the layout and is owned by the dialog. */
  HstGadget (*add_user_area)(HstDialog d, int32_t id, int32_t flags, int32_t minwidth, int32_t minheight);
  HstGadget (*add_static_text)(HstDialog d, int32_t id, int32_t flags, int32_t minwidth, int32_t minheight,
                               const char* utf8, int32_t border);
  /* Lets area draw the user-area gadget id of the layout being built. */
  HstBool (*attach_user_area)(HstDialog d, HstUserArea area, int32_t id, int32_t flags);

  /* Sets the text of gadget g. False, and nothing changes, when g is not a text gadget of
     d's current layout (no layout yet, or one that has since been replaced). */
  HstBool (*set_string)(HstDialog d, HstGadget g, const char* utf8);

  /* A user area for the plug-in's object self, attached to no gadget; owned by the caller
     and released with area_free, which detaches it. Null when memory is short or callbacks
     is smaller than the host reads. */
  HstUserArea (*area_alloc)(const HstUserAreaCallbacks* callbacks, HstPluginUserArea self);
  void (*area_free)(HstUserArea a);
  /* Asks for the area to be drawn again (draw_msg comes later, on the main thread).
     False when the area is attached to no open window. */
  HstBool (*area_redraw)(HstUserArea a, HstBool threaded);
  /* Drawing calls, valid only inside draw_msg (false otherwise). Drawing is double
     buffered whether or not off_screen_on is asked; coordinates are the area's. */
  HstBool (*area_off_screen_on)(HstUserArea a);
  /* Limits drawing to x, y .. x + width - 1, y + height - 1 (and to the area). */
  HstBool (*area_set_clipping_region)(HstUserArea a, int32_t x, int32_t y, int32_t width, int32_t height);
  /* Paints x1, y1 .. x2, y2 (inclusive) in the host's background colour. */
  HstBool (*area_draw_background)(HstUserArea a, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  /* Copies the bitmap's rectangle wx, wy, ww x wh onto x, y, w x h of the area, scaled by
     nearest pixel when the sizes differ; mode 0 copies. */
  HstBool (*area_draw_bitmap)(HstUserArea a, HstBitmap bitmap, int32_t wx, int32_t wy, int32_t ww, int32_t wh,
                              int32_t x, int32_t y, int32_t w, int32_t h, int32_t mode);
} HstDialogTable;

#endif
