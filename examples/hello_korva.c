/* The smallest program against the library: open an environment, print the
   version and the text of one error code, close the environment. */
#include <stdio.h>

#include <korva/korva.h>

int main(void) {
  int status = 0;
  char buffer[KRV_MESSAGEBUFSIZE];
  KRVenv env = KRVopenKORVA(&status);
  if (env == NULL) {
    fprintf(stderr, "Could not open an environment (status %d).\n", status);
    return 1;
  }
  printf("Korva version %s\n", KRVversion(env));
  KRVgeterrorstring(env, 1001, buffer);
  printf("Error 1001 reads: %s", buffer);
  KRVcloseKORVA(&env);
  return 0;
}
