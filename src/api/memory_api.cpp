// Pass-throughs to the library's allocator and C runtime, so that callers
// can share memory and file handles with the library. Null arguments, which
// the C runtime would crash on, are refused quietly.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "env/memory.h"
#include "korva/korva.h"

extern "C" {

void *KRVmalloc(size_t size) { return korva::lib_alloc(size); }
void *KRVrealloc(void *ptr, size_t size) { return korva::lib_realloc(ptr, size); }
void KRVfree(void *ptr) { korva::lib_free(&ptr); }

void *KRVmemcpy(void *dest, const void *src, size_t n) {
  if (n == 0 || !dest || !src) return dest;
  return std::memcpy(dest, src, n);
}

size_t KRVstrlen(const char *s) { return s ? std::strlen(s) : 0; }

char *KRVstrcpy(char *dest, const char *src) {
  if (!dest || !src) return dest;
  return std::strcpy(dest, src);
}

int KRVputenv(char *envsetting) { return envsetting ? putenv(envsetting) : -1; }

FILE *KRVfopen(const char *filename, const char *mode) {
  if (!filename || !mode) return nullptr;
  return std::fopen(filename, mode);
}

int KRVfclose(FILE *stream) { return stream ? std::fclose(stream) : EOF; }

int KRVfputs(const char *s, FILE *stream) {
  if (!s || !stream) return EOF;
  return std::fputs(s, stream);
}

}  // extern "C"
