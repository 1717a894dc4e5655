/* A C99 application built against the installed library. */
#include <stdio.h>

#include <korva/korva.h>

int main(void) {
  int status = -1;
  char buffer[KRV_MESSAGEBUFSIZE];
  KRVenv env = KRVopenKORVA(&status);
  if (env == NULL || status != 0) return 1;
  if (KRVgeterrorstring(env, 1001, buffer) == NULL) return 2;
  fputs(buffer, stdout);
  if (KRVcloseKORVA(&env) != 0 || env != NULL) return 3;
  return 0;
}
