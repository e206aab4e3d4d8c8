/*
 * Korvid plug-ins: the whole contract between Korvid and a plug-in library.
 *
 * A plug-in is a shared library whose file name ends in ".vlk", placed in a
 * folder Korvid searches at start-up, in this order:
 *   - "plugins" beside the korvid executable (a build tree, a portable copy);
 *   - for an installed Korvid (its executable in a "bin" folder), the
 *     library folder "lib/korvid/plugins" under the installation prefix,
 *     then $XDG_DATA_HOME/Korvid/plugins (~/.local/share/Korvid/plugins).
 * Libraries are loaded once and stay loaded until Korvid ends, accepted or
 * not, so everything a plug-in hands out may be static data.
 *
 * Only C crosses the boundary: plain structures, C strings (UTF-8, zero
 * terminated) and C function pointers. A plug-in may be written in C or in
 * C++ (with these declarations kept extern "C").
 *
 * EXPORTS. A plug-in exports these six functions with C linkage (use
 * KORVID_PLUGIN_EXPORT). A missing text export counts as an empty text,
 * so a library without GETPLUGIN_TYPE is not accepted; a missing
 * GETPLUGIN_NBFILEACTION counts as no action, and a missing
 * GETPLUGIN_FILEACTIONFUNCTION gives no action for any index.
 *
 *   void GETPLUGIN_ABIVERSION(int32_t *version);
 *       Writes KORVID_PLUGIN_ABI_VERSION as the plug-in was compiled.
 *       Asked right after the type. A version Korvid does not know (0,
 *       below KORVID_PLUGIN_MIN_ABI_VERSION or above its own
 *       KORVID_PLUGIN_ABI_VERSION) gets the library skipped. A library
 *       without this export was built before it came (version 3) and is
 *       loaded as version 2, the newest before it: versions 1 and 2 differ
 *       only by korvid_host's warn, which Korvid always hands in, so both
 *       load as they always did.
 *
 *   void GETPLUGIN_TYPE(char *buffer, int32_t size);
 *   void GETPLUGIN_VERSION(char *buffer, int32_t size);
 *   void GETPLUGIN_DESCRIPTION(char *buffer, int32_t size);
 *       Write a zero-terminated text into buffer, which holds size bytes
 *       (always KORVID_PLUGIN_TEXT_BUFFER_BYTES). Korvid keeps at most the
 *       first KORVID_PLUGIN_TEXT_MAX_CHARS bytes. The type must be
 *       KORVID_PLUGIN_TYPE, in any letter case; a type text longer than
 *       KORVID_PLUGIN_TEXT_MAX_CHARS never matches. Version and description
 *       are shown on the About panel's plug-in page. A text without its zero
 *       byte inside the buffer gets the library skipped.
 *
 *   void GETPLUGIN_NBFILEACTION(int32_t *count);
 *       Writes how many file actions the plug-in provides (0 is allowed;
 *       more than KORVID_PLUGIN_MAX_ACTIONS gets the library skipped).
 *
 *   void GETPLUGIN_FILEACTIONFUNCTION(int32_t index, const struct korvid_file_action **action);
 *       Writes the address of file action number index (0 .. count - 1).
 *       The structure must stay valid and unchanged while Korvid runs.
 *
 * FILE ACTIONS. Each becomes a command like the built-in ones: registered
 * under its name (letter case ignored; a name already taken, by a built-in
 * command for example, is registered but never found), shown as a window
 * action "pm" + name with a menu item "mm" + name at the end of the menu
 * its tag names, listed in the settings' command list, and reachable from
 * the command line through its switch (korvid +h +<switch> FILE runs it
 * unattended, without confirmation). A file action without a caption gets
 * no command unless modele names another action.
 *
 * HANDLERS. All four receive one struct korvid_call, on Korvid's main
 * thread, one at a time. Read its inputs, write its outputs; nothing in it
 * may be kept after the handler returns. Any handler may be null:
 *   on_general_condition  asked once at start-up; set call->visible to 0 to
 *                         hide the command for the whole run. file is null.
 *   on_file_condition     asked often (keep it cheap: read call->file only);
 *                         set call->visible and call->enabled, both preset
 *                         to 1. The command runs only on files it enables.
 *   on_confirmation       write the question to ask before running on
 *                         call->file into call->text (at most
 *                         KORVID_PLUGIN_TEXT_MAX_CHARS bytes are shown);
 *                         leave it empty to run without asking. Not called
 *                         when the user turned confirmations off.
 *   on_execution          does the work on call->file. Set call->update to
 *                         what the list must do afterwards (preset to
 *                         KORVID_UPDATE_NONE), and for KORVID_UPDATE_ADD and
 *                         KORVID_UPDATE_RENAME write the new file's full
 *                         path into call->text. On failure write a text for
 *                         the user into call->error: Korvid shows it (an
 *                         unattended run prints it) and leaves the entry as
 *                         it was. Long work calls call->host->progress now
 *                         and then and stops when it answers nonzero.
 * When the action's modele names another registered action (letter case
 * counts), each null handler is taken from that action.
 *
 * VERSIONS. Every structure starts with its size in bytes. A plug-in sets
 * struct_size of its korvid_file_action to sizeof(struct korvid_file_action)
 * as it was compiled; Korvid reads only the fields that size covers, so
 * fields added at the end in later versions stay optional. The structures
 * Korvid hands in carry their own struct_size: check it before reading a
 * field added after KORVID_PLUGIN_ABI_VERSION 1 (korvid_host's warn came
 * with version 2).
 *
 * ZERO MEANS UNSET in everything added from version 3 on: a new field, a
 * new export's answer or a new enumeration uses 0 for "not given" (new
 * enumerations start at 1), so a zeroed structure asks for nothing. The
 * enumerations below came before that rule and keep their values, 0
 * included (KORVID_UPDATE_NONE, KORVID_MENU_FILES), because older plug-ins
 * send them.
 *
 * SIZES. The structures keep the sizes they have had since version 1; on
 * a 64-bit system the assertions at the end of this file check them.
 */
