/*
 * libkolvo: Kolvo's conversions inside another program.
 *
 * A conversion is described by a kolvo_options handle, set with the words
 * of the command line: FORMAT and OPTION as the program takes them, and
 * each long option by its name and value (kolvo_options_set). The program
 * reads its own command line through the same table, so a setting means
 * the same in both. The input is a memory buffer or a file descriptor; the
 * document goes to a write callback or into a buffer the library allocates.
 *
 * Every call returns a kolvo_status. On failure, a call given a non-null
 * `error` stores there a kolvo_error holding the status and the message a
 * user would see (the program prints the same text); free it with
 * kolvo_error_free. Nothing is kept in global state: a handle belongs to
 * the caller, and separate handles may be used from separate threads at
 * once. Conversions only read their options, so one handle may also serve
 * several threads that leave it unchanged while they convert. Warnings are
 * never printed: they reach the message callback, if one is set.
 *
 * The ABI is versioned by KOLVO_VERSION_MAJOR (the shared library's
 * soname, libkolvo.so.MAJOR): within one major version functions are only
 * added, and the status and message kind values keep their numbers.
 * This header is C99 and C++ alike.
 */
#ifndef KOLVO_KOLVO_H
#define KOLVO_KOLVO_H

#include <stddef.h>

#include "kolvo/kolvo_version.h"

/* What the shared library exports: these functions and nothing else. */
#if defined(__GNUC__) || defined(__clang__)
#define KOLVO_API __attribute__((visibility("default")))
#else
#define KOLVO_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* What a call came to. New codes may be added within a major version. */
typedef enum kolvo_status {
  KOLVO_OK = 0,
  KOLVO_ERROR_USAGE = 1,   /* a null or wrong argument: format, option name or value */
  KOLVO_ERROR_INPUT = 2,   /* the input could not be read */
  KOLVO_ERROR_OUTPUT = 3,  /* the write callback reported a failure */
  KOLVO_ERROR_MEMORY = 4,  /* out of memory */
  KOLVO_ERROR_FONT = 5,    /* a --font file cannot be used */
  KOLVO_ERROR_INTERNAL = 6 /* a fault of Kolvo's own */
} kolvo_status;

/* A failure's status and message, allocated by the library. */
typedef struct kolvo_error kolvo_error;

/* How a conversion is made; created, set and freed by the caller. */
typedef struct kolvo_options kolvo_options;

/* The kinds of text the message callback receives. */
typedef enum kolvo_message_kind {
  /* One warning, as the program prints it after "kolvo: warning: ",
     without a line feed: the conversion went on. */
  KOLVO_MESSAGE_WARNING = 0,
  /* The version line and progress trace that the OPTION words -V and -v
     ask for, as bytes the program writes to its console. */
  KOLVO_MESSAGE_TRACE = 1
} kolvo_message_kind;

/* Receives `length` bytes at `text` (not NUL-terminated). */
typedef void (*kolvo_message_fn)(kolvo_message_kind kind, const char* text, size_t length,
                                 void* user);

/* Receives the next `size` bytes of the document. Returns 0 when it has
   taken them; anything else stops the conversion with KOLVO_ERROR_OUTPUT. */
typedef int (*kolvo_write_fn)(const void* data, size_t size, void* user);

/* The library's version, "MAJOR.MINOR.PATCH"; compare it with
   KOLVO_VERSION_STRING to see which library a program runs with. */
KOLVO_API const char* kolvo_version(void);

/* --- errors --- */
KOLVO_API kolvo_status kolvo_error_status(const kolvo_error* error);
/* The message, UTF-8 with the user's bytes made printable; never null. */
KOLVO_API const char* kolvo_error_message(const kolvo_error* error);
KOLVO_API void kolvo_error_free(kolvo_error* error);

/* --- options --- */
/* New options: AbiWord, no OPTION, no long option; null when out of memory. */
KOLVO_API kolvo_options* kolvo_options_new(void);
KOLVO_API void kolvo_options_free(kolvo_options* options);

