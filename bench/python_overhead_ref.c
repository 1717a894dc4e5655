/* The C side of bench/python_binding_bench.py: the same work the Python
   binding does, called directly, so the difference is the binding's cost.
     python_overhead_ref tiny N            N tiny LPs created, solved, freed
     python_overhead_ref build N M NZ      one KRVLcopylp of a generated matrix
     python_overhead_ref file MODEL        copy a model's arrays into a fresh
                                           problem and solve it
   Prints the seconds spent in the timed part. */
#include <korva/korva.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + 1e-9 * t.tv_nsec;
}

static int tiny(KRVenv env, long n) {
  double obj[2] = {-1, -2}, rhs[2] = {4, 1}, lb[2] = {0, 0}, ub[2] = {3, 1e20}, val[4] = {1, 1, 1, -1};
  long long beg[2] = {0, 2};
  int cnt[2] = {2, 2}, ind[4] = {0, 1, 0, 1}, status = 0;
  double x[2], objval;
  for (long k = 0; k < n; ++k) {
    KRVprob lp = KRVcreateprob(env, &status, "tiny");
    if (!lp) return status;
    if ((status = KRVLcopylp(env, lp, 2, 2, 1, obj, rhs, "LL", beg, cnt, ind, val, lb, ub, NULL))) return status;
    if ((status = KRVlpopt(env, lp))) return status;
    if ((status = KRVgetobjval(env, lp, &objval)) || (status = KRVgetx(env, lp, x, 0, 1))) return status;
    KRVfreeprob(env, &lp);
  }
  return 0;
}

/* Column j holds rows (j * 7 + k * 13) % m for k < nz / n; the Python side
   builds the same matrix. */
static int build(KRVenv env, int n, int m, long long nz, double* seconds) {
  int per = (int)(nz / n), status = 0;
  long long total = (long long)per * n;
  long long* beg = malloc(sizeof *beg * n);
  int* cnt = malloc(sizeof *cnt * n);
  int* ind = malloc(sizeof *ind * total);
  double *val = malloc(sizeof *val * total), *obj = calloc(n, sizeof *obj), *rhs = calloc(m, sizeof *rhs);
  double *lb = calloc(n, sizeof *lb), *ub = malloc(sizeof *ub * n);
  char* sense = malloc(m);
  memset(sense, 'L', m);
  for (int j = 0; j < n; ++j) ub[j] = 1e20;
  for (int j = 0; j < n; ++j) {
    beg[j] = (long long)j * per;
    cnt[j] = per;
    for (int k = 0; k < per; ++k) {
      ind[beg[j] + k] = (int)(((long long)j * 7 + (long long)k * 13) % m);
      val[beg[j] + k] = 1.0 + k;
    }
  }
  KRVprob lp = KRVcreateprob(env, &status, "big");
  double t = now();
  status = KRVLcopylp(env, lp, n, m, 1, obj, rhs, sense, beg, cnt, ind, val, lb, ub, NULL);
  *seconds = now() - t;
  KRVfreeprob(env, &lp);
  free(lb); free(ub); free(beg); free(cnt); free(ind); free(val); free(obj); free(rhs); free(sense);
  return status;
}

static int from_file(KRVenv env, const char* path, double* seconds) {
  int status = 0;
  KRVprob src = KRVcreateprob(env, &status, "src");
  if ((status = KRVreadcopyprob(env, src, path, NULL))) return status;
  int n = KRVgetnumcols(env, src), m = KRVgetnumrows(env, src);
  long long nz = KRVLgetnumnz(env, src), got = 0, surplus = 0;
  long long* beg = malloc(sizeof *beg * (n + 1));
  int *cnt = malloc(sizeof *cnt * n), *ind = malloc(sizeof *ind * (nz + 1));
  double *val = malloc(sizeof *val * (nz + 1)), *obj = malloc(sizeof *obj * n), *lb = malloc(sizeof *lb * n),
         *ub = malloc(sizeof *ub * n), *rhs = malloc(sizeof *rhs * m), *x = malloc(sizeof *x * n);
  char* sense = malloc(m + 1);
  KRVLgetcols(env, src, &got, beg, ind, val, nz, &surplus, 0, n - 1);
  beg[n] = got;
  for (int j = 0; j < n; ++j) cnt[j] = (int)(beg[j + 1] - beg[j]);
  KRVgetobj(env, src, obj, 0, n - 1);
  KRVgetlb(env, src, lb, 0, n - 1);
  KRVgetub(env, src, ub, 0, n - 1);
  KRVgetrhs(env, src, rhs, 0, m - 1);
  KRVgetsense(env, src, sense, 0, m - 1);
  int objsense = KRVgetobjsen(env, src);
  double objval = 0, t = now();
  KRVprob lp = KRVcreateprob(env, &status, "copy");
  if (!(status = KRVLcopylp(env, lp, n, m, objsense, obj, rhs, sense, beg, cnt, ind, val, lb, ub, NULL)) &&
      !(status = KRVlpopt(env, lp)))
    status = KRVgetobjval(env, lp, &objval) || KRVgetx(env, lp, x, 0, n - 1);
  KRVfreeprob(env, &lp);
  *seconds = now() - t;
  KRVfreeprob(env, &src);
  free(beg); free(cnt); free(ind); free(val); free(obj); free(lb); free(ub); free(rhs); free(x); free(sense);
  return status;
}

int main(int argc, char** argv) {
  int status = 0;
  double seconds = 0;
  if (argc < 3) return 2;
  KRVenv env = KRVopenKORVA(&status);
  if (!env) return 1;
  if (!strcmp(argv[1], "tiny")) {
    double t = now();
    status = tiny(env, atol(argv[2]));
    seconds = now() - t;
  } else if (!strcmp(argv[1], "build") && argc == 5) {
    /* The first run pays the process's one-time costs; time the second, as
       the Python side times a warm process. */
    status = build(env, atoi(argv[2]), atoi(argv[3]), atoll(argv[4]), &seconds);
    if (!status) status = build(env, atoi(argv[2]), atoi(argv[3]), atoll(argv[4]), &seconds);
  } else if (!strcmp(argv[1], "file")) {
    status = from_file(env, argv[2], &seconds);
    if (!status) status = from_file(env, argv[2], &seconds);
  } else {
    status = 2;
  }
  KRVcloseKORVA(&env);
  if (status) return fprintf(stderr, "status %d\n", status), 1;
  printf("%.6f\n", seconds);
  return 0;
}
