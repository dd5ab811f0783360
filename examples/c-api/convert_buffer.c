/*
 * Reads a marked-up text into memory and converts that buffer to HTML and
 * to PDF through libkolvo: the HTML into a buffer the library allocates,
 * the PDF through a write callback into a file. Warnings arrive through a
 * callback; failures as a status and a message.
 *
 *   cc convert_buffer.c $(pkg-config --cflags --libs kolvo) -o convert_buffer
 *   ./convert_buffer ../letter.txt letter.html letter.pdf
 */
#include <kolvo/kolvo.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The text to convert, as a program would hold it. */
struct text {
  char* bytes;
  size_t size;
};

/* Reads the whole file at `path`; 0 on success. */
static int read_text(const char* path, struct text* text) {
  FILE* file = fopen(path, "rb");
  size_t capacity = 4096;
  text->size = 0;
  text->bytes = malloc(capacity);
  if (file == NULL || text->bytes == NULL) {
    if (file != NULL) fclose(file);
    return -1;
  }
  for (;;) {
    size_t got = fread(text->bytes + text->size, 1, capacity - text->size, file);
    text->size += got;
    if (got == 0) break;
    if (text->size == capacity) {
      char* larger = realloc(text->bytes, capacity * 2);
      if (larger == NULL) {
        fclose(file);
        return -1;
      }
      text->bytes = larger;
      capacity *= 2;
    }
  }
  if (ferror(file) || fclose(file) != 0) return -1;
  return 0;
}

static void show_message(kolvo_message_kind kind, const char* text, size_t length, void* user) {
  (void)user;
  if (kind == KOLVO_MESSAGE_WARNING) fprintf(stderr, "warning: %.*s\n", (int)length, text);
}

static int write_to_file(const void* data, size_t size, void* user) {
  return fwrite(data, 1, size, (FILE*)user) == size ? 0 : -1;
}

/* Prints the error's message and frees it; returns 1 for main. */
static int report(const char* what, kolvo_error* error) {
  fprintf(stderr, "%s: %s (status %d)\n", what, kolvo_error_message(error),
          (int)kolvo_error_status(error));
  kolvo_error_free(error);
  return 1;
}

static int to_html(kolvo_options* options, const struct text* letter, const char* path) {
  kolvo_error* error = NULL;
  char* html = NULL;
  size_t size = 0;
  FILE* file;
  if (kolvo_options_set_format(options, "html", &error) != KOLVO_OK) return report("format", error);
  if (kolvo_convert_buffer_to_buffer(options, letter->bytes, letter->size, &html, &size, &error) !=
      KOLVO_OK) {
    return report("html", error);
  }
  file = fopen(path, "wb");
  if (file == NULL || fwrite(html, 1, size, file) != size) {
    perror(path);
    kolvo_free(html);
    if (file != NULL) fclose(file);
    return 1;
  }
  kolvo_free(html);
  return fclose(file) == 0 ? 0 : 1;
}

static int to_pdf(kolvo_options* options, const struct text* letter, const char* path) {
  kolvo_error* error = NULL;
  FILE* file;
  kolvo_status status;
  if (kolvo_options_set_format(options, "pdf", &error) != KOLVO_OK ||
      kolvo_options_set(options, "--paper", "a4", &error) != KOLVO_OK ||
      kolvo_options_set(options, "--title", "A letter", &error) != KOLVO_OK) {
    return report("options", error);
  }
  file = fopen(path, "wb");
  if (file == NULL) {
    perror(path);
    return 1;
  }
  status = kolvo_convert_buffer(options, letter->bytes, letter->size, write_to_file, file, &error);
  if (fclose(file) != 0 && status == KOLVO_OK) {
    perror(path);
    return 1;
  }
  return status == KOLVO_OK ? 0 : report("pdf", error);
}

int main(int argc, char** argv) {
  kolvo_options* options;
  struct text letter;
  int failed;
  if (argc != 4) {
    fprintf(stderr, "usage: %s TEXT-FILE HTML-FILE PDF-FILE\n", argv[0]);
    return 2;
  }
  if (read_text(argv[1], &letter) != 0) {
    perror(argv[1]);
    free(letter.bytes);
    return 1;
  }
  if (strcmp(kolvo_version(), KOLVO_VERSION_STRING) != 0) {
    fprintf(stderr, "built with libkolvo %s, running with %s\n", KOLVO_VERSION_STRING,
            kolvo_version());
  }
  options = kolvo_options_new();
  if (options == NULL) {
    free(letter.bytes);
    return 1;
  }
  /* A fixed date keeps the PDF the same from run to run. */
  kolvo_options_set_date(options, 1767225600LL, NULL);
  kolvo_options_set_message_callback(options, show_message, NULL, NULL);
  failed = to_html(options, &letter, argv[2]) || to_pdf(options, &letter, argv[3]);
  kolvo_options_free(options);
  free(letter.bytes);
  return failed;
}