/* FORMAT as the command line takes it: a format's name or extension in
   any case ("pdf", "HTML", "tex"), else its second character ("-P"). */
KOLVO_API kolvo_status kolvo_options_set_format(kolvo_options* options, const char* format,
                                                kolvo_error** error);

/* OPTION as the command line takes it: its second character counts
   ("-s", "-t", "-T", "-v", "-V"); any other word means none. */
KOLVO_API kolvo_status kolvo_options_set_option(kolvo_options* options, const char* option,
                                                kolvo_error** error);

/* A long option that changes the conversion, by its name ("--paper" or
   "paper") and its value (null for an option that takes none): the
   settings of `kolvo --help`, such as --escape, --paper SIZE, --font FILE,
   --encoding NAME, --margins, --header, --title, --quiet and their --no-
   forms. "--name=value" with a null value is read as the command line
   reads it. Commands and tasks (--help, --check) are usage errors. */
KOLVO_API kolvo_status kolvo_options_set(kolvo_options* options, const char* name,
                                         const char* value, kolvo_error** error);

/* The input's name in messages and the header's %f; "-" (the default)
   shows as "standard input" and "stdin". */
KOLVO_API kolvo_status kolvo_options_set_input_name(kolvo_options* options, const char* name,
                                                    kolvo_error** error);

/* The date typed documents and metadata name, in seconds since 1970
   (up to 9999-12-31), or KOLVO_DATE_NONE for none, or KOLVO_DATE_NOW for
   the time of each conversion (the default). The library reads no
   SOURCE_DATE_EPOCH: the program passes its value here. */
#define KOLVO_DATE_NOW (-1LL)
#define KOLVO_DATE_NONE (-2LL)
KOLVO_API kolvo_status kolvo_options_set_date(kolvo_options* options, long long seconds,
                                              kolvo_error** error);

/* Where warnings and the trace go; a null callback drops them (the
   default). Called on the converting thread, during the conversion. */
KOLVO_API kolvo_status kolvo_options_set_message_callback(kolvo_options* options,
                                                          kolvo_message_fn callback, void* user,
                                                          kolvo_error** error);

/* Checks what a conversion checks before it reads a byte: the page design
   fits the paper, and the --font files can be used (typed PostScript and
   PDF). A conversion checks it again. */
KOLVO_API kolvo_status kolvo_options_validate(const kolvo_options* options, kolvo_error** error);

/* --- conversions --- */
/* `size` bytes at `input` to `write`. */
KOLVO_API kolvo_status kolvo_convert_buffer(const kolvo_options* options, const void* input,
                                            size_t size, kolvo_write_fn write, void* user,
                                            kolvo_error** error);

/* Everything readable from `fd` (not closed) to `write`. Input that must be
   read twice (typed PostScript and PDF with fallback fonts, typed LaTeX)
   and is no regular file is first copied to a nameless temporary file. */
KOLVO_API kolvo_status kolvo_convert_fd(const kolvo_options* options, int fd, kolvo_write_fn write,
                                        void* user, kolvo_error** error);

/* The same into a buffer: on success *output holds *output_size bytes and
   a NUL after them, to be freed with kolvo_free; on failure it is null. */
KOLVO_API kolvo_status kolvo_convert_buffer_to_buffer(const kolvo_options* options,
                                                      const void* input, size_t size,
                                                      char** output, size_t* output_size,
                                                      kolvo_error** error);
KOLVO_API kolvo_status kolvo_convert_fd_to_buffer(const kolvo_options* options, int fd,
                                                  char** output, size_t* output_size,
                                                  kolvo_error** error);

/* Frees a buffer the library allocated; null is allowed. */
KOLVO_API void kolvo_free(void* buffer);

#ifdef __cplusplus
}
#endif

#endif /* KOLVO_KOLVO_H */