#ifndef KORVID_PLUGIN_H
#define KORVID_PLUGIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define KORVID_PLUGIN_TYPE "korvid_0005"
#define KORVID_PLUGIN_ABI_VERSION 3
#define KORVID_PLUGIN_MIN_ABI_VERSION 1
#define KORVID_PLUGIN_TEXT_BUFFER_BYTES 65537
#define KORVID_PLUGIN_TEXT_MAX_CHARS 255
#define KORVID_PLUGIN_MAX_ACTIONS 256

#if defined(__GNUC__)
#define KORVID_PLUGIN_EXPORT __attribute__((visibility("default")))
#else
#define KORVID_PLUGIN_EXPORT
#endif

/* What the video list does with the entry after an execution. */
enum korvid_update_type {
  KORVID_UPDATE_NONE = 0,   /* nothing changes */
  KORVID_UPDATE_ADD = 1,    /* the file in call->text joins the list */
  KORVID_UPDATE_DELETE = 2, /* the entry leaves the list */
  KORVID_UPDATE_MODIFY = 3, /* the entry's file is analysed again */
  KORVID_UPDATE_RENAME = 4  /* the entry is analysed again under call->text */
};

/* The top-level menu a file action's tag names. */
enum korvid_menu {
  KORVID_MENU_FILES = 0,
  KORVID_MENU_VIDEO = 1,
  KORVID_MENU_RENAME = 2,
  KORVID_MENU_CONVERT = 3,
  KORVID_MENU_SCENES = 4,
  KORVID_MENU_HELP = 5
};

/* TV systems of struct korvid_file_info. */
enum korvid_tv_system { KORVID_TV_UNKNOWN = 0, KORVID_TV_NTSC = 1, KORVID_TV_PAL = 2 };

/* A recording date and time as the camcorder wrote it; local, no zone. */
struct korvid_date_time {
  int32_t year; /* 0 when there is none */
  int32_t month;
  int32_t day;
  int32_t hour;
  int32_t minute;
  int32_t second;
};

/* Private data of a file action, handed to each of its handlers as a
 * copy. Korvid never looks inside data. */
struct korvid_param {
  char key[KORVID_PLUGIN_TEXT_MAX_CHARS + 1];
  int32_t data_size;
  void *data;
};

/* What Korvid knows about one listed file (read only). Texts are the ones
 * the list shows; numbers are 0 when unknown. */
struct korvid_file_info {
  uint32_t struct_size;
  const char *full_name;     /* absolute path */
  const char *name;          /* file name without folder */
  uint64_t size_bytes;
  int32_t read_only;         /* nonzero when nobody may write the file */
  int32_t has_datecode;      /* nonzero when datecode holds the first frame's */
  struct korvid_date_time datecode;
  const char *datecode_text; /* with the user's display format */
  const char *timecode_text;
  const char *codec;         /* stream handler code, e.g. "dvsd" */
  int32_t is_dv;
  int32_t dv_type;           /* 1 or 2 for DV, else 0 */
  int32_t tv_system;         /* enum korvid_tv_system */
  int32_t width;
  int32_t height;
  uint64_t frames;           /* video frames */
  double fps;
  double duration_seconds;
  int32_t sample_rate;       /* of the first sound stream */
  int32_t bits_per_sample;
  int32_t has_scene_file;    /* nonzero when full_name with ".scn" exists */
};

