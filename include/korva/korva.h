/*
 * korva.h: the public C interface of the Korva optimisation library.
 *
 * Every function takes an environment first and returns 0 on success or an
 * error code whose text KRVgeterrorstring() gives (getters that return a
 * value say so). Handles are opaque. The header compiles as C99 and as C++.
 *
 * Families: plain names take 32-bit counts and positions; KRVL names take
 * 64-bit positions and nonzero counts (begin arrays, array space, surplus);
 * KRVS names are the plain functions under a second name.
 */
#ifndef KORVA_KORVA_H
#define KORVA_KORVA_H

#include <stddef.h>
#include <stdio.h>

#if defined(KORVA_BUILDING_LIBRARY)
#define KRVAPI __attribute__((visibility("default")))
#else
#define KRVAPI
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* Handles and shared constants                                             */
/* ------------------------------------------------------------------------ */

typedef struct krv_env_s *KRVenv;
typedef struct krv_prob_s *KRVprob;
typedef struct krv_net_s *KRVnet;
typedef struct krv_channel_s *KRVchannel;

#define KRV_INFBOUND 1.0e20
#define KRV_BIGINT 2100000000
#define KRV_BIGLONG 9223372036800000000LL
#define KRV_BIGDBL 1.0e75

/* Objective sense. */
#define KRV_MIN 1
#define KRV_MAX -1

/* Problem types. */
#define KRVPROB_LP 0
#define KRVPROB_MILP 1
#define KRVPROB_FIXEDMILP 3
#define KRVPROB_QP 5
#define KRVPROB_MIQP 7
#define KRVPROB_FIXEDMIQP 8
#define KRVPROB_QCP 10
#define KRVPROB_MIQCP 11
#define KRVPROB_FIXEDMIQCP 13

/* Basis statuses of columns and rows. */
#define KRV_AT_LOWER 0
#define KRV_BASIC 1
#define KRV_AT_UPPER 2
#define KRV_FREE_SUPER 3

/* Parameter types returned by KRVgetparamtype. */
#define KRV_PARAMTYPE_NONE 0
#define KRV_PARAMTYPE_INT 1
#define KRV_PARAMTYPE_DOUBLE 2
#define KRV_PARAMTYPE_STRING 3
#define KRV_PARAMTYPE_LONG 4

/* Size of the buffers that receive error texts, status texts, parameter
   names and string parameter values. */
#define KRV_MESSAGEBUFSIZE 1024
#define KRV_STRBUFSIZE 512

/* ------------------------------------------------------------------------ */
/* Process, environment and memory                                           */
/* ------------------------------------------------------------------------ */

KRVAPI int KRVinitialize(void);
KRVAPI int KRVfinalize(void);

KRVAPI KRVenv KRVopenKORVA(int *status_p);
KRVAPI KRVenv KRVopenKORVAruntime(int *status_p, int serialnum, const char *licenvstring_str);
KRVAPI int KRVcloseKORVA(KRVenv *env_p);
KRVAPI KRVenv KRVparenv(KRVenv env, int *status_p);
KRVAPI int KRVfreeparenv(KRVenv env, KRVenv *child_p);
KRVAPI const char *KRVversion(KRVenv env);
KRVAPI int KRVsetterminate(KRVenv env, volatile int *terminate_p);
KRVAPI int KRVgettime(KRVenv env, double *timestamp_p);
KRVAPI int KRVEgetmaxthreads(KRVenv env);

/* Name providers for rows and columns that have no name of their own; the
   file writers call them with the user handle, the 0-based index and a
   scratch buffer of bufsize bytes, and use the returned text. */
typedef const char *(*KRVnamefunc)(void *userhandle, long long index, char *buffer, size_t bufsize);
KRVAPI int KRVEsetnamefunctions(KRVenv env, void *userhandle, KRVnamefunc colnamefunc,
                                KRVnamefunc rownamefunc, void *userdata1, void *userdata2,
                                void *userdata3);

/* Allocation with the library's allocator (16-byte aligned). */
KRVAPI void *KRVmalloc(size_t size);
KRVAPI void *KRVrealloc(void *ptr, size_t size);
KRVAPI void KRVfree(void *ptr);
KRVAPI void *KRVmemcpy(void *dest, const void *src, size_t n);
KRVAPI size_t KRVstrlen(const char *s);
KRVAPI char *KRVstrcpy(char *dest, const char *src);
KRVAPI int KRVputenv(char *envsetting);
KRVAPI FILE *KRVfopen(const char *filename, const char *mode);
KRVAPI int KRVfclose(FILE *stream);
KRVAPI int KRVfputs(const char *s, FILE *stream);

/* ------------------------------------------------------------------------ */
/* Errors and message channels                                               */
/* ------------------------------------------------------------------------ */

KRVAPI const char *KRVgeterrorstring(KRVenv env, int errcode, char *buffer_str);

typedef void (*KRVmsgfunc)(void *handle, const char *message);

KRVAPI int KRVgetchannels(KRVenv env, KRVchannel *results_p, KRVchannel *warning_p,
                          KRVchannel *error_p, KRVchannel *log_p);
