// Pass-throughs to the library's allocator and C runtime, so that callers
// can share memory and file handles with the library.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "env/memory.h"
#include "korva/korva.h"

extern "C" {

void *KRVmalloc(size_t size) { return korva::lib_alloc(size); }
void *KRVrealloc(void *ptr, size_t size) { return korva::lib_realloc(ptr, size); }
void KRVfree(void *ptr) { korva::lib_free(&ptr); }
void *KRVmemcpy(void *dest, const void *src, size_t n) { return std::memcpy(dest, src, n); }
size_t KRVstrlen(const char *s) { return std::strlen(s); }
char *KRVstrcpy(char *dest, const char *src) { return std::strcpy(dest, src); }
int KRVputenv(char *envsetting) { return putenv(envsetting); }
FILE *KRVfopen(const char *filename, const char *mode) { return std::fopen(filename, mode); }
int KRVfclose(FILE *stream) { return std::fclose(stream); }
int KRVfputs(const char *s, FILE *stream) { return std::fputs(s, stream); }

}  // extern "C"
