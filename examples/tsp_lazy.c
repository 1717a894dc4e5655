/* A travelling-salesman tour by branch-and-cut with a lazy constraint
   callback.

   The model holds only the degree constraints: every city touches two
   edges of the tour. Integral solutions of that model may fall apart into
   several cycles (subtours); the callback looks at every integral
   candidate, finds its cycles and, when there is more than one, adds for
   each cycle S the subtour elimination constraint

       sum of x(e) over the edges e inside S  <=  |S| - 1.

   The search then only ever accepts single tours.

   Usage: tsp_lazy [cities] [seed] [threads]   (defaults 50, 1, 1)
   Cities are random points on a 1000 x 1000 grid; distances are rounded
   Euclidean. */
#include <korva/korva.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct {
  int n;    /* cities */
  int cuts; /* subtour eliminations added */
} TspData;

/* What one look at a candidate needs. With several threads the callback
   runs in several of them at once, so each call has its own. */
typedef struct {
  int n;
  double *x;      /* the candidate */
  int *component; /* the cycle of each city */
  int *members;
} Cycles;

static int edge_index(int n, int i, int j) {
  if (i > j) {
    int t = i;
    i = j;
    j = t;
  }
  /* Edges (i, j), i < j, in row-major order. */
  return i * n - i * (i + 1) / 2 + (j - i - 1);
}

/* Labels the cycles of the edges x selects; returns how many there are. */
static int label_cycles(const Cycles *d) {
  int n = d->n, count = 0;
  for (int v = 0; v < n; ++v) d->component[v] = -1;
  for (int start = 0; start < n; ++start) {
    if (d->component[start] >= 0) continue;
    /* Depth-first over the chosen edges. */
    int top = 0;
    d->members[top++] = start;
    d->component[start] = count;
    while (top > 0) {
      int v = d->members[--top];
      for (int w = 0; w < n; ++w) {
        if (w == v || d->component[w] >= 0) continue;
        if (d->x[edge_index(n, v, w)] > 0.5) {
          d->component[w] = count;
          d->members[top++] = w;
        }
      }
    }
    ++count;
  }
  return count;
}

static int subtour_callback(KRVenv env, void *cbdata, int wherefrom, void *cbhandle, int *useraction_p) {
  TspData *data = (TspData *)cbhandle;
  int n = data->n, edges = n * (n - 1) / 2, status = 0;
  *useraction_p = KRV_CALLBACK_DEFAULT;
  Cycles d;
  d.n = n;
  d.x = (double *)malloc(sizeof(double) * (size_t)edges);
  d.component = (int *)malloc(sizeof(int) * (size_t)n);
  d.members = (int *)malloc(sizeof(int) * (size_t)n);
  int *ind = (int *)malloc(sizeof(int) * (size_t)edges);
  double *val = (double *)malloc(sizeof(double) * (size_t)edges);
  if (!d.x || !d.component || !d.members || !ind || !val) status = 1001;
  if (status == 0) status = KRVgetcallbacknodex(env, cbdata, wherefrom, d.x, 0, edges - 1);
  int cycles = status == 0 ? label_cycles(&d) : 1;
  for (int c = 0; c < cycles && cycles > 1 && status == 0; ++c) {
    int size = 0, nz = 0;
    for (int v = 0; v < n; ++v)
      if (d.component[v] == c) d.members[size++] = v;
    for (int a = 0; a < size; ++a)
      for (int b = a + 1; b < size; ++b) {
        ind[nz] = edge_index(n, d.members[a], d.members[b]);
        val[nz++] = 1.0;
      }
    status = KRVcutcallbackadd(env, cbdata, wherefrom, nz, size - 1.0, 'L', ind, val, KRV_USECUT_FORCE);
    if (status == 0) __atomic_fetch_add(&data->cuts, 1, __ATOMIC_RELAXED);
  }
  free(d.x);
  free(d.component);
  free(d.members);
  free(ind);
  free(val);
  return status;
}

/* Solves the instance with the given distances (n x n, row-major). The
   tour's length goes to *length, the successor of every city to next[]
   (may be null). Returns 0 or an error code. */