KRVAPI int KRVflushstdchannels(KRVenv env);
KRVAPI KRVchannel KRVaddchannel(KRVenv env);
KRVAPI int KRVdelchannel(KRVenv env, KRVchannel *channel_p);
KRVAPI int KRVdisconnectchannel(KRVenv env, KRVchannel channel);
KRVAPI int KRVflushchannel(KRVenv env, KRVchannel channel);
KRVAPI int KRVaddfpdest(KRVenv env, KRVchannel channel, FILE *fileptr);
KRVAPI int KRVdelfpdest(KRVenv env, KRVchannel channel, FILE *fileptr);
KRVAPI int KRVaddfuncdest(KRVenv env, KRVchannel channel, void *handle, KRVmsgfunc msgfunction);
KRVAPI int KRVdelfuncdest(KRVenv env, KRVchannel channel, void *handle, KRVmsgfunc msgfunction);
KRVAPI int KRVmsg(KRVchannel channel, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
KRVAPI int KRVmsgstr(KRVchannel channel, const char *msg_str);
KRVAPI int KRVsetlogfile(KRVenv env, FILE *fp);
KRVAPI int KRVgetlogfile(KRVenv env, FILE **fp_p);

/* ------------------------------------------------------------------------ */
/* Parameters                                                                */
/* ------------------------------------------------------------------------ */

KRVAPI int KRVsetintparam(KRVenv env, int whichparam, int newvalue);
KRVAPI int KRVsetlongparam(KRVenv env, int whichparam, long long newvalue);
KRVAPI int KRVsetdblparam(KRVenv env, int whichparam, double newvalue);
KRVAPI int KRVsetstrparam(KRVenv env, int whichparam, const char *newvalue_str);
KRVAPI int KRVgetintparam(KRVenv env, int whichparam, int *value_p);
KRVAPI int KRVgetlongparam(KRVenv env, int whichparam, long long *value_p);
KRVAPI int KRVgetdblparam(KRVenv env, int whichparam, double *value_p);
KRVAPI int KRVgetstrparam(KRVenv env, int whichparam, char *value_str);
KRVAPI int KRVinfointparam(KRVenv env, int whichparam, int *defvalue_p, int *minvalue_p,
                           int *maxvalue_p);
KRVAPI int KRVinfolongparam(KRVenv env, int whichparam, long long *defvalue_p,
                            long long *minvalue_p, long long *maxvalue_p);
KRVAPI int KRVinfodblparam(KRVenv env, int whichparam, double *defvalue_p, double *minvalue_p,
                           double *maxvalue_p);
KRVAPI int KRVinfostrparam(KRVenv env, int whichparam, char *defvalue_str);
KRVAPI int KRVgetparamname(KRVenv env, int whichparam, char *name_str);
KRVAPI int KRVgetparamnum(KRVenv env, const char *name_str, int *whichparam_p);
KRVAPI int KRVgetparamtype(KRVenv env, int whichparam, int *paramtype);
KRVAPI int KRVgetchgparam(KRVenv env, int *cnt_p, int *paramnum, int pspace, int *surplus_p);
KRVAPI int KRVsetdefaults(KRVenv env);
KRVAPI int KRVwriteparam(KRVenv env, const char *filename_str);
KRVAPI int KRVEwriteparam(KRVenv env, const char *filename_str);
KRVAPI int KRVreadcopyparam(KRVenv env, const char *filename_str);

/* Public parameter numbers. */
#define KRV_PARAM_ADVIND                     1001
#define KRV_PARAM_AGGFILL                    1002
#define KRV_PARAM_AGGIND                     1003
#define KRV_PARAM_CFILEMUL                   1005
#define KRV_PARAM_CLOCKTYPE                  1006
#define KRV_PARAM_CRAIND                     1007
#define KRV_PARAM_DEPIND                     1008
#define KRV_PARAM_DPRIIND                    1009
#define KRV_PARAM_PRICELIM                   1010
#define KRV_PARAM_EPMRK                      1013
#define KRV_PARAM_EPOPT                      1014
#define KRV_PARAM_EPPER                      1015
#define KRV_PARAM_EPRHS                      1016
#define KRV_PARAM_SIMDISPLAY                 1019
#define KRV_PARAM_ITLIM                      1020
#define KRV_PARAM_ROWREADLIM                 1021
#define KRV_PARAM_NETFIND                    1022
#define KRV_PARAM_COLREADLIM                 1023
#define KRV_PARAM_NZREADLIM                  1024
#define KRV_PARAM_OBJLLIM                    1025
#define KRV_PARAM_OBJULIM                    1026
#define KRV_PARAM_PERIND                     1027
#define KRV_PARAM_PERLIM                     1028
#define KRV_PARAM_PPRIIND                    1029
#define KRV_PARAM_PREIND                     1030
#define KRV_PARAM_REINV                      1031
#define KRV_PARAM_RFILEMUL                   1033
#define KRV_PARAM_SCAIND                     1034
#define KRV_PARAM_SCRIND                     1035
#define KRV_PARAM_SINGLIM                    1037
#define KRV_PARAM_SINGTOL                    1038
#define KRV_PARAM_TILIM                      1039
#define KRV_PARAM_PREDUAL                    1044
#define KRV_PARAM_PREPASS                    1052
#define KRV_PARAM_DATACHECK                  1056
#define KRV_PARAM_REDUCE                     1057
#define KRV_PARAM_PRELINEAR                  1058
#define KRV_PARAM_LPMETHOD                   1062
#define KRV_PARAM_QPMETHOD                   1063
#define KRV_PARAM_WORKDIR                    1064
#define KRV_PARAM_WORKMEM                    1065
#define KRV_PARAM_THREADS                    1067
#define KRV_PARAM_CONFLICTDISPLAY            1074
#define KRV_PARAM_SIFTDISPLAY                1076
#define KRV_PARAM_SIFTALG                    1077
#define KRV_PARAM_SIFTITLIM                  1078
#define KRV_PARAM_MPSLONGNUM                 1081
#define KRV_PARAM_MEMORYEMPHASIS             1082
#define KRV_PARAM_NUMERICALEMPHASIS          1083
#define KRV_PARAM_FEASOPTMODE                1084
#define KRV_PARAM_PARALLELMODE               1109
#define KRV_PARAM_TUNINGMEASURE              1110
#define KRV_PARAM_TUNINGREPEAT               1111
#define KRV_PARAM_TUNINGTILIM                1112
#define KRV_PARAM_TUNINGDISPLAY              1113
#define KRV_PARAM_WRITELEVEL                 1114
#define KRV_PARAM_PERFVAR_RUNS               1121
#define KRV_PARAM_PERFVAR_DISPLAY            1122
#define KRV_PARAM_PERFVAR_MEASURE            1123
#define KRV_PARAM_DETTILIM                   1127
#define KRV_PARAM_FILEENCODING               1129
#define KRV_PARAM_APIENCODING                1130
#define KRV_PARAM_SOLUTIONTARGET             1131
#define KRV_PARAM_CLONELOG                   1132
#define KRV_PARAM_BRDIR                      2001
#define KRV_PARAM_BTTOL                      2002
#define KRV_PARAM_CLIQUES                    2003
#define KRV_PARAM_COEREDIND                  2004
#define KRV_PARAM_COVERS                     2005
#define KRV_PARAM_CUTLO                      2006
#define KRV_PARAM_CUTUP                      2007
#define KRV_PARAM_EPAGAP                     2008
#define KRV_PARAM_EPGAP                      2009
#define KRV_PARAM_EPINT                      2010
#define KRV_PARAM_MIPDISPLAY                 2012
#define KRV_PARAM_MIPINTERVAL                2013
#define KRV_PARAM_INTSOLLIM                  2015
#define KRV_PARAM_NODEFILEIND                2016
#define KRV_PARAM_NODELIM                    2017
#define KRV_PARAM_NODESEL                    2018
#define KRV_PARAM_OBJDIF                     2019
#define KRV_PARAM_MIPORDIND                  2020
#define KRV_PARAM_RELOBJDIF                  2022
#define KRV_PARAM_STARTALG                   2025
#define KRV_PARAM_SUBALG                     2026
#define KRV_PARAM_TRELIM                     2027
#define KRV_PARAM_VARSEL                     2028
#define KRV_PARAM_BNDSTRENIND                2029
#define KRV_PARAM_HEURFREQ                   2031
#define KRV_PARAM_MIPORDTYPE                 2032
#define KRV_PARAM_CUTSFACTOR                 2033
#define KRV_PARAM_RELAXPREIND                2034
#define KRV_PARAM_PRESLVND                   2037
#define KRV_PARAM_BBINTERVAL                 2039
#define KRV_PARAM_FLOWCOVERS                 2040
#define KRV_PARAM_IMPLBD                     2041
#define KRV_PARAM_PROBE                      2042
#define KRV_PARAM_GUBCOVERS                  2044
#define KRV_PARAM_STRONGCANDLIM              2045
#define KRV_PARAM_STRONGITLIM                2046
#define KRV_PARAM_FRACCAND                   2048
#define KRV_PARAM_FRACCUTS                   2049
#define KRV_PARAM_FRACPASS                   2050
#define KRV_PARAM_FLOWPATHS                  2051
#define KRV_PARAM_MIRCUTS                    2052
#define KRV_PARAM_DISJCUTS                   2053
#define KRV_PARAM_AGGCUTLIM                  2054
#define KRV_PARAM_MIPCBREDLP                 2055
#define KRV_PARAM_CUTPASS                    2056
#define KRV_PARAM_MIPEMPHASIS                2058
#define KRV_PARAM_SYMMETRY                   2059
#define KRV_PARAM_DIVETYPE                   2060
#define KRV_PARAM_RINSHEUR                   2061
#define KRV_PARAM_SUBMIPNODELIM              2062
#define KRV_PARAM_LBHEUR                     2063
#define KRV_PARAM_REPEATPRESOLVE             2064
#define KRV_PARAM_PROBETIME                  2065
#define KRV_PARAM_POLISHTIME                 2066
#define KRV_PARAM_REPAIRTRIES                2067
#define KRV_PARAM_EPRELAX                    2073
#define KRV_PARAM_FPHEUR                     2098
#define KRV_PARAM_EACHCUTLIM                 2102
#define KRV_PARAM_SOLNPOOLCAPACITY           2103
#define KRV_PARAM_SOLNPOOLREPLACE            2104
#define KRV_PARAM_SOLNPOOLGAP                2105
#define KRV_PARAM_SOLNPOOLAGAP               2106
#define KRV_PARAM_SOLNPOOLINTENSITY          2107
#define KRV_PARAM_POPULATELIM                2108
#define KRV_PARAM_MIPSEARCH                  2109
#define KRV_PARAM_MIQCPSTRAT                 2110
#define KRV_PARAM_ZEROHALFCUTS               2111
#define KRV_PARAM_POLISHAFTEREPAGAP          2126
#define KRV_PARAM_POLISHAFTEREPGAP           2127
#define KRV_PARAM_POLISHAFTERNODE            2128
#define KRV_PARAM_POLISHAFTERINTSOL          2129
#define KRV_PARAM_POLISHAFTERTIME            2130
#define KRV_PARAM_MCFCUTS                    2134
#define KRV_PARAM_MIPKAPPASTATS              2137
#define KRV_PARAM_AUXROOTTHREADS             2139
#define KRV_PARAM_INTSOLFILEPREFIX           2143
#define KRV_PARAM_BAREPCOMP                  3002
#define KRV_PARAM_BARGROWTH                  3003
#define KRV_PARAM_BAROBJRNG                  3004
#define KRV_PARAM_BARALG                     3007
#define KRV_PARAM_BARCOLNZ                   3009
#define KRV_PARAM_BARDISPLAY                 3010
#define KRV_PARAM_BARITLIM                   3012
#define KRV_PARAM_BARMAXCOR                  3013
#define KRV_PARAM_BARORDER                   3014
#define KRV_PARAM_BARSTARTALG                3017
#define KRV_PARAM_BARCROSSALG                3018
#define KRV_PARAM_BARQCPEPCOMP               3020
#define KRV_PARAM_QPNZREADLIM                4001
#define KRV_PARAM_QPMAKEPSDIND               4010
#define KRV_PARAM_NETITLIM                   5001
#define KRV_PARAM_NETEPOPT                   5002
#define KRV_PARAM_NETEPRHS                   5003
#define KRV_PARAM_NETPPRIIND                 5004
#define KRV_PARAM_NETDISPLAY                 5005

/* ------------------------------------------------------------------------ */
/* Callbacks                                                                 */
/* ------------------------------------------------------------------------ */

/* Informational, MIP informational, LP, network and tuning callbacks. A
   non-zero return asks the running optimiser to stop. */
typedef int (*KRVcallbackfunc)(KRVenv env, void *cbdata, int wherefrom, void *cbhandle);
/* Cut, lazy constraint and user cut callbacks. */
typedef int (*KRVcutcallbackfunc)(KRVenv env, void *cbdata, int wherefrom, void *cbhandle,
                                  int *useraction_p);
/* Branch callbacks: the proposed children (nodecnt of them; child k changes
   the bounds listed at positions nodebeg[k] .. ) and the estimates. */
typedef int (*KRVbranchcallbackfunc)(KRVenv env, void *cbdata, int wherefrom, void *cbhandle,
                                     int brtype, int brset, int nodecnt, int bdcnt,
                                     const int *nodebeg, const int *indices, const char *lu,
                                     const double *bd, const double *nodeest,
                                     int *useraction_p);
typedef int (*KRVnodecallbackfunc)(KRVenv env, void *cbdata, int wherefrom, void *cbhandle,
                                   int *nodeindex_p, int *useraction_p);
typedef int (*KRVheuristiccallbackfunc)(KRVenv env, void *cbdata, int wherefrom, void *cbhandle,
                                        double *objval_p, double *x, int *checkfeas_p,
                                        int *useraction_p);
typedef int (*KRVincumbentcallbackfunc)(KRVenv env, void *cbdata, int wherefrom,
                                        void *cbhandle, double objval, double *x,
                                        int *isfeas_p, int *useraction_p);
typedef int (*KRVsolvecallbackfunc)(KRVenv env, void *cbdata, int wherefrom, void *cbhandle,
                                    int *useraction_p);
typedef void (*KRVdeletenodecallbackfunc)(KRVenv env, int wherefrom, void *cbhandle,
                                          int seqnum, void *nodehandle);
/* Profiling: called with 0 before and 1 after an optimisation. */
typedef void (*KRVprofcallbackfunc)(KRVenv env, int event, void *cbhandle);

KRVAPI int KRVsetmipcallbackfunc(KRVenv env, KRVcallbackfunc callback, void *cbhandle);
KRVAPI int KRVgetmipcallbackfunc(KRVenv env, KRVcallbackfunc *callback_p, void **cbhandle_p);
KRVAPI int KRVsetinfocallbackfunc(KRVenv env, KRVcallbackfunc callback, void *cbhandle);
KRVAPI int KRVgetinfocallbackfunc(KRVenv env, KRVcallbackfunc *callback_p, void **cbhandle_p);
KRVAPI int KRVsetlpcallbackfunc(KRVenv env, KRVcallbackfunc callback, void *cbhandle);
KRVAPI int KRVgetlpcallbackfunc(KRVenv env, KRVcallbackfunc *callback_p, void **cbhandle_p);
KRVAPI int KRVsetnetcallbackfunc(KRVenv env, KRVcallbackfunc callback, void *cbhandle);
KRVAPI int KRVgetnetcallbackfunc(KRVenv env, KRVcallbackfunc *callback_p, void **cbhandle_p);
KRVAPI int KRVsettuningcallbackfunc(KRVenv env, KRVcallbackfunc callback, void *cbhandle);
KRVAPI int KRVgettuningcallbackfunc(KRVenv env, KRVcallbackfunc *callback_p, void **cbhandle_p);
KRVAPI int KRVsetbranchcallbackfunc(KRVenv env, KRVbranchcallbackfunc callback, void *cbhandle);
KRVAPI int KRVgetbranchcallbackfunc(KRVenv env, KRVbranchcallbackfunc *callback_p,
                                    void **cbhandle_p);
KRVAPI int KRVsetbranchnosolncallbackfunc(KRVenv env, KRVbranchcallbackfunc callback,
                                          void *cbhandle);
KRVAPI int KRVgetbranchnosolncallbackfunc(KRVenv env, KRVbranchcallbackfunc *callback_p,
                                          void **cbhandle_p);
KRVAPI int KRVsetcutcallbackfunc(KRVenv env, KRVcutcallbackfunc callback, void *cbhandle);
KRVAPI int KRVgetcutcallbackfunc(KRVenv env, KRVcutcallbackfunc *callback_p, void **cbhandle_p);
KRVAPI int KRVsetlazyconstraintcallbackfunc(KRVenv env, KRVcutcallbackfunc callback,
                                            void *cbhandle);
KRVAPI int KRVgetlazyconstraintcallbackfunc(KRVenv env, KRVcutcallbackfunc *callback_p,
                                            void **cbhandle_p);
KRVAPI int KRVsetusercutcallbackfunc(KRVenv env, KRVcutcallbackfunc callback, void *cbhandle);
KRVAPI int KRVgetusercutcallbackfunc(KRVenv env, KRVcutcallbackfunc *callback_p,
                                     void **cbhandle_p);
KRVAPI int KRVsetnodecallbackfunc(KRVenv env, KRVnodecallbackfunc callback, void *cbhandle);
KRVAPI int KRVgetnodecallbackfunc(KRVenv env, KRVnodecallbackfunc *callback_p,
                                  void **cbhandle_p);
KRVAPI int KRVsetheuristiccallbackfunc(KRVenv env, KRVheuristiccallbackfunc callback,
                                       void *cbhandle);
KRVAPI int KRVgetheuristiccallbackfunc(KRVenv env, KRVheuristiccallbackfunc *callback_p,
                                       void **cbhandle_p);
KRVAPI int KRVsetincumbentcallbackfunc(KRVenv env, KRVincumbentcallbackfunc callback,
                                       void *cbhandle);
KRVAPI int KRVgetincumbentcallbackfunc(KRVenv env, KRVincumbentcallbackfunc *callback_p,
                                       void **cbhandle_p);
KRVAPI int KRVsetsolvecallbackfunc(KRVenv env, KRVsolvecallbackfunc callback, void *cbhandle);
KRVAPI int KRVgetsolvecallbackfunc(KRVenv env, KRVsolvecallbackfunc *callback_p,
                                   void **cbhandle_p);
KRVAPI int KRVsetdeletenodecallbackfunc(KRVenv env, KRVdeletenodecallbackfunc callback,
                                        void *cbhandle);
KRVAPI int KRVgetdeletenodecallbackfunc(KRVenv env, KRVdeletenodecallbackfunc *callback_p,
                                        void **cbhandle_p);
KRVAPI int KRVsetprofcallbackfunc(KRVenv env, KRVprofcallbackfunc callback, void *cbhandle);

/* Where-values of the MIP callbacks (the wherefrom argument). */
#define KRV_CALLBACK_MIP 101                /* search progress (informational) */
#define KRV_CALLBACK_MIP_BRANCH 102         /* branch callback, node LP solved */
#define KRV_CALLBACK_MIP_NODE 103           /* node callback: choosing the next node */
#define KRV_CALLBACK_MIP_HEURISTIC 104
#define KRV_CALLBACK_MIP_SOLVE 105
#define KRV_CALLBACK_MIP_CUT_LOOP 106       /* user cuts during a node's cut rounds */
#define KRV_CALLBACK_MIP_PROBE 107
#define KRV_CALLBACK_MIP_FRACCUT 108
#define KRV_CALLBACK_MIP_DISJCUT 109
#define KRV_CALLBACK_MIP_FLOWMIR 110
#define KRV_CALLBACK_MIP_INCUMBENT_NODESOLN 111
#define KRV_CALLBACK_MIP_BRANCH_NOSOLN 113  /* branch callback, no node LP solution */
#define KRV_CALLBACK_MIP_CUT_LAST 114       /* user cuts, a node's last cut round */
#define KRV_CALLBACK_MIP_CUT_FEAS 115       /* lazy constraints: an integral candidate */
#define KRV_CALLBACK_MIP_CUT_UNBD 116       /* lazy constraints: an unbounded node LP */
#define KRV_CALLBACK_MIP_INCUMBENT_HEURSOLN 117
#define KRV_CALLBACK_MIP_INCUMBENT_USERSOLN 118

/* Items of KRVgetcallbackinfo for the MIP where-values. */
#define KRV_CALLBACK_INFO_PROBLEM 17
#define KRV_CALLBACK_INFO_ENV 19
#define KRV_CALLBACK_INFO_BEST_INTEGER 101
#define KRV_CALLBACK_INFO_BEST_REMAINING 102
#define KRV_CALLBACK_INFO_NODE_COUNT 103
#define KRV_CALLBACK_INFO_NODES_LEFT 104
#define KRV_CALLBACK_INFO_MIP_ITERATIONS 105
#define KRV_CALLBACK_INFO_CUTOFF 106
#define KRV_CALLBACK_INFO_CLIQUE_COUNT 107
#define KRV_CALLBACK_INFO_COVER_COUNT 108
#define KRV_CALLBACK_INFO_MIP_FEAS 109
#define KRV_CALLBACK_INFO_FLOWCOVER_COUNT 110
#define KRV_CALLBACK_INFO_GUBCOVER_COUNT 111
#define KRV_CALLBACK_INFO_IMPLBD_COUNT 112
#define KRV_CALLBACK_INFO_CLONE_NUMBER 113
#define KRV_CALLBACK_INFO_NODE_SEQNUM_CALL 114
#define KRV_CALLBACK_INFO_FRACCUT_COUNT 115
#define KRV_CALLBACK_INFO_NODE_DEPTH_CALL 116
#define KRV_CALLBACK_INFO_DISJCUT_COUNT 117
#define KRV_CALLBACK_INFO_CUTS_ADDED_CALL 118
#define KRV_CALLBACK_INFO_FLOWPATH_COUNT 119
#define KRV_CALLBACK_INFO_MIRCUT_COUNT 120
#define KRV_CALLBACK_INFO_CHILDREN_CALL 121
#define KRV_CALLBACK_INFO_ZEROHALFCUT_COUNT 122
#define KRV_CALLBACK_INFO_CANDIDATE_SOURCE 123
#define KRV_CALLBACK_INFO_THREADS 124
#define KRV_CALLBACK_INFO_MIP_REL_GAP 125
#define KRV_CALLBACK_INFO_MCFCUT_COUNT 126
#define KRV_CALLBACK_INFO_KAPPA_STABLE 127
#define KRV_CALLBACK_INFO_KAPPA_SUSPICIOUS 128
#define KRV_CALLBACK_INFO_KAPPA_UNSTABLE 129
#define KRV_CALLBACK_INFO_KAPPA_ILLPOSED 130
#define KRV_CALLBACK_INFO_KAPPA_MAX 131
#define KRV_CALLBACK_INFO_KAPPA_ATTENTION 132
#define KRV_CALLBACK_INFO_NODE_COUNT_LONG 140
#define KRV_CALLBACK_INFO_NODES_LEFT_LONG 141
#define KRV_CALLBACK_INFO_MIP_ITERATIONS_LONG 142

/* Items of KRVgetcallbackinfo for the continuous optimisers (where-values
   1 to 10); KRV_CALLBACK_INFO_ENV is answered there too. */
#define KRV_CALLBACK_INFO_PRIMAL_OBJ 1      /* double: objective in the user's sense */
#define KRV_CALLBACK_INFO_INFEASIBILITY 2   /* double: sum of the current phase's infeasibilities
                                               (primal for primal simplex, dual for dual simplex) */
#define KRV_CALLBACK_INFO_ITCOUNT 3         /* int: iterations so far */
#define KRV_CALLBACK_INFO_PRIMAL_FEAS 4     /* int: 1 when the basis is primal feasible */
#define KRV_CALLBACK_INFO_DUAL_FEAS 5       /* int: 1 when the basis is dual feasible */
#define KRV_CALLBACK_INFO_ITCOUNT_LONG 6    /* long long: iterations so far */

/* Items of KRVgetcallbacknodeinfo. */
#define KRV_CALLBACK_INFO_NODE_SIINF 201
#define KRV_CALLBACK_INFO_NODE_NIINF 202
#define KRV_CALLBACK_INFO_NODE_ESTIMATE 203
#define KRV_CALLBACK_INFO_NODE_DEPTH 204
#define KRV_CALLBACK_INFO_NODE_OBJVAL 205
#define KRV_CALLBACK_INFO_NODE_TYPE 206
#define KRV_CALLBACK_INFO_NODE_VAR 207
#define KRV_CALLBACK_INFO_NODE_SOS 208
#define KRV_CALLBACK_INFO_NODE_SEQNUM 209
#define KRV_CALLBACK_INFO_NODE_USERHANDLE 210
#define KRV_CALLBACK_INFO_NODE_SEQNUM_LONG 220
#define KRV_CALLBACK_INFO_NODE_DEPTH_LONG 222

/* Items of KRVgetcallbacksosinfo and KRVgetcallbackindicatorinfo. */
#define KRV_CALLBACK_INFO_SOS_TYPE 240        /* char: '1' or '2' */
#define KRV_CALLBACK_INFO_SOS_SIZE 241        /* int: members */
#define KRV_CALLBACK_INFO_SOS_IS_FEASIBLE 242 /* int: 1 when the node's x satisfies the set */
#define KRV_CALLBACK_INFO_SOS_MEMBER_INDEX 244 /* int: column of member `member` */
#define KRV_CALLBACK_INFO_SOS_MEMBER_REFVAL 246 /* double: weight of member `member` */
#define KRV_CALLBACK_INFO_SOS_NUM 247         /* int: number of sets */
#define KRV_CALLBACK_INFO_IC_NUM 260          /* int: number of indicator constraints */
#define KRV_CALLBACK_INFO_IC_IMPLYING_VAR 261 /* int: the indicator column */
#define KRV_CALLBACK_INFO_IC_IMPLIED_VAR 262  /* int: -1 (the implied side is a row) */
#define KRV_CALLBACK_INFO_IC_SENSE 263        /* char */
#define KRV_CALLBACK_INFO_IC_COMPL 264        /* int: 1 when active at 0 */
#define KRV_CALLBACK_INFO_IC_RHS 265          /* double */
#define KRV_CALLBACK_INFO_IC_IS_FEASIBLE 266  /* int: 1 when the node's x satisfies it */

/* Useractions returned through useraction_p. */
#define KRV_CALLBACK_DEFAULT 0
#define KRV_CALLBACK_FAIL 1
#define KRV_CALLBACK_SET 2
#define KRV_CALLBACK_ABORT_CUT_LOOP 3

/* Purge classes of KRVcutcallbackadd. */
#define KRV_USECUT_FORCE 0
#define KRV_USECUT_PURGE 1
#define KRV_USECUT_FILTER 2

/* Queries from inside a callback. cbdata and wherefrom are the arguments
   the callback received; ranges run from begin to end inclusive. */
KRVAPI int KRVgetcallbackinfo(KRVenv env, void *cbdata, int wherefrom, int whichinfo,
                              void *result_p);
KRVAPI int KRVgetcallbacknodeinfo(KRVenv env, void *cbdata, int wherefrom, int nodeindex,
                                  int whichinfo, void *result_p);
KRVAPI int KRVgetcallbacknodelp(KRVenv env, void *cbdata, int wherefrom, KRVprob *nodelp_p);
KRVAPI int KRVgetcallbacklp(KRVenv env, void *cbdata, int wherefrom, KRVprob *lp_p);
KRVAPI int KRVgetcallbacknodex(KRVenv env, void *cbdata, int wherefrom, double *x, int begin,
                               int end);
KRVAPI int KRVgetcallbacknodeobjval(KRVenv env, void *cbdata, int wherefrom, double *objval_p);
KRVAPI int KRVgetcallbacknodestat(KRVenv env, void *cbdata, int wherefrom, int *nodestat_p);
KRVAPI int KRVgetcallbackctype(KRVenv env, void *cbdata, int wherefrom, char *xctype, int begin,
                               int end);
KRVAPI int KRVgetcallbackorder(KRVenv env, void *cbdata, int wherefrom, int *priority,
                               int *direction, int begin, int end);
KRVAPI int KRVgetcallbackpseudocosts(KRVenv env, void *cbdata, int wherefrom, double *uppc,
                                     double *downpc, int begin, int end);
KRVAPI int KRVgetcallbackincumbent(KRVenv env, void *cbdata, int wherefrom, double *x, int begin,
                                   int end);
/* feas[j]: 0 integer-infeasible at the node, 1 feasible, 2 fixed (implied). */
KRVAPI int KRVgetcallbacknodeintfeas(KRVenv env, void *cbdata, int wherefrom, int *feas,
                                     int begin, int end);
KRVAPI int KRVgetcallbackgloballb(KRVenv env, void *cbdata, int wherefrom, double *lb, int begin,
                                  int end);
KRVAPI int KRVgetcallbackglobalub(KRVenv env, void *cbdata, int wherefrom, double *ub, int begin,
                                  int end);
KRVAPI int KRVgetcallbacknodelb(KRVenv env, void *cbdata, int wherefrom, double *lb, int begin,
                                int end);
KRVAPI int KRVgetcallbacknodeub(KRVenv env, void *cbdata, int wherefrom, double *ub, int begin,
                                int end);
/* The constraints of proposed child `which_branch` of a branch callback,
   with the surplus convention of the other row queries. */
KRVAPI int KRVgetcallbackbranchconstraints(KRVenv env, void *cbdata, int wherefrom,
                                           int which_branch, int *cuts_p, int *nzcnt_p,
                                           double *rhs, char *sense, int *rmatbeg,
                                           int *rmatind, double *rmatval, int rmatsz,
                                           int *surplus_p);
KRVAPI int KRVgetcallbackseqinfo(KRVenv env, void *cbdata, int wherefrom, int *seqid_p,
                                 int *parentid_p);
KRVAPI int KRVgetcallbacksosinfo(KRVenv env, void *cbdata, int wherefrom, int sosindex,
                                 int member, int whichinfo, void *result_p);
KRVAPI int KRVgetcallbackindicatorinfo(KRVenv env, void *cbdata, int wherefrom, int iindex,
                                       int whichinfo, void *result_p);

/* Steering from inside a callback. */
KRVAPI int KRVcutcallbackadd(KRVenv env, void *cbdata, int wherefrom, int nzcnt, double rhs,
                             int sense, const int *cutind, const double *cutval,
                             int purgeable);
KRVAPI int KRVcutcallbackaddlocal(KRVenv env, void *cbdata, int wherefrom, int nzcnt,
                                  double rhs, int sense, const int *cutind,
                                  const double *cutval);
KRVAPI int KRVbranchcallbackbranchbds(KRVenv env, void *cbdata, int wherefrom, double nodeest,
                                      int cnt, const int *indices, const char *lu,
                                      const double *bd, void *userhandle, int *seqnum_p);
KRVAPI int KRVbranchcallbackbranchconstraints(KRVenv env, void *cbdata, int wherefrom,
                                              double nodeest, int rcnt, int nzcnt,
                                              const double *rhs, const char *sense,
                                              const int *rmatbeg, const int *rmatind,
                                              const double *rmatval, void *userhandle,
                                              int *seqnum_p);
KRVAPI int KRVbranchcallbackbranchgeneral(KRVenv env, void *cbdata, int wherefrom,
                                          double nodeest, int varcnt, const int *varind,
                                          const char *varlu, const double *varbd, int rcnt,
                                          int nzcnt, const double *rhs, const char *sense,
                                          const int *rmatbeg, const int *rmatind,
                                          const double *rmatval, void *userhandle,
                                          int *seqnum_p);


/* ------------------------------------------------------------------------ */
/* Problem object, LP data, editing and names                                */
/* ------------------------------------------------------------------------ */
/* @MODEL-SECTION@ (problem object functions are declared below this line) */

/* Creation, copying and problem types. */
KRVAPI KRVprob KRVcreateprob(KRVenv env, int *status_p, const char *probname_str);
KRVAPI int KRVfreeprob(KRVenv env, KRVprob *lp_p);
KRVAPI KRVprob KRVcloneprob(KRVenv env, KRVprob lp, int *status_p);
KRVAPI int KRVcopylp(KRVenv env, KRVprob lp, int numcols, int numrows, int objsense,
                     const double *objective, const double *rhs, const char *sense,
                     const int *matbeg, const int *matcnt, const int *matind,
                     const double *matval, const double *lb, const double *ub,
                     const double *rngval);
KRVAPI int KRVLcopylp(KRVenv env, KRVprob lp, int numcols, int numrows, int objsense,
                      const double *objective, const double *rhs, const char *sense,
                      const long long *matbeg, const int *matcnt, const int *matind,
                      const double *matval, const double *lb, const double *ub,
                      const double *rngval);
KRVAPI int KRVScopylp(KRVenv env, KRVprob lp, int numcols, int numrows, int objsense,
                      const double *objective, const double *rhs, const char *sense,
                      const int *matbeg, const int *matcnt, const int *matind,
                      const double *matval, const double *lb, const double *ub,
                      const double *rngval);
KRVAPI int KRVcopylpwnames(KRVenv env, KRVprob lp, int numcols, int numrows, int objsense,
                           const double *objective, const double *rhs, const char *sense,
                           const int *matbeg, const int *matcnt, const int *matind,
                           const double *matval, const double *lb, const double *ub,
                           const double *rngval, char **colname, char **rowname);
KRVAPI int KRVLcopylpwnames(KRVenv env, KRVprob lp, int numcols, int numrows, int objsense,
                            const double *objective, const double *rhs, const char *sense,
                            const long long *matbeg, const int *matcnt, const int *matind,
                            const double *matval, const double *lb, const double *ub,
                            const double *rngval, char **colname, char **rowname);
KRVAPI int KRVScopylpwnames(KRVenv env, KRVprob lp, int numcols, int numrows, int objsense,
                            const double *objective, const double *rhs, const char *sense,
                            const int *matbeg, const int *matcnt, const int *matind,
                            const double *matval, const double *lb, const double *ub,
                            const double *rngval, char **colname, char **rowname);
KRVAPI int KRVcopyobjname(KRVenv env, KRVprob lp, const char *objname_str);
KRVAPI int KRVchgprobtype(KRVenv env, KRVprob lp, int type);
/* The problem type, or -1 on error. */
KRVAPI int KRVgetprobtype(KRVenv env, KRVprob lp);

/* Counts (0 on error) and the objective sense. KRVgetnumnz reports 1810
   and returns 2147483647 when the count does not fit an int. */
KRVAPI int KRVgetnumcols(KRVenv env, KRVprob lp);
KRVAPI int KRVgetnumrows(KRVenv env, KRVprob lp);
KRVAPI int KRVgetnumnz(KRVenv env, KRVprob lp);
KRVAPI long long KRVLgetnumnz(KRVenv env, KRVprob lp);
KRVAPI int KRVSgetnumnz(KRVenv env, KRVprob lp);
KRVAPI int KRVgetobjsen(KRVenv env, KRVprob lp);

/* Values of columns or rows begin..end (inclusive). */
KRVAPI int KRVgetobj(KRVenv env, KRVprob lp, double *obj, int begin, int end);
KRVAPI int KRVgetrhs(KRVenv env, KRVprob lp, double *rhs, int begin, int end);
KRVAPI int KRVgetsense(KRVenv env, KRVprob lp, char *sense, int begin, int end);
KRVAPI int KRVgetlb(KRVenv env, KRVprob lp, double *lb, int begin, int end);
KRVAPI int KRVgetub(KRVenv env, KRVprob lp, double *ub, int begin, int end);
KRVAPI int KRVgetrngval(KRVenv env, KRVprob lp, double *rngval, int begin, int end);
KRVAPI int KRVgetcoef(KRVenv env, KRVprob lp, int i, int j, double *coef_p);

/* Matrix slices. With cmatspace too small the result is 1207 and
   *surplus_p = cmatspace - needed; with cmatspace 0 the 1207 is not
   printed, so a first call with space 0 asks for the size. */
KRVAPI int KRVgetcols(KRVenv env, KRVprob lp, int *nzcnt_p, int *cmatbeg, int *cmatind,
                      double *cmatval, int cmatspace, int *surplus_p, int begin, int end);
KRVAPI int KRVLgetcols(KRVenv env, KRVprob lp, long long *nzcnt_p, long long *cmatbeg,
                       int *cmatind, double *cmatval, long long cmatspace,
                       long long *surplus_p, int begin, int end);
KRVAPI int KRVSgetcols(KRVenv env, KRVprob lp, int *nzcnt_p, int *cmatbeg, int *cmatind,
                       double *cmatval, int cmatspace, int *surplus_p, int begin, int end);
KRVAPI int KRVgetrows(KRVenv env, KRVprob lp, int *nzcnt_p, int *rmatbeg, int *rmatind,
                      double *rmatval, int rmatspace, int *surplus_p, int begin, int end);
KRVAPI int KRVLgetrows(KRVenv env, KRVprob lp, long long *nzcnt_p, long long *rmatbeg,
                       int *rmatind, double *rmatval, long long rmatspace,
                       long long *surplus_p, int begin, int end);
KRVAPI int KRVSgetrows(KRVenv env, KRVprob lp, int *nzcnt_p, int *rmatbeg, int *rmatind,
                       double *rmatval, int rmatspace, int *surplus_p, int begin, int end);
KRVAPI int KRVgetprobname(KRVenv env, KRVprob lp, char *buf_str, int bufspace, int *surplus_p);
KRVAPI int KRVgetobjname(KRVenv env, KRVprob lp, char *buf_str, int bufspace, int *surplus_p);

/* Adding rows and columns. Null arrays take defaults: rhs 0, sense 'E', no
   range, objective 0, lower bound 0, upper bound 1e20 (1 for type 'B'). */
KRVAPI int KRVnewrows(KRVenv env, KRVprob lp, int rcnt, const double *rhs, const char *sense,
                      const double *rngval, char **rowname);
KRVAPI int KRVaddrows(KRVenv env, KRVprob lp, int ccnt, int rcnt, int nzcnt, const double *rhs,
                      const char *sense, const int *rmatbeg, const int *rmatind,
                      const double *rmatval, char **colname, char **rowname);
KRVAPI int KRVLaddrows(KRVenv env, KRVprob lp, int ccnt, int rcnt, long long nzcnt,
                       const double *rhs, const char *sense, const long long *rmatbeg,
                       const int *rmatind, const double *rmatval, char **colname,
                       char **rowname);
KRVAPI int KRVSaddrows(KRVenv env, KRVprob lp, int ccnt, int rcnt, int nzcnt, const double *rhs,
                       const char *sense, const int *rmatbeg, const int *rmatind,
                       const double *rmatval, char **colname, char **rowname);
KRVAPI int KRVnewcols(KRVenv env, KRVprob lp, int ccnt, const double *obj, const double *lb,
                      const double *ub, const char *xctype, char **colname);
KRVAPI int KRVaddcols(KRVenv env, KRVprob lp, int ccnt, int nzcnt, const double *obj,
                      const int *cmatbeg, const int *cmatind, const double *cmatval,
                      const double *lb, const double *ub, char **colname);
KRVAPI int KRVLaddcols(KRVenv env, KRVprob lp, int ccnt, long long nzcnt, const double *obj,
                       const long long *cmatbeg, const int *cmatind, const double *cmatval,
                       const double *lb, const double *ub, char **colname);
KRVAPI int KRVSaddcols(KRVenv env, KRVprob lp, int ccnt, int nzcnt, const double *obj,
                       const int *cmatbeg, const int *cmatind, const double *cmatval,
                       const double *lb, const double *ub, char **colname);

/* Deleting rows and columns. The set variants delete every entry equal to
   1 and return the new index of each row (column), -1 when deleted. */
KRVAPI int KRVdelrows(KRVenv env, KRVprob lp, int begin, int end);
KRVAPI int KRVdelcols(KRVenv env, KRVprob lp, int begin, int end);
KRVAPI int KRVdelsetrows(KRVenv env, KRVprob lp, int *delstat);
KRVAPI int KRVdelsetcols(KRVenv env, KRVprob lp, int *delstat);

/* Changing values. In KRVchgcoef, i = -1 addresses the objective, j = -1
   the right-hand side and j = -2 the range value; a zero coefficient
   removes the entry. lu is 'L', 'U' or 'B' per bound. */
KRVAPI int KRVchgcoef(KRVenv env, KRVprob lp, int i, int j, double newvalue);
KRVAPI int KRVchgcoeflist(KRVenv env, KRVprob lp, int numcoefs, const int *rowlist,
                          const int *collist, const double *vallist);
KRVAPI int KRVLchgcoeflist(KRVenv env, KRVprob lp, long long numcoefs, const int *rowlist,
                           const int *collist, const double *vallist);
KRVAPI int KRVSchgcoeflist(KRVenv env, KRVprob lp, int numcoefs, const int *rowlist,
                           const int *collist, const double *vallist);
KRVAPI int KRVchgbds(KRVenv env, KRVprob lp, int cnt, const int *indices, const char *lu,
                     const double *bd);
KRVAPI int KRVtightenbds(KRVenv env, KRVprob lp, int cnt, const int *indices, const char *lu,
                         const double *bd);
KRVAPI int KRVchgobj(KRVenv env, KRVprob lp, int cnt, const int *indices, const double *values);
KRVAPI int KRVchgrhs(KRVenv env, KRVprob lp, int cnt, const int *indices, const double *values);
KRVAPI int KRVchgsense(KRVenv env, KRVprob lp, int cnt, const int *indices, const char *sense);
KRVAPI int KRVchgrngval(KRVenv env, KRVprob lp, int cnt, const int *indices,
                        const double *values);
KRVAPI int KRVchgobjsen(KRVenv env, KRVprob lp, int maxormin);
KRVAPI int KRVcompletelp(KRVenv env, KRVprob lp);

/* Basis: one status per column and per row (KRV_AT_LOWER .. KRV_FREE_SUPER).
   Either array of KRVgetbase may be null. */
KRVAPI int KRVcopybase(KRVenv env, KRVprob lp, const int *cstat, const int *rstat);
KRVAPI int KRVgetbase(KRVenv env, KRVprob lp, int *cstat, int *rstat);

/* Names. key 'r' renames a row and 'c' a column in KRVchgname. The name
   getters store the names back to back with terminators in namestore and
   point name[k] at each; a problem without names in that dimension gives
   1219. KRVgetrowindex/KRVgetcolindex return 1210, unprinted, for an
   unknown name. */
KRVAPI int KRVchgname(KRVenv env, KRVprob lp, int key, int ij, const char *newname_str);
KRVAPI int KRVchgrowname(KRVenv env, KRVprob lp, int cnt, const int *indices, char **newname);
KRVAPI int KRVchgcolname(KRVenv env, KRVprob lp, int cnt, const int *indices, char **newname);
KRVAPI int KRVchgprobname(KRVenv env, KRVprob lp, const char *probname);
KRVAPI int KRVdelnames(KRVenv env, KRVprob lp);
KRVAPI int KRVgetrowname(KRVenv env, KRVprob lp, char **name, char *namestore, int storespace,
                         int *surplus_p, int begin, int end);
KRVAPI int KRVLgetrowname(KRVenv env, KRVprob lp, char **name, char *namestore,
                          long long storespace, long long *surplus_p, int begin, int end);
KRVAPI int KRVSgetrowname(KRVenv env, KRVprob lp, char **name, char *namestore, int storespace,
                          int *surplus_p, int begin, int end);
KRVAPI int KRVgetcolname(KRVenv env, KRVprob lp, char **name, char *namestore, int storespace,
                         int *surplus_p, int begin, int end);
KRVAPI int KRVLgetcolname(KRVenv env, KRVprob lp, char **name, char *namestore,
                          long long storespace, long long *surplus_p, int begin, int end);
KRVAPI int KRVSgetcolname(KRVenv env, KRVprob lp, char **name, char *namestore, int storespace,
                          int *surplus_p, int begin, int end);
KRVAPI int KRVgetrowindex(KRVenv env, KRVprob lp, const char *lname_str, int *index_p);
KRVAPI int KRVgetcolindex(KRVenv env, KRVprob lp, const char *lname_str, int *index_p);

/* Column types ('C', 'B', 'I', 'S', 'N'); setting types makes the problem
   mixed-integer. */
KRVAPI int KRVcopyctype(KRVenv env, KRVprob lp, const char *xctype);
KRVAPI int KRVchgctype(KRVenv env, KRVprob lp, int cnt, const int *indices, const char *xctype);
KRVAPI int KRVgetctype(KRVenv env, KRVprob lp, char *xctype, int begin, int end);

/* Special ordered sets of type '1' or '2'; set k's members and weights are
   at sosbeg[k] .. sosbeg[k + 1] - 1 (the last up to numsosnz - 1). */
KRVAPI int KRVaddsos(KRVenv env, KRVprob lp, int numsos, int numsosnz, const char *sostype,
                     const int *sosbeg, const int *sosind, const double *soswt,
                     char **sosname);
KRVAPI int KRVLaddsos(KRVenv env, KRVprob lp, int numsos, long long numsosnz,
                      const char *sostype, const long long *sosbeg, const int *sosind,
                      const double *soswt, char **sosname);
KRVAPI int KRVSaddsos(KRVenv env, KRVprob lp, int numsos, int numsosnz, const char *sostype,
                      const int *sosbeg, const int *sosind, const double *soswt,
                      char **sosname);
KRVAPI int KRVgetsos(KRVenv env, KRVprob lp, int *numsosnz_p, char *sostype, int *sosbeg,
                     int *sosind, double *soswt, int sosspace, int *surplus_p, int begin,
                     int end);
KRVAPI int KRVLgetsos(KRVenv env, KRVprob lp, long long *numsosnz_p, char *sostype,
                      long long *sosbeg, int *sosind, double *soswt, long long sosspace,
                      long long *surplus_p, int begin, int end);
KRVAPI int KRVSgetsos(KRVenv env, KRVprob lp, int *numsosnz_p, char *sostype, int *sosbeg,
                      int *sosind, double *soswt, int sosspace, int *surplus_p, int begin,
                      int end);
KRVAPI int KRVdelsos(KRVenv env, KRVprob lp, int begin, int end);
KRVAPI int KRVgetnumsos(KRVenv env, KRVprob lp);

/* Indicator constraints: when column indvar is 1 (0 if complemented),
   sum(linval[k] * x[linind[k]]) sense rhs holds; sense 'L', 'E' or 'G'. */
KRVAPI int KRVaddindconstr(KRVenv env, KRVprob lp, int indvar, int complemented, int nzcnt,
                           double rhs, int sense, const int *linind, const double *linval,
                           const char *indname_str);
KRVAPI int KRVgetindconstr(KRVenv env, KRVprob lp, int *indvar_p, int *complemented_p,
                           int *nzcnt_p, double *rhs_p, char *sense_p, int *linind,
                           double *linval, int space, int *surplus_p, int which);
KRVAPI int KRVgetnumindconstrs(KRVenv env, KRVprob lp);

/* User cuts and lazy constraints, kept in pools apart from the rows. */
KRVAPI int KRVaddusercuts(KRVenv env, KRVprob lp, int rcnt, int nzcnt, const double *rhs,
                          const char *sense, const int *rmatbeg, const int *rmatind,
                          const double *rmatval, char **rowname);
KRVAPI int KRVLaddusercuts(KRVenv env, KRVprob lp, int rcnt, long long nzcnt,
                           const double *rhs, const char *sense, const long long *rmatbeg,
                           const int *rmatind, const double *rmatval, char **rowname);
KRVAPI int KRVSaddusercuts(KRVenv env, KRVprob lp, int rcnt, int nzcnt, const double *rhs,
                           const char *sense, const int *rmatbeg, const int *rmatind,
                           const double *rmatval, char **rowname);
KRVAPI int KRVaddlazyconstraints(KRVenv env, KRVprob lp, int rcnt, int nzcnt,
                                 const double *rhs, const char *sense, const int *rmatbeg,
                                 const int *rmatind, const double *rmatval, char **rowname);
KRVAPI int KRVLaddlazyconstraints(KRVenv env, KRVprob lp, int rcnt, long long nzcnt,
                                  const double *rhs, const char *sense,
                                  const long long *rmatbeg, const int *rmatind,
                                  const double *rmatval, char **rowname);
KRVAPI int KRVSaddlazyconstraints(KRVenv env, KRVprob lp, int rcnt, int nzcnt,
                                  const double *rhs, const char *sense, const int *rmatbeg,
                                  const int *rmatind, const double *rmatval, char **rowname);
KRVAPI int KRVfreeusercuts(KRVenv env, KRVprob lp);
KRVAPI int KRVfreelazyconstraints(KRVenv env, KRVprob lp);
KRVAPI int KRVgetnumusercuts(KRVenv env, KRVprob lp);
KRVAPI int KRVgetnumlazyconstraints(KRVenv env, KRVprob lp);

/* Quadratic objective data: the full symmetric matrix Q by columns. */
KRVAPI int KRVcopyquad(KRVenv env, KRVprob lp, const int *qmatbeg, const int *qmatcnt,
                       const int *qmatind, const double *qmatval);
KRVAPI int KRVLcopyquad(KRVenv env, KRVprob lp, const long long *qmatbeg, const int *qmatcnt,
                        const int *qmatind, const double *qmatval);
KRVAPI int KRVScopyquad(KRVenv env, KRVprob lp, const int *qmatbeg, const int *qmatcnt,
                        const int *qmatind, const double *qmatval);
KRVAPI int KRVcopyqpsep(KRVenv env, KRVprob lp, const double *qsepvec);
KRVAPI int KRVgetquad(KRVenv env, KRVprob lp, int *nzcnt_p, int *qmatbeg, int *qmatind,
                      double *qmatval, int qmatspace, int *surplus_p, int begin, int end);
KRVAPI int KRVLgetquad(KRVenv env, KRVprob lp, long long *nzcnt_p, long long *qmatbeg,
                       int *qmatind, double *qmatval, long long qmatspace,
                       long long *surplus_p, int begin, int end);
KRVAPI int KRVSgetquad(KRVenv env, KRVprob lp, int *nzcnt_p, int *qmatbeg, int *qmatind,
                       double *qmatval, int qmatspace, int *surplus_p, int begin, int end);
KRVAPI int KRVchgqpcoef(KRVenv env, KRVprob lp, int i, int j, double newvalue);
/* Columns with quadratic coefficients, and the nonzeros of Q. */
KRVAPI int KRVgetnumquad(KRVenv env, KRVprob lp);
KRVAPI int KRVgetnumqpnz(KRVenv env, KRVprob lp);
KRVAPI long long KRVLgetnumqpnz(KRVenv env, KRVprob lp);
KRVAPI int KRVSgetnumqpnz(KRVenv env, KRVprob lp);

/* Quadratic constraints: linear part, quadratic triplets, sense 'L' or 'G'. */
KRVAPI int KRVaddqconstr(KRVenv env, KRVprob lp, int linnzcnt, int quadnzcnt, double rhs,
                         int sense, const int *linind, const double *linval,
                         const int *quadrow, const int *quadcol, const double *quadval,
                         const char *lname_str);
KRVAPI int KRVLaddqconstr(KRVenv env, KRVprob lp, int linnzcnt, long long quadnzcnt,
                          double rhs, int sense, const int *linind, const double *linval,
                          const int *quadrow, const int *quadcol, const double *quadval,
                          const char *lname_str);
KRVAPI int KRVSaddqconstr(KRVenv env, KRVprob lp, int linnzcnt, int quadnzcnt, double rhs,
                          int sense, const int *linind, const double *linval,
                          const int *quadrow, const int *quadcol, const double *quadval,
                          const char *lname_str);
KRVAPI int KRVgetqconstr(KRVenv env, KRVprob lp, int *linnzcnt_p, int *quadnzcnt_p,
                         double *rhs_p, char *sense_p, int *linind, double *linval,
                         int linspace, int *linsurplus_p, int *quadrow, int *quadcol,
                         double *quadval, int quadspace, int *quadsurplus_p, int which);
KRVAPI int KRVLgetqconstr(KRVenv env, KRVprob lp, int *linnzcnt_p, long long *quadnzcnt_p,
                          double *rhs_p, char *sense_p, int *linind, double *linval,
                          int linspace, int *linsurplus_p, int *quadrow, int *quadcol,
                          double *quadval, long long quadspace, long long *quadsurplus_p,
                          int which);
KRVAPI int KRVSgetqconstr(KRVenv env, KRVprob lp, int *linnzcnt_p, int *quadnzcnt_p,
                          double *rhs_p, char *sense_p, int *linind, double *linval,
                          int linspace, int *linsurplus_p, int *quadrow, int *quadcol,
                          double *quadval, int quadspace, int *quadsurplus_p, int which);
KRVAPI int KRVgetnumqconstrs(KRVenv env, KRVprob lp);
KRVAPI int KRVdelqconstrs(KRVenv env, KRVprob lp, int begin, int end);

/* Branching priority order of a mixed-integer problem; priority and
   direction (-1 down, 0 automatic, 1 up) may be null. */
KRVAPI int KRVcopyorder(KRVenv env, KRVprob lp, int cnt, const int *indices,
                        const int *priority, const int *direction);
KRVAPI int KRVgetorder(KRVenv env, KRVprob lp, int *cnt_p, int *indices, int *priority,
                       int *direction, int ordspace, int *surplus_p);

/* Modification buffer for modelling layers. Columns, rows and nonzeros
   cached here cost no more than copying their data; they become part of
   the model in one step before the next read of it (any getter, optimiser,
   writer, clone) or at KRVcompletelp. Pending columns take the indices
   after the model's columns, pending rows those after its rows, and
   KRVchgcoef, KRVchgbds and KRVEcacheNewNZsByNZ may address them.
   KRVEgetCache reports what is pending (each pointer may be null).
   KRVEcacheNewNZsByNZ sets the coefficients (rowind[k], colind[k]) to
   val[k]; a zero removes an entry. */
KRVAPI int KRVEgetCache(KRVenv env, KRVprob lp, int *pendingcols_p, int *pendingrows_p,
                        long long *pendingnzs_p);
KRVAPI int KRVEcacheNewCols(KRVenv env, KRVprob lp, int ccnt, const double *obj,
                            const double *lb, const double *ub, const char *xctype,
                            char **colname);
KRVAPI int KRVEcacheNewRows(KRVenv env, KRVprob lp, int rcnt, const double *rhs,
                            const char *sense, const double *rngval, char **rowname);
KRVAPI int KRVEcacheNewNZsByNZ(KRVenv env, KRVprob lp, long long nzcnt, const int *rowind,
                               const int *colind, const double *val);

/* ------------------------------------------------------------------------ */
/* Network problems                                                          */
/* ------------------------------------------------------------------------ */
/* Pure minimum-cost flow problems with their own object and a primal
   network simplex. A node's supply is the flow it sends out (a demand is a
   negative supply); every arc carries flow from its "from" node to its "to"
   node within its bounds. Nodes and arcs are numbered from 0; name arrays
   and their entries may be null, giving the default names "n1", "n2", ...
   and "a1", "a2", .... Every edit discards the solution and keeps the arc
   statuses as the next start. */
KRVAPI KRVnet KRVNETcreateprob(KRVenv env, int *status_p, const char *name_str);
KRVAPI int KRVNETfreeprob(KRVenv env, KRVnet *net_p);
/* Replaces the whole network. Absent bound and cost arrays give lower bound
   0, upper bound 1e20 and cost 0. */
KRVAPI int KRVNETcopynet(KRVenv env, KRVnet net, int objsen, int nnodes, const double *supply,
                         char **nnames, int narcs, const int *fromnode, const int *tonode,
                         const double *low, const double *up, const double *obj,
                         char **anames);
KRVAPI int KRVNETaddnodes(KRVenv env, KRVnet net, int nnodes, const double *supply,
                          char **name);
KRVAPI int KRVNETaddarcs(KRVenv env, KRVnet net, int narcs, const int *fromnode,
                         const int *tonode, const double *low, const double *up,
                         const double *obj, char **anames);
/* Deleting a node deletes the arcs that meet it. KRVNETdelset deletes the
   nodes and arcs flagged 1 (either array may be null) and overwrites each
   flag with the item's new index, or -1 when it was deleted. */
KRVAPI int KRVNETdelnodes(KRVenv env, KRVnet net, int begin, int end);
KRVAPI int KRVNETdelarcs(KRVenv env, KRVnet net, int begin, int end);
KRVAPI int KRVNETdelset(KRVenv env, KRVnet net, int *whichnodes, int *whicharcs);
/* lu[k]: 'L' lower, 'U' upper, 'B' both bounds of arc indices[k]. */
KRVAPI int KRVNETchgbds(KRVenv env, KRVnet net, int cnt, const int *indices, const char *lu,
                        const double *bd);
KRVAPI int KRVNETchgobj(KRVenv env, KRVnet net, int cnt, const int *indices, const double *obj);
KRVAPI int KRVNETchgobjsen(KRVenv env, KRVnet net, int maxormin);
KRVAPI int KRVNETchgsupply(KRVenv env, KRVnet net, int cnt, const int *indices,
                           const double *supply);
KRVAPI int KRVNETchgarcnodes(KRVenv env, KRVnet net, int cnt, const int *indices,
                             const int *fromnode, const int *tonode);
KRVAPI int KRVNETchgarcname(KRVenv env, KRVnet net, int cnt, const int *indices, char **newname);
KRVAPI int KRVNETchgnodename(KRVenv env, KRVnet net, int cnt, const int *indices,
                             char **newname);
/* key 'a' renames arc `index`, 'n' node `index`. */
KRVAPI int KRVNETchgname(KRVenv env, KRVnet net, int key, int index, const char *newname_str);

KRVAPI int KRVNETgetnumnodes(KRVenv env, KRVnet net);
KRVAPI int KRVNETgetnumarcs(KRVenv env, KRVnet net);
KRVAPI int KRVNETgetnodeindex(KRVenv env, KRVnet net, const char *name_str, int *index_p);
KRVAPI int KRVNETgetarcindex(KRVenv env, KRVnet net, const char *name_str, int *index_p);
KRVAPI int KRVNETgetobjsen(KRVenv env, KRVnet net);
KRVAPI int KRVNETgetsupply(KRVenv env, KRVnet net, double *supply, int begin, int end);
KRVAPI int KRVNETgetlb(KRVenv env, KRVnet net, double *low, int begin, int end);
KRVAPI int KRVNETgetub(KRVenv env, KRVnet net, double *up, int begin, int end);
KRVAPI int KRVNETgetobj(KRVenv env, KRVnet net, double *obj, int begin, int end);
/* Either output array may be null. */
KRVAPI int KRVNETgetarcnodes(KRVenv env, KRVnet net, int *fromnode, int *tonode, int begin,
                             int end);
/* The arcs leaving nodes begin..end: arc[arcbeg[k] ...] for node begin + k,
   under the surplus convention for arcspace. */
KRVAPI int KRVNETgetnodearcs(KRVenv env, KRVnet net, int *arccnt_p, int *arcbeg, int *arc,
                             int arcspace, int *surplus_p, int begin, int end);
KRVAPI int KRVNETgetarcname(KRVenv env, KRVnet net, char **nnames, char *namestore, int namespc,
                            int *surplus_p, int begin, int end);
KRVAPI int KRVNETgetnodename(KRVenv env, KRVnet net, char **nnames, char *namestore,
                             int namespc, int *surplus_p, int begin, int end);
KRVAPI int KRVNETgetprobname(KRVenv env, KRVnet net, char *buf_str, int bufspace,
                             int *surplus_p);

/* The network simplex (KRV_PARAM_NET* parameters, network callback with
   where-value 3). KRVNETgetstat gives 1 optimal, 2 unbounded, 3
   infeasible, 10, 11, 13 and 25 for limits and aborts, 0 without a
   result. Potentials pi and reduced costs dj satisfy
   dj = obj - pi[from] + pi[to]; slack is supply minus net outflow. */
KRVAPI int KRVNETprimopt(KRVenv env, KRVnet net);
KRVAPI int KRVNETgetstat(KRVenv env, KRVnet net);
KRVAPI int KRVNETsolution(KRVenv env, KRVnet net, int *netstat_p, double *objval_p, double *x,
                          double *pi, double *slack, double *dj);
KRVAPI int KRVNETsolninfo(KRVenv env, KRVnet net, int *pfeasind_p, int *dfeasind_p);
KRVAPI int KRVNETgetobjval(KRVenv env, KRVnet net, double *objval_p);
KRVAPI int KRVNETgetx(KRVenv env, KRVnet net, double *x, int begin, int end);
KRVAPI int KRVNETgetpi(KRVenv env, KRVnet net, double *pi, int begin, int end);
KRVAPI int KRVNETgetslack(KRVenv env, KRVnet net, double *slack, int begin, int end);
KRVAPI int KRVNETgetdj(KRVenv env, KRVnet net, double *dj, int begin, int end);
KRVAPI int KRVNETgetitcnt(KRVenv env, KRVnet net);
KRVAPI int KRVNETgetphase1cnt(KRVenv env, KRVnet net);
/* Basis: arc statuses KRV_AT_LOWER, KRV_BASIC, KRV_AT_UPPER, KRV_FREE_SUPER;
   node status 1 when the node's slack (its artificial arc) is basic. */
KRVAPI int KRVNETcopybase(KRVenv env, KRVnet net, const int *astat, const int *nstat);
KRVAPI int KRVNETgetbase(KRVenv env, KRVnet net, int *astat, int *nstat);
/* Network files: "MIN" (line-oriented min-cost flow) and "NET" (keyword)
   formats. The reader tells them apart by content and names the problem
   after the file; the writer takes the format string, or the extension. */
KRVAPI int KRVNETreadcopyprob(KRVenv env, KRVnet net, const char *filename_str);
KRVAPI int KRVNETwriteprob(KRVenv env, KRVnet net, const char *filename_str,
                           const char *format_str);
/* Network bases in the basis-file layout, nodes standing for rows and arcs
   for columns. KRVNETbasewrite needs a basis (1262 before any solve). */
KRVAPI int KRVNETbasewrite(KRVenv env, KRVnet net, const char *filename_str);
KRVAPI int KRVNETreadcopybase(KRVenv env, KRVnet net, const char *filename_str);
/* The LP form of a network, replacing the problem's model: a row 'E' per
   node (flow out minus flow in equals the supply), a column per arc with
   +1 in its from-node's row and -1 in its to-node's row, the arc's bounds
   and cost, the network's sense and names. */
KRVAPI int KRVcopynettolp(KRVenv env, KRVprob lp, KRVnet net);
/* Replaces the network by the network part of the LP: rows whose
   coefficients share one magnitude, scaled by +-1/magnitude so that every
   column keeps at most a +1 and a -1 among them, become nodes; columns with
   entries in them become arcs, joined to an added ground node when they
   have one entry; inequality rows get slack arcs to or from it. colmap
   (room for numcols + numrows entries) receives the LP column of each arc,
   or -(i + 1) for the slack of row i; rowmap (room for numrows + 1) the LP
   row of each node, -1 for the ground node. Either may be null. */
KRVAPI int KRVNETextract(KRVenv env, KRVnet net, KRVprob lp, int *colmap, int *rowmap);
/* @NETWORK-SECTION-END@ */

/* ------------------------------------------------------------------------ */
/* Files                                                                     */
/* ------------------------------------------------------------------------ */
/* @FILES-SECTION@ */

/* Model files of any format. KRVreadcopyprob replaces the problem's model
   by the file's; the format is the type string's ("LP", "MPS", "SAV", "NET",
   "MIN", compared by prefix and ignoring case), else the file name's
   extension, else what the file's first bytes say. KRVwriteprob writes the
   format of the type string or of the extension ("LP", "RLP", "ALP", "MPS",
   "RMP", "REW", "SAV"). Names ending in ".gz", ".bz2" or ".Z" are read and
   written through gzip or bzip2. */
KRVAPI int KRVreadcopyprob(KRVenv env, KRVprob lp, const char *filename_str,
                           const char *filetype_str);
KRVAPI int KRVLreadcopyprob(KRVenv env, KRVprob lp, const char *filename_str,
                            const char *filetype_str);
KRVAPI int KRVwriteprob(KRVenv env, KRVprob lp, const char *filename_str,
                        const char *filetype_str);
KRVAPI int KRVLwriteprob(KRVenv env, KRVprob lp, const char *filename_str,
                         const char *filetype_str);

/* LP files. KRVlpwrite writes the problem with its own names, KRVlprewrite
   with generic names (x1, c1, ...). With hidden integer parameter 1115 set
   to 1, names the LP format cannot carry are rewritten to readable ones. */
KRVAPI int KRVlpwrite(KRVenv env, KRVprob lp, const char *filename_str);
KRVAPI int KRVlprewrite(KRVenv env, KRVprob lp, const char *filename_str);

/* MPS files. KRVmpswrite writes the problem with its own names,
   KRVmpsrewrite with generic names (x1, c1, ...). KRV_PARAM_MPSLONGNUM
   selects 15 significant digits (1, default) or 12-character fields (0).
   A maximisation is written as the minimisation of the negated objective,
   marked by a comment line that this library's reader recognises.
   KRVdualwrite writes the dual of a linear program; *objshift_p (may be
   null) receives the objective constant the dual omits. */
KRVAPI int KRVmpswrite(KRVenv env, KRVprob lp, const char *filename_str);
KRVAPI int KRVmpsrewrite(KRVenv env, KRVprob lp, const char *filename_str);
KRVAPI int KRVdualwrite(KRVenv env, KRVprob lp, const char *filename_str, double *objshift_p);

/* -- Solution, order, basis and SAV files ------------------------------- */
/* Solution files (XML, UTF-8, compressed by the name's suffix).
   KRVsolwrite writes the current solution (1217 without one): header,
   quality measures, constraints and variables, the variables selected by
   KRV_PARAM_WRITELEVEL (0 or 1 all, 2 non-continuous, 3 nonzero, 4
   non-continuous and nonzero). KRVsolwritesolnpool writes pool member
   soln (-1: the incumbent), KRVsolwritesolnpoolall every member and
   KRVmstwritesolnpoolall every member as a MIP start, the latter two in
   one KORVASolutions document. KRVreadcopysol on a continuous problem
   installs the file's first solution as the advanced start (values,
   slacks, duals, reduced costs and, when the file gives statuses, the
   basis); on a MIP it reads the file as MIP starts. */
KRVAPI int KRVsolwrite(KRVenv env, KRVprob lp, const char *filename_str);
KRVAPI int KRVsolwritesolnpool(KRVenv env, KRVprob lp, int soln, const char *filename_str);
KRVAPI int KRVsolwritesolnpoolall(KRVenv env, KRVprob lp, const char *filename_str);
KRVAPI int KRVmstwritesolnpoolall(KRVenv env, KRVprob lp, const char *filename_str);

/* Priority-order files (text, default extension ".ord"): one line per
   ordered column with its branching direction (UP, DN or blank), name and
   priority. KRVreadcopyorder replaces the problem's order with the file's
   (KRVordread is the same function); names are required (1219). */
KRVAPI int KRVordwrite(KRVenv env, KRVprob lp, const char *filename_str);
KRVAPI int KRVreadcopyorder(KRVenv env, KRVprob lp, const char *filename_str);
KRVAPI int KRVordread(KRVenv env, KRVprob lp, const char *filename_str);

/* Basis files (text, default extension ".bas"). KRVmbasewrite writes the
   problem's basis (1262 without one): XU/XL lines pair a basic column
   with a nonbasic row at its upper or lower limit, UL lines list columns
   at their upper bound, BS lines basic columns left over. KRVreadcopybase
   reads such a file into the problem's basis (names required: 1219). */
KRVAPI int KRVmbasewrite(KRVenv env, KRVprob lp, const char *filename_str);
KRVAPI int KRVreadcopybase(KRVenv env, KRVprob lp, const char *filename_str);

/* SAV files: the problem object in the library's own binary format (data
   bit for bit, names, types, SOS, quadratic data, indicator constraints,
   user cuts, lazy constraints and the basis). Read through
   KRVreadcopyprob (type "SAV", extension ".sav", or by content); written
   by KRVsavwrite or KRVwriteprob with type "SAV". */
KRVAPI int KRVsavwrite(KRVenv env, KRVprob lp, const char *filename_str);
KRVAPI int KRVLsavwrite(KRVenv env, KRVprob lp, const char *filename_str);

/* ------------------------------------------------------------------------ */
/* Optimisers and solution queries                                           */
/* ------------------------------------------------------------------------ */
/* @OPTIMIZER-SECTION@ */

/* LP methods (KRV_PARAM_LPMETHOD, KRV_PARAM_QPMETHOD) and solution
   methods reported by KRVgetmethod and KRVsolninfo. */
#define KRV_ALG_NONE -1
#define KRV_ALG_AUTOMATIC 0
#define KRV_ALG_PRIMAL 1
#define KRV_ALG_DUAL 2
#define KRV_ALG_NET 3
#define KRV_ALG_BARRIER 4
#define KRV_ALG_SIFTING 5
#define KRV_ALG_CONCURRENT 6
#define KRV_ALG_MIP_RELAXATION 11
#define KRV_ALG_MIP 12

/* Solution types of KRVsolninfo. */
#define KRV_NO_SOLN 0
#define KRV_BASIC_SOLN 1
#define KRV_NONBASIC_SOLN 2
#define KRV_PRIMAL_SOLN 3

/* Continuous solution statuses. */
#define KRV_STAT_OPTIMAL 1
#define KRV_STAT_UNBOUNDED 2
#define KRV_STAT_INFEASIBLE 3
#define KRV_STAT_INForUNBD 4
#define KRV_STAT_OPTIMAL_INFEAS 5
#define KRV_STAT_NUM_BEST 6
#define KRV_STAT_ABORT_IT_LIM 10
#define KRV_STAT_ABORT_TIME_LIM 11
#define KRV_STAT_ABORT_OBJ_LIM 12
#define KRV_STAT_ABORT_USER 13
#define KRV_STAT_ABORT_DETTIME_LIM 25

/* Where-values the continuous optimisers pass to the informational and LP
   callbacks. */
#define KRV_CALLBACK_PRIMAL 1
#define KRV_CALLBACK_DUAL 2

/* Optimisers. Each returns 0 when it ran (the outcome is the solution
   status) or an error code. Optimisers not part of this version (barrier,
   network, sifting, quadratic simplex) return 1292 after a line on the
   error channel naming what is missing. */
KRVAPI int KRVlpopt(KRVenv env, KRVprob lp);
KRVAPI int KRVprimopt(KRVenv env, KRVprob lp);
KRVAPI int KRVdualopt(KRVenv env, KRVprob lp);
KRVAPI int KRVbaropt(KRVenv env, KRVprob lp);
KRVAPI int KRVhybbaropt(KRVenv env, KRVprob lp, int method);
KRVAPI int KRVhybnetopt(KRVenv env, KRVprob lp, int method);
KRVAPI int KRVqpopt(KRVenv env, KRVprob lp);
KRVAPI int KRVsiftopt(KRVenv env, KRVprob lp);
/* Strong branching on an LP. The LP is first solved by the dual simplex
   (as KRVdualopt solves it); then every column indices[k] with LP value x
   gets two trials of at most itlim dual simplex iterations each from the
   optimal basis: down with its upper bound lowered to floor(x), up with its
   lower bound raised to floor(x) + 1. A value within KRV_PARAM_EPINT of an
   integer counts as that integer, so an integral x gets a down trial that
   changes nothing (the LP objective) and an up trial at x + 1.
   downobj[k] and upobj[k] receive objective values in the problem's sense:
   the branch's optimum when its trial reaches it; otherwise the bound that
   the trial's last duals prove (between the LP objective and the branch's
   optimum). A branch without a solution, or whose trial stops at an
   objective limit, gets 1e75 (-1e75 when maximising). When the LP itself
   has no optimum, nothing is tried: every entry gets 1e75 (-1e75 when
   maximising) if the LP is infeasible, and -1e75 (1e75) if it is
   unbounded or stopped short (KRV_PARAM_ITLIM, numerical trouble).
   The problem keeps the solution and basis of the LP solve. With more than
   one thread (up to min(KRV_PARAM_THREADS when set, KRVEgetmaxthreads,
   cnt)) the columns are shared out; the values do not depend on the thread
   count. cnt 0 writes "Warning:  Variable list empty." and succeeds.
   Errors: 1017 for a MIP, 1018 / 1031 for quadratic objectives or
   constraints, 1003 for cnt < 0 or itlim < 0, 1004 for null arrays, 1200
   for an index outside the columns (1201 when KRV_PARAM_DATACHECK is on),
   1263 when aborted, 1266 / 1270 at the time / deterministic time limit. */
KRVAPI int KRVstrongbranch(KRVenv env, KRVprob lp, const int *indices, int cnt, double *downobj,
                           double *upobj, int itlim);

/* Status, method and solution. KRVgetstatstring copies the status text
   into buffer_str (KRV_MESSAGEBUFSIZE bytes) and returns it, or returns
   null for an unknown code. Vector queries copy entries begin..end. */
KRVAPI char *KRVgetstatstring(KRVenv env, int statind, char *buffer_str);
KRVAPI int KRVgetstat(KRVenv env, KRVprob lp);
KRVAPI int KRVgetmethod(KRVenv env, KRVprob lp);
KRVAPI int KRVsolninfo(KRVenv env, KRVprob lp, int *solnmethod_p, int *solntype_p, int *pfeasind_p,
                       int *dfeasind_p);
KRVAPI int KRVsolution(KRVenv env, KRVprob lp, int *lpstat_p, double *objval_p, double *x,
                       double *pi, double *slack, double *dj);
KRVAPI int KRVgetobjval(KRVenv env, KRVprob lp, double *objval_p);
KRVAPI int KRVgetx(KRVenv env, KRVprob lp, double *x, int begin, int end);
KRVAPI int KRVgetpi(KRVenv env, KRVprob lp, double *pi, int begin, int end);
KRVAPI int KRVgetslack(KRVenv env, KRVprob lp, double *slack, int begin, int end);
KRVAPI int KRVgetdj(KRVenv env, KRVprob lp, double *dj, int begin, int end);
KRVAPI int KRVgetax(KRVenv env, KRVprob lp, double *x, int begin, int end);
/* Violations of the rows and bounds by x (the solution's x when null):
   negative below the lower end, positive above the upper end, else 0. */
KRVAPI int KRVgetrowinfeas(KRVenv env, KRVprob lp, const double *x, double *infeasout, int begin,
                           int end);
KRVAPI int KRVgetcolinfeas(KRVenv env, KRVprob lp, const double *x, double *infeasout, int begin,
                           int end);

/* Counters of the last optimisation. A count beyond the 32-bit range is
   returned as INT_MAX (INT_MIN when negative) with error 1810; the KRVL
   functions return the 64-bit counts. */
KRVAPI int KRVgetitcnt(KRVenv env, KRVprob lp);
KRVAPI int KRVgetphase1cnt(KRVenv env, KRVprob lp);
KRVAPI int KRVgetbaritcnt(KRVenv env, KRVprob lp);
KRVAPI int KRVgetcrossppushcnt(KRVenv env, KRVprob lp);
KRVAPI int KRVgetcrosspexchcnt(KRVenv env, KRVprob lp);
KRVAPI int KRVgetcrossdpushcnt(KRVenv env, KRVprob lp);
KRVAPI int KRVgetcrossdexchcnt(KRVenv env, KRVprob lp);
KRVAPI int KRVgetsiftitcnt(KRVenv env, KRVprob lp);
KRVAPI int KRVgetsiftphase1cnt(KRVenv env, KRVprob lp);
KRVAPI long long KRVLgetitcnt(KRVenv env, KRVprob lp);
KRVAPI long long KRVLgetphase1cnt(KRVenv env, KRVprob lp);
KRVAPI long long KRVLgetbaritcnt(KRVenv env, KRVprob lp);
KRVAPI long long KRVLgetcrossppushcnt(KRVenv env, KRVprob lp);
KRVAPI long long KRVLgetcrosspexchcnt(KRVenv env, KRVprob lp);
KRVAPI long long KRVLgetcrossdpushcnt(KRVenv env, KRVprob lp);
KRVAPI long long KRVLgetcrossdexchcnt(KRVenv env, KRVprob lp);
KRVAPI long long KRVLgetsiftitcnt(KRVenv env, KRVprob lp);
KRVAPI long long KRVLgetsiftphase1cnt(KRVenv env, KRVprob lp);

/* Mixed-integer optimisation: branch-and-bound on a problem with integer,
   binary, semi-continuous or semi-integer columns, special ordered sets,
   indicator constraints or lazy constraints. The outcome is the MIP
   status (101..134); KRVgetobjval, KRVgetx, KRVgetslack and KRVsolution
   then answer the incumbent. The queries below need a problem that has
   been optimised by KRVmipopt (1217 otherwise); counts are 0 and
   KRVgetnodeint -1 after an error. */
KRVAPI int KRVmipopt(KRVenv env, KRVprob lp);
/* Fills the solution pool: an ordinary MIP optimisation first (unless the
   last one ended optimal), then an enumeration of the solutions the pool
   keeps (KRV_PARAM_SOLNPOOLGAP/AGAP, filters) up to KRV_PARAM_POPULATELIM
   new ones: status 128 at that limit, 129 when every solution was
   enumerated, 130 when the pool gaps limited the enumeration. */
KRVAPI int KRVpopulate(KRVenv env, KRVprob lp);
KRVAPI int KRVgetnodecnt(KRVenv env, KRVprob lp);
KRVAPI int KRVgetnodeleftcnt(KRVenv env, KRVprob lp);
KRVAPI int KRVgetmipitcnt(KRVenv env, KRVprob lp);
KRVAPI int KRVgetnodeint(KRVenv env, KRVprob lp);
KRVAPI int KRVgetsubstat(KRVenv env, KRVprob lp);
KRVAPI int KRVgetsubmethod(KRVenv env, KRVprob lp);
/* Best bound, relative gap s*(z - b)/(|z| + 1e-10) of the incumbent z and
   the bound b (0 when |z - b| <= 1e-9), and the incumbent cutoff value. */
KRVAPI int KRVgetbestobjval(KRVenv env, KRVprob lp, double *objval_p);
KRVAPI int KRVgetmiprelgap(KRVenv env, KRVprob lp, double *gap_p);
KRVAPI int KRVgetcutoff(KRVenv env, KRVprob lp, double *cutoff_p);
KRVAPI long long KRVLgetnodecnt(KRVenv env, KRVprob lp);
KRVAPI long long KRVLgetnodeleftcnt(KRVenv env, KRVprob lp);
KRVAPI long long KRVLgetmipitcnt(KRVenv env, KRVprob lp);
KRVAPI long long KRVLgetnodeint(KRVenv env, KRVprob lp);
KRVAPI int KRVLgetsubstat(KRVenv env, KRVprob lp);
KRVAPI int KRVLgetsubmethod(KRVenv env, KRVprob lp);
KRVAPI int KRVLgetbestobjval(KRVenv env, KRVprob lp, double *objval_p);
KRVAPI int KRVLgetmiprelgap(KRVenv env, KRVprob lp, double *gap_p);
KRVAPI int KRVLgetcutoff(KRVenv env, KRVprob lp, double *cutoff_p);

/* MIP starts: partial or complete solutions handed to the next KRVmipopt,
   each a list of (column, value) pairs with an effort level and an
   optional name. The search turns each start into a solution as hard as
   its level says and takes the best one found as its first incumbent; a
   point is never taken without checking it against the model. Starts
   belong to a MIP (3003 "Not a mixed-integer problem" otherwise), survive
   optimisations and follow column deletions; KRVcopylp and a change to a
   continuous problem type discard them.
   Effort levels: KRV_MIPSTART_AUTO is KRV_MIPSTART_REPAIR for the start at
   index 0 and KRV_MIPSTART_CHECKFEAS for every other; CHECKFEAS checks the
   values as they are (continuous columns left out are computed);
   SOLVEFIXED fixes the integer values and solves for the rest; SOLVEMIP
   searches for a completion of the integer values given; REPAIR does the
   same and, when that fails, keeps the start for the repair heuristic
   (KRV_PARAM_REPAIRTRIES); NOCHECK is taken as SOLVEMIP. -1 skips a start.
   Errors: 3020 "No MIP start exists" where starts must exist, 1003 for a
   negative count or an unknown effort level, 1004 for a null required
   array, 1224 for a null entry of a name array (its index is printed),
   1200 for a start index or column index out of range (1201 with its
   position when KRV_PARAM_DATACHECK is on). Bad input changes nothing. */
#define KRV_MIPSTART_AUTO 0
#define KRV_MIPSTART_CHECKFEAS 1
#define KRV_MIPSTART_SOLVEFIXED 2
#define KRV_MIPSTART_SOLVEMIP 3
#define KRV_MIPSTART_REPAIR 4
#define KRV_MIPSTART_NOCHECK 5

/* Adds mcnt starts; start k's columns and values are at beg[k] ..
   beg[k + 1] - 1 (the last up to nzcnt - 1). effortlevel has one entry per
   start; mipstartname may be null (unnamed starts are shown as "m1",
   "m2", ... by their 1-based index). A column given twice in one start
   keeps the later value (1222 when KRV_PARAM_DATACHECK is on). */
KRVAPI int KRVaddmipstarts(KRVenv env, KRVprob lp, int mcnt, int nzcnt, const int *beg,
                           const int *varindices, const double *values,
                           const int *effortlevel, char **mipstartname);
KRVAPI int KRVLaddmipstarts(KRVenv env, KRVprob lp, int mcnt, long long nzcnt,
                            const long long *beg, const int *varindices, const double *values,
                            const int *effortlevel, char **mipstartname);
KRVAPI int KRVSaddmipstarts(KRVenv env, KRVprob lp, int mcnt, int nzcnt, const int *beg,
                            const int *varindices, const double *values,
                            const int *effortlevel, char **mipstartname);
/* Changes starts mipstartindices[0 .. mcnt-1]: the columns listed for a
   start get the new values or join it; effortlevel (may be null: levels
   unchanged) gives the new levels. */
KRVAPI int KRVchgmipstarts(KRVenv env, KRVprob lp, int mcnt, const int *mipstartindices,
                           int nzcnt, const int *beg, const int *varindices,
                           const double *values, const int *effortlevel);
KRVAPI int KRVLchgmipstarts(KRVenv env, KRVprob lp, int mcnt, const int *mipstartindices,
                            long long nzcnt, const long long *beg, const int *varindices,
                            const double *values, const int *effortlevel);
KRVAPI int KRVSchgmipstarts(KRVenv env, KRVprob lp, int mcnt, const int *mipstartindices,
                            int nzcnt, const int *beg, const int *varindices,
                            const double *values, const int *effortlevel);
/* Starts begin..end packed like KRVaddmipstarts; effortlevel may be null.
   *nzcnt_p receives the number of entries, *surplus_p startspace minus the
   entries needed (negative: 1207, silent when startspace is 0). */
KRVAPI int KRVgetmipstarts(KRVenv env, KRVprob lp, int *nzcnt_p, int *beg, int *varindices,
                           double *values, int *effortlevel, int startspace, int *surplus_p,
                           int begin, int end);
KRVAPI int KRVLgetmipstarts(KRVenv env, KRVprob lp, long long *nzcnt_p, long long *beg,
                            int *varindices, double *values, int *effortlevel,
                            long long startspace, long long *surplus_p, int begin, int end);
KRVAPI int KRVSgetmipstarts(KRVenv env, KRVprob lp, int *nzcnt_p, int *beg, int *varindices,
                            double *values, int *effortlevel, int startspace, int *surplus_p,
                            int begin, int end);
KRVAPI int KRVgetnummipstarts(KRVenv env, KRVprob lp);
/* Names as KRVgetcolname gives column names; unnamed starts have their
   default names. KRVgetmipstartindex finds a name (stored or default);
   1210, unprinted, when no start has it. */
KRVAPI int KRVgetmipstartname(KRVenv env, KRVprob lp, char **name, char *namestore,
                              int storespace, int *surplus_p, int begin, int end);
KRVAPI int KRVLgetmipstartname(KRVenv env, KRVprob lp, char **name, char *namestore,
                               long long storespace, long long *surplus_p, int begin, int end);
KRVAPI int KRVSgetmipstartname(KRVenv env, KRVprob lp, char **name, char *namestore,
                               int storespace, int *surplus_p, int begin, int end);
KRVAPI int KRVgetmipstartindex(KRVenv env, KRVprob lp, const char *lname_str, int *index_p);
/* KRVdelsetmipstarts deletes start k when delstat[k] is 1 and stores in
   delstat the new index of every start (-1 for deleted ones). */
KRVAPI int KRVdelmipstarts(KRVenv env, KRVprob lp, int begin, int end);
KRVAPI int KRVdelsetmipstarts(KRVenv env, KRVprob lp, int *delstat);
/* Single-start forms. KRVcopymipstart replaces all starts by one unnamed
   start of automatic effort with these values (cnt 0 removes all starts);
   KRVchgmipstart changes the values of start 0, creating it (unnamed,
   automatic) when there is none; KRVgetmipstart gives start 0, with the
   surplus convention of KRVgetmipstarts on mipstartspace. */
KRVAPI int KRVcopymipstart(KRVenv env, KRVprob lp, int cnt, const int *indices,
                           const double *values);
KRVAPI int KRVchgmipstart(KRVenv env, KRVprob lp, int cnt, const int *indices,
                          const double *values);
KRVAPI int KRVgetmipstart(KRVenv env, KRVprob lp, int *cnt_p, int *indices, double *value,
                          int mipstartspace, int *surplus_p);
/* Older names of KRVgetnummipstarts and KRVgetmipstarts. */
KRVAPI int KRVgetsolnpoolnummipstarts(KRVenv env, KRVprob lp);
KRVAPI int KRVgetsolnpoolmipstart(KRVenv env, KRVprob lp, int *nzcnt_p, int *beg,
                                  int *varindices, double *values, int *effortlevel,
                                  int startspace, int *surplus_p, int begin, int end);
KRVAPI int KRVLgetsolnpoolmipstart(KRVenv env, KRVprob lp, long long *nzcnt_p,
                                   long long *beg, int *varindices, double *values,
                                   int *effortlevel, long long startspace,
                                   long long *surplus_p, int begin, int end);
KRVAPI int KRVSgetsolnpoolmipstart(KRVenv env, KRVprob lp, int *nzcnt_p, int *beg,
                                   int *varindices, double *values, int *effortlevel,
                                   int startspace, int *surplus_p, int begin, int end);
/* Conflict refinement of a start is not available in this version: after
   the checks of the problem (3003), the starts (3020) and the start index
   (1200), both return 1719 "Conflict is not available". The counts of
   KRVrefinemipstartconflict (may be null) are set to 0. */
KRVAPI int KRVrefinemipstartconflict(KRVenv env, KRVprob lp, int mipstartindex,
                                     int *confnumrows_p, int *confnumcols_p);
KRVAPI int KRVrefinemipstartconflictext(KRVenv env, KRVprob lp, int mipstartindex, int grpcnt,
                                        int concnt, const double *grppref, const int *grpbeg,
                                        const int *grpind, const char *grptype);
/* Files of MIP starts. KRVwritemipstarts writes starts begin..end, and
   KRVmstwrite all of them, as XML (a KORVASolutions document, UTF-8,
   compressed by the name's suffix); with hidden integer parameter 1108 set
   to 1, KRVmstwrite writes the first start in the older text form (by
   column names; default names x1, x2, ... for a problem without names).
   KRV_PARAM_WRITELEVEL selects the entries written. KRVreadcopymipstarts
   replaces the problem's starts by those of the file, KRVreadcopymipstart
   by its first one; KRVreadcopysol reads a solution file into a MIP as
   its only start. A file is XML when its first character that is not white space
   is '<', else it is read in the older text form (1219 "No names exist"
   for a problem without column names). Entries name their column (the
   name wins) or give its index; unknown columns and repeated entries are
   warnings with their line numbers (at most 20 printed). Malformed XML is
   1425; nothing read is installed after an error, nor when the file holds
   no values ("Warning: no MIP start values read, no MIP start loaded."). */
KRVAPI int KRVwritemipstarts(KRVenv env, KRVprob lp, const char *filename_str, int begin,
                             int end);
KRVAPI int KRVmstwrite(KRVenv env, KRVprob lp, const char *filename_str);
KRVAPI int KRVreadcopymipstarts(KRVenv env, KRVprob lp, const char *filename_str);
KRVAPI int KRVreadcopymipstart(KRVenv env, KRVprob lp, const char *filename_str);
KRVAPI int KRVreadcopysol(KRVenv env, KRVprob lp, const char *filename_str);

/* Solution pool. A MIP search keeps integer feasible solutions besides
   the incumbent; solution indices run from 0 to KRVgetsolnpoolnumsolns - 1,
   and soln -1 stands for the incumbent in the value queries and in
   KRVchgprobtypesolnpool. Without a pool (no MIP optimisation yet, or the
   last solutions and filters deleted) the queries give 3024 and the counts
   0; a solution or filter index outside the pool gives 1200, a bad
   begin..end range 1200 with the 'begin'/'end' message. Slacks are
   rhs - a'x per row (rhs - lin'x - x'Qx per quadratic constraint). Names
   follow the surplus convention; the index lookups return 1210, unprinted,
   for an unknown name. The deletion entries delete solutions (filters)
   begin..end, or those with delstat[k] == 1, writing the new index or -1
   back into delstat.
   Filters are conditions a solution must meet to enter the pool: a
   diversity filter wants lower_cutoff <= sum weight[k]*|x[ind[k]] -
   refval[k]| <= upper_cutoff over binary columns (weight null: all 1;
   another column type gives 3414), a range filter lb <= sum val[k]*x[ind[k]]
   <= ub. They may be set before the first optimisation of a MIP problem
   (3003 for other problems); a null name gives "f1", "f2", .... nzcnt < 0
   gives 1003, null arrays with nzcnt > 0 give 1004. KRVgetsolnpooldivfilter
   and KRVgetsolnpoolrngfilter fill at most space entries (1207 and
   surplus when too few; 1003 for a filter of the other type).
   KRVreadcopysolnpoolfilters replaces the filters with those of an XML
   filter file, KRVfltwrite writes them. */
#define KRV_FILTER_DIVERSITY 1
#define KRV_FILTER_RANGE 2
KRVAPI int KRVgetsolnpoolnumsolns(KRVenv env, KRVprob lp);
KRVAPI int KRVgetsolnpoolnumreplaced(KRVenv env, KRVprob lp);
KRVAPI int KRVgetsolnpoolobjval(KRVenv env, KRVprob lp, int soln, double *objval_p);
KRVAPI int KRVgetsolnpoolx(KRVenv env, KRVprob lp, int soln, double *x, int begin, int end);
KRVAPI int KRVgetsolnpoolslack(KRVenv env, KRVprob lp, int soln, double *slack, int begin, int end);
KRVAPI int KRVgetsolnpoolqconstrslack(KRVenv env, KRVprob lp, int soln, double *qcslack, int begin,
                                      int end);
KRVAPI int KRVgetsolnpoolmeanobjval(KRVenv env, KRVprob lp, double *meanobjval_p);
KRVAPI int KRVgetsolnpoolsolnname(KRVenv env, KRVprob lp, char *store, int storesz, int *surplus_p,
                                  int soln);
KRVAPI int KRVgetsolnpoolsolnindex(KRVenv env, KRVprob lp, const char *lname_str, int *index_p);
KRVAPI int KRVdelsolnpoolsolns(KRVenv env, KRVprob lp, int begin, int end);
KRVAPI int KRVdelsetsolnpoolsolns(KRVenv env, KRVprob lp, int *delstat);
/* Changes the problem type as KRVchgprobtype does, but the fixed types fix
   the integer columns at pool solution soln (-1: the incumbent). The pool
   keeps the bounds they had and puts them back when this function changes
   the type again; its solutions survive going from one fixed solution to
   another and back to the unfixed type. */
KRVAPI int KRVchgprobtypesolnpool(KRVenv env, KRVprob lp, int type, int soln);
KRVAPI int KRVaddsolnpooldivfilter(KRVenv env, KRVprob lp, double lower_cutoff, double upper_cutoff,
                                   int nzcnt, const int *ind, const double *weight,
                                   const double *refval, const char *lname_str);
KRVAPI int KRVaddsolnpoolrngfilter(KRVenv env, KRVprob lp, double lb, double ub, int nzcnt,
                                   const int *ind, const double *val, const char *lname_str);
KRVAPI int KRVgetsolnpoolnumfilters(KRVenv env, KRVprob lp);
KRVAPI int KRVgetsolnpoolfiltertype(KRVenv env, KRVprob lp, int *ftype_p, int which);
KRVAPI int KRVgetsolnpooldivfilter(KRVenv env, KRVprob lp, double *lower_cutoff_p,
                                   double *upper_cutoff_p, int *nzcnt_p, int *ind, double *weight,
                                   double *refval, int space, int *surplus_p, int which);
KRVAPI int KRVgetsolnpoolrngfilter(KRVenv env, KRVprob lp, double *lb_p, double *ub_p, int *nzcnt_p,
                                   int *ind, double *val, int space, int *surplus_p, int which);
KRVAPI int KRVgetsolnpoolfiltername(KRVenv env, KRVprob lp, char *buf_str, int bufspace,
                                    int *surplus_p, int which);
KRVAPI int KRVgetsolnpoolfilterindex(KRVenv env, KRVprob lp, const char *lname_str, int *index_p);
KRVAPI int KRVdelsolnpoolfilters(KRVenv env, KRVprob lp, int begin, int end);
KRVAPI int KRVdelsetsolnpoolfilters(KRVenv env, KRVprob lp, int *delstat);
KRVAPI int KRVreadcopysolnpoolfilters(KRVenv env, KRVprob lp, const char *filename_str);
KRVAPI int KRVfltwrite(KRVenv env, KRVprob lp, const char *filename_str);

/* Solution quality. Selectors 1..57:
    1/2   max/total primal infeasibility (bounds and rows combined)
    3/4   max/total bound infeasibility    5/6   max/total row infeasibility
    7..12 the same six, scaled
   13/14  max/total dual infeasibility (reduced costs and row duals)
   15/16  reduced costs                    17/18 row duals
   19..24 the same six, scaled
   25..32 max/sum of |x|, |slack|, |pi|, |dj|;   33..40 the same, scaled
   41/42  max/total |rhs - Ax - slack|     43/44 max/total |c - A'pi - dj|
   45..48 the same, scaled
   49/50  condition number of the basis, scaled/unscaled
   51 primal objective  52 dual objective  53 duality gap
   54 relative duality gap  55/56 max/total complementarity violation
   57 max quadratic-constraint violation
   KRVgetintquality gives the column (j) or row (-i-1; i for the row-only
   measures) where a maximum is attained, or 2100000000. */
KRVAPI int KRVgetdblquality(KRVenv env, KRVprob lp, double *quality_p, int what);
KRVAPI int KRVgetintquality(KRVenv env, KRVprob lp, int *quality_p, int what);

/* Starting information for the next optimisation (KRV_PARAM_ADVIND): a
   basis when cstat and rstat are both given, primal and dual values for
   the variables and rows. Any array may be null. */
KRVAPI int KRVcopystart(KRVenv env, KRVprob lp, const int *cstat, const int *rstat,
                        const double *cprim, const double *rprim, const double *cdual,
                        const double *rdual);

/* Solves with the basis factor of the last simplex run, in the user's
   units: x <- inverse(B) x and y <- inverse(B)' y (one entry per row). */
KRVAPI int KRVftran(KRVenv env, KRVprob lp, double *x);
KRVAPI int KRVbtran(KRVenv env, KRVprob lp, double *y);
/* Puts the problem back in unscaled form and forgets its scale factors. */
KRVAPI int KRVunscaleprob(KRVenv env, KRVprob lp);
/* The most primal-infeasible basic variable of the current basis (column
   j, or -i-1 for the slack of row i), or 2100000000 when it is feasible. */
KRVAPI int KRVcheckpfeas(KRVenv env, KRVprob lp, int *infeas_p);
/* After an infeasible result of the dual simplex: multipliers y (one per
   row) proving infeasibility, and the proof value (positive). */
KRVAPI int KRVdualfarkas(KRVenv env, KRVprob lp, double *y, double *proof_p);

/* Basis queries, rays, manual pivots and sensitivity ranges of a solved LP.
   All work on the basis of the last optimisation (factorised once when the
   solve ended without a factor) and speak the user's units. Variables are
   named j >= 0 for column j and -i-1 for the slack of row i; 2100000000
   means none. Errors: 1217 without a basic solution, 1258 when its basis
   cannot be factorised, 1017/1018/1031 for non-LP problems.

   KRVgetbhead: for each basis position p, head[p] the basic variable and
   x[p] its value (a slack's value as KRVgetslack gives it); either may be
   null. KRVbinvcol: column j of inverse(B) (m values); KRVbinvrow: row i
   of inverse(B) (m values); KRVbinvacol: inverse(B) times column j of A
   (m values); KRVbinvarow: row i of inverse(B) A (n values). In B a slack
   has the unit column of its row. KRVgetijrow: the basis position of the
   slack of row i (i >= 0, j < 0) or of column j (j >= 0, i < 0) in
   *row_p (-1 and error 1251 when that variable is not basic). */
KRVAPI int KRVgetbhead(KRVenv env, KRVprob lp, int *head, double *x);
KRVAPI int KRVbinvcol(KRVenv env, KRVprob lp, int j, double *x);
KRVAPI int KRVbinvrow(KRVenv env, KRVprob lp, int i, double *y);
KRVAPI int KRVbinvacol(KRVenv env, KRVprob lp, int j, double *x);
KRVAPI int KRVbinvarow(KRVenv env, KRVprob lp, int i, double *z);
KRVAPI int KRVgetijrow(KRVenv env, KRVprob lp, int i, int j, int *row_p);
/* After an unbounded result (else 1254): a direction z (one value per
   column) along which all rows and bounds hold and the objective improves
   without limit. */
KRVAPI int KRVgetray(KRVenv env, KRVprob lp, double *z);
/* Refactorises the current basis and gives the most dual-infeasible
   nonbasic variable against KRV_PARAM_EPOPT, or 2100000000 (1267 when the
   basis has to be repaired). */
KRVAPI int KRVcheckdfeas(KRVenv env, KRVprob lp, int *infeas_p);
/* Checks the stored basic solution on the unscaled data: an optimum with
   violations beyond the tolerances becomes status 5, a status 5 that meets
   them becomes 1. *lpstatus_p receives the resulting status. */
KRVAPI int KRVchecksoln(KRVenv env, KRVprob lp, int *lpstatus_p);
/* Manual pivots. KRVpivotin makes the slacks of the listed rows basic,
   KRVpivotout the listed columns (each fixed, else 1221) nonbasic;
   KRVpivot lets jenter replace the basic jleave, which becomes nonbasic
   with status nbstat (KRV_AT_LOWER, KRV_AT_UPPER or KRV_FREE_SUPER; for a
   slack, at the right-hand side or at the other end of its range). The
   solution record then holds the new basis's values, with status 1 when it
   is still optimal and 6 otherwise. An index out of range is 1003, a
   pivot the basis cannot take 1267. */
KRVAPI int KRVpivotin(KRVenv env, KRVprob lp, const int *rlist, int rlen);
KRVAPI int KRVpivotout(KRVenv env, KRVprob lp, const int *clist, int clen);
KRVAPI int KRVpivot(KRVenv env, KRVprob lp, int jenter, int jleave, int nbstat);
/* Ratio tests without a basis change. KRVpratio: for each listed nonbasic
   variable, how far it can decrease (down) and increase (up) in its own
   units before a basic variable or its own other bound stops it (1e20:
   nothing does), which variable that is (2100000000: none) and the status
   it would take (KRV_AT_LOWER or KRV_AT_UPPER, -1 for none). KRVdratio:
   for each listed basic variable (else 1251), the dual step (the size of
   its reduced cost) at which another variable would have to enter when it
   leaves at its lower (down) or upper (up) bound, and that variable.
   KRVmdleave: for each listed basic variable, the least objective
   degradation of forcing it to its lower (down) or upper (up) bound by one
   dual step (1e20: unlimited). Any output array may be null. */
KRVAPI int KRVpratio(KRVenv env, KRVprob lp, const int *indices, int cnt, double *downratio, double *upratio,
                     int *downleave, int *upleave, int *downleavestatus, int *upleavestatus);
KRVAPI int KRVdratio(KRVenv env, KRVprob lp, const int *indices, int cnt, double *downratio, double *upratio,
                     int *downenter, int *upenter);
KRVAPI int KRVmdleave(KRVenv env, KRVprob lp, const int *indices, int cnt, double *downratio,
                      double *upratio);
/* Sensitivity ranges of an optimal basis (status 1 or 5; right-hand sides
   and bounds also after status 2, from its primal feasible basis; 1260
   otherwise), for the entities begin..end: each interval is the values
   over which that one number may move with the basis staying optimal,
   +-1e20 where unlimited. KRVobjsa: objective coefficients of columns;
   KRVrhssa: right-hand sides of rows; KRVboundsa: the lower and the upper
   bound of columns. Any output may be null, not all. */
KRVAPI int KRVobjsa(KRVenv env, KRVprob lp, int begin, int end, double *lower, double *upper);
KRVAPI int KRVrhssa(KRVenv env, KRVprob lp, int begin, int end, double *lower, double *upper);
KRVAPI int KRVboundsa(KRVenv env, KRVprob lp, int begin, int end, double *lblower, double *lbupper,
                      double *ublower, double *ubupper);

/* Presolve. KRVpresolve reduces the problem for `method` (1 primal, 2 dual
   simplex) without optimising; the reduced problem is an ordinary problem
   object owned by the original (KRVgetredlp gives null when none exists).
   KRVgetprestat: prestat 0 no presolve, 1 a reduced problem exists, 2
   presolve removed everything; pcstat and prstat give per original column
   and row its reduced index or a negative code (-3: an inequality row that
   became an equality); ocstat and orstat per reduced column and row its
   original index. Any output may be null, but not all. */
KRVAPI int KRVpresolve(KRVenv env, KRVprob lp, int method);
KRVAPI int KRVfreepresolve(KRVenv env, KRVprob lp);
KRVAPI int KRVgetredlp(KRVenv env, KRVprob lp, KRVprob *redlp_p);
KRVAPI int KRVgetprestat(KRVenv env, KRVprob lp, int *prestat_p, int *pcstat, int *prstat, int *ocstat,
                         int *orstat);
/* Crush maps original vectors and linear forms to the reduced problem,
   uncrush maps them back. A form is len entries (ind, val); its crushed
   form has a constant offset and at most one entry per reduced column
   (pind and pval need that room); an uncrushed form at most plen entries. */
KRVAPI int KRVcrushx(KRVenv env, KRVprob lp, const double *x, double *prex);
KRVAPI int KRVcrushpi(KRVenv env, KRVprob lp, const double *pi, double *prepi);
KRVAPI int KRVcrushform(KRVenv env, KRVprob lp, int len, const int *ind, const double *val, int *plen_p,
                        double *poffset_p, int *pind, double *pval);
KRVAPI int KRVuncrushx(KRVenv env, KRVprob lp, double *x, const double *prex);
KRVAPI int KRVuncrushpi(KRVenv env, KRVprob lp, double *pi, const double *prepi);
KRVAPI int KRVuncrushform(KRVenv env, KRVprob lp, int plen, const int *pind, const double *pval,
                          int *len_p, double *offset_p, int *ind, double *val);
/* Original index of reduced column (row) `redindex`. */
KRVAPI int KRVEgetorigcolind(KRVenv env, KRVprob lp, int redindex, int *origindex_p);
KRVAPI int KRVEgetorigrowind(KRVenv env, KRVprob lp, int redindex, int *origindex_p);
/* A basic presolve of the problem without a reduced problem: tightened
   column bounds, and rstat[i] 1 for the rows it removes, 0 for the others.
   Any array may be null. */
KRVAPI int KRVbasicpresolve(KRVenv env, KRVprob lp, double *redlb, double *redub, int *rstat);

#ifdef __cplusplus
}
#endif

#endif /* KORVA_KORVA_H */
