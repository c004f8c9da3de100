/* Nodes (C4DAtom, GeListNode, BaseList2D and every kind built on them). */
#ifndef LENSARA_HST_NODE_H
#define LENSARA_HST_NODE_H

#include "HstHandles.h"

/* The lists a node holds: the children of any node, the tags of an object, the shaders
   of a material, the video posts and pass entries of render settings, and the objects,
   materials and render settings of a document. */
enum {
  HST_BRANCH_CHILDREN = 0,
  HST_BRANCH_TAGS = 1,
  HST_BRANCH_SHADERS = 2,
  HST_BRANCH_VIDEO_POSTS = 3,
  HST_BRANCH_PASSES = 4,
  HST_BRANCH_OBJECTS = 5,
  HST_BRANCH_MATERIALS = 6,
  HST_BRANCH_RENDER_DATA = 7
};

/* Messages a plug-in sends to nodes: a pass entry was added to render settings, the
   node's data changed. */
enum { HST_MSG_PASSES_CHANGED = 5, HST_MSG_UPDATE = 7 };

/* Messages the host sends to a node's plug-in: the user changed a parameter of its
   description, to be checked and corrected in the node's container (data null); a button
   of its description was pressed (data: an HstDescriptionCommand); a notification (data:
   an HstNotification). */
enum { HST_MSG_DESCRIPTION_VALIDATE = 20, HST_MSG_DESCRIPTION_COMMAND = 18, HST_MSG_NOTIFY = 1001078 };

typedef struct HstDescriptionCommand {
  HstDescID id; /* the pressed button's parameter id */
} HstDescriptionCommand;

/* Events of HST_MSG_NOTIFY: the user stopped editing the node (its editor closed). */
enum { HST_NOTIFY_EDITING_ENDED = 1001 };

typedef struct HstNotification {
  int32_t event; /* HST_NOTIFY_... */
} HstNotification;

typedef struct HstNodeTable {
  uint32_t size; /* sizeof this section as the host built it */
  /* The node's type id (object, tag, material or plug-in id). */
  int32_t (*type)(HstNode n);
  /* The node's live data container, owned by the node and valid while it lives. */
  HstContainer (*data)(HstNode n);
  /* Copies the node's name into out. */
  void (*get_name)(HstNode n, HstString out);
  void (*set_name)(HstNode n, const char* utf8);
  /* Sends message type to the node; its plug-in, if any, answers. data belongs to the
     sender. Returns the node's answer. */
  HstBool (*message)(HstNode n, int32_t type, void* data);
  /* Writes or reads the parameter id of the node; flags 0. False when the node cannot
     take or give it. */
  HstBool (*set_parameter)(HstNode n, const HstDescID* id, HstData v, int32_t flags);
  HstBool (*get_parameter)(HstNode n, const HstDescID* id, HstData out, int32_t flags);

  /* A new node of type (object, tag, material, shader, pass entry, render settings,
     document or a registered video post) with the host's defaults, in no list; owned by
     the caller and released with free. Null for an unknown type or when memory is short. */
  HstNode (*alloc)(int32_t type);
  /* Destroys a node that is in no list, with everything it holds; a node still in a list
     is unlinked first. Nodes a document owns outside its lists (its render view, its
     default camera) are left alone. */
  void (*free)(HstNode n);
  /* A deep copy (same identity, fresh plug-in instance, made when first called) in no
     list, owned by the caller; flags 0. Null when memory is short. */
  HstNode (*clone)(HstNode n, int32_t flags);
  /* Neighbours in the list or tree, owned by their lists; null when there is none. up is
     the parent object (null at the top level). */
  HstNode (*up)(HstNode n);
  HstNode (*next)(HstNode n);
  HstNode (*pred)(HstNode n);
  /* The first node of one of n's branches (HST_BRANCH_...), or null. */
  HstNode (*first_in)(HstNode n, int32_t branch);
  /* Inserts n (in no list; its owner becomes the branch's owner) into branch of owner,
     after pred, which must be in that branch; at the top when pred is null. False (n
     stays with the caller) when n is in a list, is a document or document-owned, owner
     is null or inside n, or pred is elsewhere. */
  HstBool (*insert)(HstNode owner, int32_t branch, HstNode n, HstNode pred);
  /* Inserts n (in no list) into pred's list right after pred. False when either is null,
     pred is in no list, or n could not be inserted into that list (see insert). */
  HstBool (*insert_after)(HstNode n, HstNode pred);
  /* Takes n out of its list; the caller owns it from then on. Nothing when it is in none. */
  void (*remove)(HstNode n);
  /* The document n is in (a document answers itself); null when it is in none. */
  HstNode (*document)(HstNode n);
  /* How often n received message 7. */
  uint32_t (*dirty)(HstNode n);
  /* Renames n when another node of its kind in the tree it is in has its name: objects
     are compared across the whole object tree, materials across the material list, other
     nodes within their list. The name gets the suffix ".1", ".2", ..., the first that is
     free. Nothing when n is null, in no list, or its name is free. */
  void (*make_name_unique)(HstNode n);
} HstNodeTable;

#endif
