/* Plug-ins for the loader's tests, one source built once per case with
 * the definitions in CMakeLists.txt: each case changes one answer. */
#include <stdio.h>
#include <string.h>

#include "korvid/plugin.h"

#ifndef PLUGIN_TYPE
#define PLUGIN_TYPE KORVID_PLUGIN_TYPE
#endif
#ifndef PLUGIN_ACTION_COUNT
#define PLUGIN_ACTION_COUNT 1
#endif
#ifndef PLUGIN_ACTION_NAME
#define PLUGIN_ACTION_NAME "TouchK"
#endif
#ifndef PLUGIN_TAG
#define PLUGIN_TAG KORVID_MENU_VIDEO
#endif
#ifndef PLUGIN_SWITCH
#define PLUGIN_SWITCH "k"
#endif
#ifndef PLUGIN_MARK
#define PLUGIN_MARK "k"
#endif
#ifndef PLUGIN_ABI
#define PLUGIN_ABI KORVID_PLUGIN_ABI_VERSION
#endif

#ifdef PLUGIN_NO_EXPORTS
/* A library, but none of the six exports. */
KORVID_PLUGIN_EXPORT int korvid_test_nothing(void) { return 0; }
#else

static void put(const char *text, char *buffer, int32_t size) {
  snprintf(buffer, (size_t)size, "%s", text);
}

#ifndef PLUGIN_NO_HANDLERS
/* Leaves a mark beside the file ("FILE.k"), so that a run is seen from outside. */
static void touch_execution(struct korvid_call *call) {
  char path[4096];
  snprintf(path, sizeof path, "%s." PLUGIN_MARK, call->file->full_name);
  FILE *mark = fopen(path, "w");
  if (mark == NULL) {
    snprintf(call->error, call->error_bytes, "cannot write %s", path);
    return;
  }
  fputs(call->param->key, mark);
  fclose(mark);
  call->update = KORVID_UPDATE_NONE;
}
#endif

#ifdef PLUGIN_ASKS
/* Sloppy on purpose: the question is copied without its zero byte, and
 * the file condition scribbles over both of its buffers. Asking for
 * progress in between lets a file condition run inside the confirmation. */
static void ask_confirmation(struct korvid_call *call) {
  char question[4096];
  int length = snprintf(question, sizeof question, "Mark %s?", call->file->name);
  memcpy(call->text, question, (size_t)length);
  call->host->progress(call->host->context, 50);
}

static void scribble_condition(struct korvid_call *call) {
  memset(call->text, 'x', 1000);
  memset(call->error, 'y', 1000);
}
#endif

static const struct korvid_file_action touch = {
    sizeof(struct korvid_file_action),
    PLUGIN_ACTION_NAME,
    "Leave a k mark",
    NULL,
    NULL,
    PLUGIN_SWITCH,
    NULL,
    PLUGIN_TAG,
    {"touch-param", 0, NULL},
#ifdef PLUGIN_ASKS
    &ask_confirmation,
#else
    NULL,
#endif
#ifdef PLUGIN_NO_HANDLERS
    NULL,
#else
    &touch_execution,
#endif
#ifdef PLUGIN_ASKS
    &scribble_condition,
#else
    NULL,
#endif
    NULL,
};

KORVID_PLUGIN_EXPORT void GETPLUGIN_TYPE(char *buffer, int32_t size) {
  put(PLUGIN_TYPE, buffer, size);
#ifdef PLUGIN_LONG_TYPE
  /* The right type followed by 300 more letters. */
  memset(buffer + strlen(PLUGIN_TYPE), 'x', 300);
  buffer[strlen(PLUGIN_TYPE) + 300] = '\0';
#endif
}

#ifndef PLUGIN_NO_ABI_VERSION
/* Without it the library is one built before the export came. */
KORVID_PLUGIN_EXPORT void GETPLUGIN_ABIVERSION(int32_t *version) { *version = PLUGIN_ABI; }
#endif

KORVID_PLUGIN_EXPORT void GETPLUGIN_VERSION(char *buffer, int32_t size) {
#ifdef PLUGIN_UNTERMINATED
  memset(buffer, 'v', (size_t)size); /* no end anywhere */
#else
  put("test 1.0", buffer, size);
#endif
}

KORVID_PLUGIN_EXPORT void GETPLUGIN_DESCRIPTION(char *buffer, int32_t size) { put("Leaves a mark", buffer, size); }

KORVID_PLUGIN_EXPORT void GETPLUGIN_NBFILEACTION(int32_t *count) { *count = PLUGIN_ACTION_COUNT; }

KORVID_PLUGIN_EXPORT void GETPLUGIN_FILEACTIONFUNCTION(int32_t index, const struct korvid_file_action **action) {
  *action = index == 0 ? &touch : NULL;
}

#endif
