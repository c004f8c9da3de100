/* Plug-in registration, resources and what the host tells about itself. */
#ifndef LENSARA_HST_PLUGIN_H
#define LENSARA_HST_PLUGIN_H

#include "HstHandles.h"
#include "HstRenderCall.h"

/* The callbacks through which the host drives one registered node class. The host calls
   them on its own threads as the plug-in's documentation states; every HstPluginObject
   comes from create and goes back through destroy. */
typedef struct HstNodeClass {
  uint32_t size; /* sizeof this struct as the plug-in built it */
  void* context; /* handed back to create unchanged */
  /* A new instance, or null when memory is short. */
  HstPluginObject (*create)(void* context);
  /* Destroys an instance from create. */
  void (*destroy)(HstPluginObject self);
  /* Gives a new instance, now attached to node, its defaults. */
  HstBool (*init)(HstPluginObject self, HstNode node);
  /* A message of type to node; data belongs to the sender. */
  HstBool (*message)(HstPluginObject self, HstNode node, int32_t type, void* data);
  /* Whether parameter id of node is editable now. value is the parameter's value,
     itemdesc its description (may be null); both belong to the host. */
  HstBool (*get_enabling)(HstPluginObject self, HstNode node, const HstDescID* id, HstData value,
                          int32_t flags, HstContainer itemdesc);
} HstNodeClass;

/* What the host calls on a video post's instance around a render; a null function stands
   for one that does nothing and answers 0. Both run on the render thread. */
typedef struct HstVideoPostCallbacks {
  uint32_t size; /* sizeof this struct as the plug-in built it */
  /* Before the frames are rendered: the instance asks render for its output buffers.
     Answers 0, or a non-zero code. */
  int32_t (*allocate_buffers)(HstPluginObject self, HstNode node, HstRender render, HstNode doc);
  /* When a render stage opens and when it closes (vps, valid for the call, tells which).
     Answers 0, or a non-zero render result code. */
  int32_t (*execute)(HstPluginObject self, HstNode node, HstVideoPostStruct* vps);
} HstVideoPostCallbacks;

typedef struct HstVideoPostRegistration {
  uint32_t size; /* sizeof this struct as the plug-in built it */
  int32_t id;
  const char* name;        /* display name, UTF-8; copied */
  int32_t info;            /* info flags */
  const char* description; /* name of the description resource; copied */
  int32_t disklevel;
  int32_t priority;
  HstNodeClass node_class; /* copied */
  HstVideoPostCallbacks video_post; /* copied */
} HstVideoPostRegistration;

typedef struct HstPluginTable {
  uint32_t size; /* sizeof this section as the host built it */
  /* The product kind the application runs as (1 full application; 8, 9, 10 the render
     farm client and server and the command line renderer). */
  int32_t (*version_type)(void);
  /* Registers a video post class for the plug-in being started. False when the id is
     taken, the description cannot be read, or the registration or a struct in it is
     smaller than the fields this host reads (a plug-in built against an older interface). */
  HstBool (*register_video_post)(const HstVideoPostRegistration* registration);
  /* Loads the strings and descriptions kept under folder. Null when they cannot be read.
     The caller owns the result and releases it with free_resource. */
  HstResource (*load_resource)(HstFilename folder);
  void (*free_resource)(HstResource r);
  /* Copies string id of r into out; false (out set empty) when r has no such string. */
  HstBool (*load_string)(HstResource r, int32_t id, HstString out);
} HstPluginTable;

#endif