int tsp_lazy_solve(int n, const double *dist, int threads, double *length, int *next, int *cuts) {
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  if (!env) return status;
  KRVprob lp = KRVcreateprob(env, &status, "tsp");
  TspData data = {n, 0};
  Cycles d;
  d.n = n;
  int edges = n * (n - 1) / 2;
  d.component = (int *)malloc(sizeof(int) * (size_t)n);
  d.members = (int *)malloc(sizeof(int) * (size_t)n);
  d.x = (double *)malloc(sizeof(double) * (size_t)edges);
  double *cost = (double *)malloc(sizeof(double) * (size_t)edges);
  double *ub = (double *)malloc(sizeof(double) * (size_t)edges);
  char *ctype = (char *)malloc((size_t)edges);
  int *beg = (int *)malloc(sizeof(int) * (size_t)edges);
  int *ind = (int *)malloc(sizeof(int) * 2 * (size_t)edges);
  double *val = (double *)malloc(sizeof(double) * 2 * (size_t)edges);
  double *rhs = (double *)malloc(sizeof(double) * (size_t)n);
  char *sense = (char *)malloc((size_t)n);
  if (!lp || !d.component || !d.members || !d.x || !cost || !ub || !ctype || !beg || !ind || !val || !rhs ||
      !sense) {
    if (!status) status = 1001;
    goto done;
  }
  for (int i = 0, k = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j, ++k) {
      cost[k] = dist[i * n + j];
      ub[k] = 1.0;
      ctype[k] = 'B';
      beg[k] = 2 * k;
      ind[2 * k] = i;
      ind[2 * k + 1] = j;
      val[2 * k] = val[2 * k + 1] = 1.0;
    }
  for (int i = 0; i < n; ++i) {
    rhs[i] = 2.0;
    sense[i] = 'E';
  }
  /* Degree constraints as rows, the edges as columns. */
  if ((status = KRVnewrows(env, lp, n, rhs, sense, NULL, NULL))) goto done;
  if ((status = KRVaddcols(env, lp, edges, 2 * edges, cost, beg, ind, val, NULL, ub, NULL))) goto done;
  if ((status = KRVcopyctype(env, lp, ctype))) goto done;
  /* The callback speaks of the model's own columns, whatever presolve does. */
  if ((status = KRVsetintparam(env, KRV_PARAM_MIPCBREDLP, 0))) goto done;
  if ((status = KRVsetintparam(env, KRV_PARAM_THREADS, threads))) goto done;
  if ((status = KRVsetlazyconstraintcallbackfunc(env, subtour_callback, &data))) goto done;
  if ((status = KRVmipopt(env, lp))) goto done;
  if ((status = KRVgetobjval(env, lp, length))) goto done;
  if ((status = KRVgetx(env, lp, d.x, 0, edges - 1))) goto done;
  if (label_cycles(&d) != 1) status = 1006; /* never: the callback saw to it */
  if (next) {
    /* Each city has two tour edges; walk the tour from city 0. */
    int prev = -1, v = 0;
    for (int step = 0; step < n; ++step) {
      int w = -1;
      for (int u = 0; u < n && w < 0; ++u)
        if (u != v && u != prev && d.x[edge_index(n, v, u)] > 0.5) w = u;
      if (w < 0) w = 0; /* back to the start */
      next[v] = w;
      prev = v;
      v = w;
    }
  }
  if (cuts) *cuts = data.cuts;
done:
  free(d.component);
  free(d.members);
  free(d.x);
  free(cost);
  free(ub);
  free(ctype);
  free(beg);
  free(ind);
  free(val);
  free(rhs);
  free(sense);
  KRVfreeprob(env, &lp);
  KRVcloseKORVA(&env);
  return status;
}

#ifndef TSP_LAZY_NO_MAIN
int main(int argc, char **argv) {
  int n = argc > 1 ? atoi(argv[1]) : 50;
  unsigned seed = argc > 2 ? (unsigned)atoi(argv[2]) : 1u;
  int threads = argc > 3 ? atoi(argv[3]) : 1;
  if (n < 3) {
    fprintf(stderr, "At least 3 cities.\n");
    return 1;
  }
  double *px = (double *)malloc(sizeof(double) * (size_t)n);
  double *py = (double *)malloc(sizeof(double) * (size_t)n);
  double *dist = (double *)malloc(sizeof(double) * (size_t)n * (size_t)n);
  int *next = (int *)malloc(sizeof(int) * (size_t)n);
  if (!px || !py || !dist || !next) return 1;
  for (int i = 0; i < n; ++i) {
    /* A small linear congruential generator, the same on every platform. */
    seed = seed * 1103515245u + 12345u;
    px[i] = (double)((seed >> 8) % 1000u);
    seed = seed * 1103515245u + 12345u;
    py[i] = (double)((seed >> 8) % 1000u);
  }
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      dist[i * n + j] = floor(sqrt((px[i] - px[j]) * (px[i] - px[j]) + (py[i] - py[j]) * (py[i] - py[j])) + 0.5);
  double length = 0.0;
  int cuts = 0;
  int status = tsp_lazy_solve(n, dist, threads, &length, next, &cuts);
  if (status) {
    fprintf(stderr, "Failed with error %d.\n", status);
    return 1;
  }
  printf("Tour length %.0f with %d subtour eliminations added.\nTour:", length, cuts);
  for (int v = 0, step = 0; step < n; ++step, v = next[v]) printf(" %d", v);
  printf(" 0\n");
  free(px);
  free(py);
  free(dist);
  free(next);
  return 0;
}
#endif
