/* Handles and plain values that cross the boundary between the host and a plug-in.
   Every handle is an incomplete struct of its own so that the compiler catches a
   container passed where a node is due. Handles name host-owned storage; the plug-in
   never looks inside. */
#ifndef LENSARA_HST_HANDLES_H
#define LENSARA_HST_HANDLES_H

#include <stdint.h>

typedef int32_t HstBool; /* 0 false, anything else true */

typedef struct HstNode_* HstNode;           /* any scene node: document, object, tag, material,
                                               render settings, video post, pass entry */
typedef struct HstContainer_* HstContainer; /* key -> value container */
typedef struct HstData_* HstData;           /* one typed value */
typedef struct HstString_* HstString;       /* UTF-8 text */
typedef struct HstFilename_* HstFilename;   /* a file system path */
typedef struct HstResource_* HstResource;   /* a plug-in's strings and descriptions */
typedef struct HstPluginObject_* HstPluginObject; /* a plug-in's own node data; opaque to the host */
typedef struct HstChannel_* HstChannel;     /* a channel of a standard material, owned by it */
typedef struct HstInExclude_* HstInExclude; /* an in/exclude list (custom data 1009290) */
typedef struct HstGradient_* HstGradient;   /* a gradient (custom data 1000481) */
typedef struct HstBitmap_* HstBitmap;       /* an 8-bit RGB image */
typedef struct HstThread_* HstThread;       /* a host thread, asked for its break test */
typedef struct HstProgress_* HstProgress;   /* a render's progress display: text and value */
typedef struct HstRender_* HstRender;       /* the render that calls a video post */

/* Value type codes of HstData. */
enum {
  HST_DATA_NONE = 0,
  HST_DATA_LONG = 15,
  HST_DATA_REAL = 19,
  HST_DATA_VECTOR = 23,
  HST_DATA_MATRIX = 25,
  HST_DATA_STRING = 130,
  HST_DATA_CONTAINER = 132,
  HST_DATA_LINK = 133,
  HST_DATA_GRADIENT = 1000481,
  HST_DATA_INEXCLUDE = 1009290
};

/* A 3-vector: a position, direction, scale, rotation (radians) or linear RGB colour. */
typedef struct HstVector {
  double x, y, z;
} HstVector;

/* An affine transform: a point p maps to off + v1 * p.x + v2 * p.y + v3 * p.z. */
typedef struct HstMatrix {
  HstVector off, v1, v2, v3;
} HstMatrix;

/* One knot of a gradient. */
typedef struct HstGradientKnot {
  HstVector col;
  double brightness;
  double pos;
  double bias;
  int32_t index;
} HstGradientKnot;

/* A parameter id: up to three levels, as in a description. */
typedef struct HstDescLevel {
  int32_t id;
  int32_t dtype;   /* the level's value type code, 0 when unknown */
  int32_t creator; /* the plug-in id that declared it, 0 when unknown */
} HstDescLevel;

typedef struct HstDescID {
  int32_t depth; /* number of levels in use, 0 to 3 */
  HstDescLevel level[3];
} HstDescID;

#endif