/* What Korvid does for a running handler. Call only during the handler. */
struct korvid_host {
  uint32_t struct_size;
  void *context; /* pass back unchanged */
  /* Shows percent (0..100) on the progress gauge and lets the window
   * handle input. Returns nonzero when the user asked to stop: clean up,
   * write why into call->error if anything is left unfinished, return. */
  int32_t (*progress)(void *context, int32_t percent);
  /* Moves the finished file at written (a full path) to a new name in the
   * same folder: the datecode formatted with the user's renaming format,
   * its extension kept, followed by "(1)", "(2)"... when the name is taken.
   * Never replaces a file. On success returns 0 and writes the new full
   * path into out; on failure returns nonzero, writes a text for the user
   * into out and leaves the file where it was. */
  int32_t (*move_to_datecode_name)(void *context, const char *written, const struct korvid_date_time *datecode,
                                   char *out, uint32_t out_bytes);
  /* Version 2. Tells the user something about work that succeeded all
   * the same (damaged input mended, for example): a warning in the window,
   * a line on standard error in an unattended run. */
  void (*warn)(void *context, const char *text);
};

/* One call of a handler: its inputs and its outputs. */
struct korvid_call {
  uint32_t struct_size;
  const struct korvid_param *param;     /* a copy of the action's param */
  const struct korvid_file_info *file;  /* null for on_general_condition */
  const struct korvid_host *host;
  int32_t visible;                      /* conditions: preset to 1 */
  int32_t enabled;
  int32_t update;                       /* execution: enum korvid_update_type */
  char *text;                           /* question, or the new file's path */
  uint32_t text_bytes;                  /* KORVID_PLUGIN_TEXT_BUFFER_BYTES, text preset to "" */
  char *error;                          /* execution: why it failed, preset to "" */
  uint32_t error_bytes;
};

typedef void (*korvid_handler)(struct korvid_call *call);

/* One command of a plug-in. Texts may be null for none; at most
 * KORVID_PLUGIN_TEXT_MAX_CHARS bytes of each are used. */
struct korvid_file_action {
  uint32_t struct_size;      /* sizeof(struct korvid_file_action) */
  const char *name;          /* unique, not empty */
  const char *caption;       /* the command's caption */
  const char *mono_message;  /* status text while it runs; one "%s" becomes the file name */
  const char *shortcut;      /* e.g. "Ctrl+Shift+K", "F7" */
  const char *switch_text;   /* command-line switch letter(s) */
  const char *modele;        /* action whose handlers fill the null ones */
  int32_t tag;               /* enum korvid_menu */
  struct korvid_param param;
  korvid_handler on_confirmation;
  korvid_handler on_execution;
  korvid_handler on_file_condition;
  korvid_handler on_general_condition;
};

/* The six exports, as Korvid looks them up. */
typedef void (*korvid_get_text_fn)(char *buffer, int32_t size);
typedef void (*korvid_get_version_fn)(int32_t *version);
typedef void (*korvid_get_count_fn)(int32_t *count);
typedef void (*korvid_get_action_fn)(int32_t index, const struct korvid_file_action **action);

#if defined(__cplusplus)
#define KORVID_PLUGIN_SIZE_CHECK(type, bytes) static_assert(sizeof(type) == (bytes), #type " changed its size")
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define KORVID_PLUGIN_SIZE_CHECK(type, bytes) _Static_assert(sizeof(type) == (bytes), #type " changed its size")
#endif
/* The sizes on a system with 64-bit pointers and 8-byte alignment of
 * doubles and 64-bit integers (x86-64, AArch64). */
#if defined(KORVID_PLUGIN_SIZE_CHECK) && defined(__LP64__)
KORVID_PLUGIN_SIZE_CHECK(struct korvid_date_time, 24);
KORVID_PLUGIN_SIZE_CHECK(struct korvid_param, 272);
KORVID_PLUGIN_SIZE_CHECK(struct korvid_file_info, 152);
KORVID_PLUGIN_SIZE_CHECK(struct korvid_host, 40);
KORVID_PLUGIN_SIZE_CHECK(struct korvid_call, 80);
KORVID_PLUGIN_SIZE_CHECK(struct korvid_file_action, 368);
#endif
#undef KORVID_PLUGIN_SIZE_CHECK

#ifdef __cplusplus
}
#endif

#endif /* KORVID_PLUGIN_H */
