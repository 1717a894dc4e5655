// Exported functions: row, column and problem names.
#include "api/model_families.h"

using namespace korva;

namespace {

int rename_items(KRVenv env, KRVprob lp, model::Dim dim, int cnt, const int* indices,
           char** newname) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (cnt < 0) return err::kBadArgument;
    api::Utf8Names names;
    if (int s = names.convert(e, newname, cnt)) return s;
    return model::chg_names(e, p, dim, cnt, indices, names.get());
  });
}

template <class Pos>
int names_of(const char* fname, KRVenv env, KRVprob lp, model::Dim dim, char** name,
             char* namestore, Pos storespace, Pos* surplus_p, int begin, int end) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return api::with_counts<Pos>(e, nullptr, surplus_p, [&](int64_t*, int64_t* sur) {
      return model::get_names(e, p, dim, fname, name, namestore, storespace, sur, begin, end);
    });
  });
}

int index_of(KRVenv env, KRVprob lp, model::Dim dim, const char* lname_str, int* index_p) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    if (!lname_str || !index_p) return err::kNullPointer;
    api::Utf8Name name;
    if (int s = name.convert(e, lname_str)) return s;
    return model::find_index(e, p, dim, name.get(), index_p);
  });
}

}  // namespace

extern "C" {

int KRVchgname(KRVenv env, KRVprob lp, int key, int ij, const char* newname_str) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (!newname_str) return err::kNullPointer;
    api::Utf8Name name;
    if (int s = name.convert(e, newname_str)) return s;
    return model::chg_name(e, p, key, ij, name.get());
  });
}

int KRVchgrowname(KRVenv env, KRVprob lp, int cnt, const int* indices, char** newname) {
  return rename_items(env, lp, model::Dim::Rows, cnt, indices, newname);
}

int KRVchgcolname(KRVenv env, KRVprob lp, int cnt, const int* indices, char** newname) {
  return rename_items(env, lp, model::Dim::Cols, cnt, indices, newname);
}

int KRVchgprobname(KRVenv env, KRVprob lp, const char* probname) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (!probname) return err::kNullPointer;
    api::Utf8Name name;
    if (int s = name.convert(e, probname)) return s;
    return model::set_problem_name(e, p, name.get());
  });
}

int KRVdelnames(KRVenv env, KRVprob lp) {
  return api::call(env, lp, api::kNone,
                   [&](Environment& e, Problem& p) { return model::del_names(e, p); });
}

int KRVgetrowname(KRVenv env, KRVprob lp, char** name, char* namestore, int storespace,
                  int* surplus_p, int begin, int end) {
  return names_of("KRVgetrowname", env, lp, model::Dim::Rows, name, namestore, storespace,
                  surplus_p, begin, end);
}
KORVA_S_ALIAS(int, KRVSgetrowname, KRVgetrowname,
              (KRVenv env, KRVprob lp, char** name, char* namestore, int storespace,
               int* surplus_p, int begin, int end))

int KRVLgetrowname(KRVenv env, KRVprob lp, char** name, char* namestore, long long storespace,
                   long long* surplus_p, int begin, int end) {
  return names_of("KRVLgetrowname", env, lp, model::Dim::Rows, name, namestore, storespace,
                  surplus_p, begin, end);
}

int KRVgetcolname(KRVenv env, KRVprob lp, char** name, char* namestore, int storespace,
                  int* surplus_p, int begin, int end) {
  return names_of("KRVgetcolname", env, lp, model::Dim::Cols, name, namestore, storespace,
                  surplus_p, begin, end);
}
KORVA_S_ALIAS(int, KRVSgetcolname, KRVgetcolname,
              (KRVenv env, KRVprob lp, char** name, char* namestore, int storespace,
               int* surplus_p, int begin, int end))

int KRVLgetcolname(KRVenv env, KRVprob lp, char** name, char* namestore, long long storespace,
                   long long* surplus_p, int begin, int end) {
  return names_of("KRVLgetcolname", env, lp, model::Dim::Cols, name, namestore, storespace,
                  surplus_p, begin, end);
}

int KRVgetrowindex(KRVenv env, KRVprob lp, const char* lname_str, int* index_p) {
  return index_of(env, lp, model::Dim::Rows, lname_str, index_p);
}

int KRVgetcolindex(KRVenv env, KRVprob lp, const char* lname_str, int* index_p) {
  return index_of(env, lp, model::Dim::Cols, lname_str, index_p);
}

}  // extern "C"
