/* A progress line of one's own for a MIP search, and an early stop.

   The informational callback is called at every step of the search. It
   reads the search's figures with KRVgetcallbackinfo, prints a line when
   the incumbent improved or a second passed, and asks the search to stop
   (a non-zero return) once the relative gap is at most the target.

   Usage: mip_progress MODEL [gap]   (gap defaults to 0.01, that is 1%) */
#include <korva/korva.h>

#include <stdio.h>
#include <stdlib.h>

typedef struct {
  double target_gap;
  double last_print;
  double last_incumbent;
  int lines;
} Progress;

static int progress_callback(KRVenv env, void *cbdata, int wherefrom, void *cbhandle) {
  Progress *p = (Progress *)cbhandle;
  if (wherefrom != KRV_CALLBACK_MIP) return 0;
  long long nodes = 0, left = 0;
  int has_incumbent = 0;
  double incumbent = 0.0, bound = 0.0, gap = 1e75, now = 0.0;
  if (KRVgetcallbackinfo(env, cbdata, wherefrom, KRV_CALLBACK_INFO_NODE_COUNT_LONG, &nodes) ||
      KRVgetcallbackinfo(env, cbdata, wherefrom, KRV_CALLBACK_INFO_NODES_LEFT_LONG, &left) ||
      KRVgetcallbackinfo(env, cbdata, wherefrom, KRV_CALLBACK_INFO_MIP_FEAS, &has_incumbent) ||
      KRVgetcallbackinfo(env, cbdata, wherefrom, KRV_CALLBACK_INFO_BEST_REMAINING, &bound) ||
      KRVgettime(env, &now))
    return 1;
  if (has_incumbent) {
    KRVgetcallbackinfo(env, cbdata, wherefrom, KRV_CALLBACK_INFO_BEST_INTEGER, &incumbent);
    KRVgetcallbackinfo(env, cbdata, wherefrom, KRV_CALLBACK_INFO_MIP_REL_GAP, &gap);
  }
  int improved = has_incumbent && (p->lines == 0 || incumbent != p->last_incumbent);
  if (improved || now - p->last_print >= 1.0) {
    if (has_incumbent)
      printf("%10lld nodes %10lld left   best %14.6g   bound %14.6g   gap %7.3f%%\n", nodes, left, incumbent, bound,
             100.0 * gap);
    else
      printf("%10lld nodes %10lld left   best %14s   bound %14.6g\n", nodes, left, "-", bound);
    fflush(stdout);
    p->last_print = now;
    p->last_incumbent = incumbent;
    ++p->lines;
  }
  /* Close enough: stop the search (it ends with status 113). */
  return has_incumbent && gap <= p->target_gap;
}

int main(int argc, char **argv) {
  if (argc < 2) {
    fprintf(stderr, "Usage: %s MODEL [gap]\n", argv[0]);
    return 1;
  }
  Progress p = {argc > 2 ? atof(argv[2]) : 0.01, -1e30, 0.0, 0};
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  if (!env) return 1;
  KRVprob lp = KRVcreateprob(env, &status, "model");
  if (!lp || (status = KRVreadcopyprob(env, lp, argv[1], NULL)) ||
      (status = KRVsetinfocallbackfunc(env, progress_callback, &p)) || (status = KRVmipopt(env, lp))) {
    fprintf(stderr, "Failed with error %d.\n", status);
    KRVfreeprob(env, &lp);
    KRVcloseKORVA(&env);
    return 1;
  }
  double objective = 0.0, gap = 0.0;
  int solved = KRVgetobjval(env, lp, &objective) == 0;
  KRVgetmiprelgap(env, lp, &gap);
  char text[KRV_MESSAGEBUFSIZE];
  printf("%s\n", KRVgetstatstring(env, KRVgetstat(env, lp), text));
  if (solved) printf("Objective %.10g, gap %.3f%%\n", objective, 100.0 * gap);
  KRVfreeprob(env, &lp);
  KRVcloseKORVA(&env);
  return 0;
}
