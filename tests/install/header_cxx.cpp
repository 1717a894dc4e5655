// The public header compiles as C++ and its functions have C linkage.
#include <korva/korva.h>

extern "C" KRVenv (*const open_env)(int*) = KRVopenKORVA;
