/* Found through find_package(korva); prints the library version. */
#include <stdio.h>

#include <korva/korva.h>

int main(void) {
  int status = -1;
  KRVenv env = KRVopenKORVA(&status);
  if (env == NULL) return 1;
  printf("version %s\n", KRVversion(env));
  return KRVcloseKORVA(&env);
}
