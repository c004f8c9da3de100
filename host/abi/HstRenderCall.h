/* What the host hands a video post with each render call: the call record, its thread's
   break test, its progress display, and number formatting for progress texts. */
#ifndef LENSARA_HST_RENDER_CALL_H
#define LENSARA_HST_RENDER_CALL_H

#include "HstHandles.h"

/* One render call of a video post, filled by the host and valid for the call only.
   Handles may be null: a render without a progress display, a call outside a render. */
typedef struct HstVideoPostStruct {
  int32_t stage;        /* 1 sequence, 2 frame, 3 sub-frame, 4 render, 5 inner */
  HstBool open;         /* true when the stage opens, false when it closes */
  int32_t* result;      /* the render's current result code; non-zero: already failed */
  HstNode document;     /* the document being rendered */
  HstRender render;     /* the render calling */
  HstThread thread;     /* the render thread, for the break test */
  HstProgress progress; /* the render's progress display */
  int32_t flags;        /* bit 0: a final render, clear for viewport renders */
  double time;          /* the frame's time in seconds */
  int32_t editor;       /* 0 for a final render, 1 for viewport renders: read by plug-ins
                           built with the macOS behaviour instead of flags bit 0 */
} HstVideoPostStruct;

/* Number formats of format_number. */
enum { HST_FORMAT_LONG = 0x666C6E67 /* 'flng': an integer in decimal */ };

typedef struct HstRenderCallTable {
  uint32_t size; /* sizeof this section as the host built it */
  /* True when the host wants the thread's work stopped; false for a null thread. */
  HstBool (*test_break)(HstThread t);
  /* Shows utf8 (copied; null clears it) as the progress text. */
  void (*set_progress_text)(HstProgress p, const char* utf8);
  /* Shows fraction (0 .. 1) as the progress value. */
  void (*set_progress_value)(HstProgress p, double fraction);
  /* Writes value in format into out; fps is the frame rate of time formats, unit asks for
     the unit after the number. False (out set empty) for an unknown format. */
  HstBool (*format_number)(HstData value, int32_t format, int32_t fps, HstBool unit, HstString out);
} HstRenderCallTable;

#endif
