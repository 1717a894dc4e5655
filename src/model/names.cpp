// Row and column names: renaming, removing, reading, finding, and the names
// writers use for unnamed items.
#include <cstring>

#include "env/errors.h"
#include "model/datacheck.h"
#include "model/edit_support.h"
#include "model/name_list.h"

namespace korva::model {
namespace {

NameStore& store_of(Problem& lp, Dim dim) {
  return dim == Dim::Rows ? lp.lp.row_names : lp.lp.col_names;
}
int count_of(const Problem& lp, Dim dim) {
  return dim == Dim::Rows ? lp.num_rows() : lp.num_cols();
}
char letter_of(Dim dim) { return dim == Dim::Rows ? 'c' : 'x'; }

std::string default_name(char letter, int64_t index) {
  char buffer[32];
  const int n = format_default_name(buffer, sizeof buffer, letter, index);
  return std::string(buffer, static_cast<size_t>(n));
}

// Stored name, else the environment's provider, else the default name.
std::string writer_name(Environment& env, const Problem& lp, Dim dim, int index) {
  if (index < 0 || index >= count_of(lp, dim)) return {};
  const NameStore& store = dim == Dim::Rows ? lp.lp.row_names : lp.lp.col_names;
  if (store.present()) return store.get(index);
  const NameProviders& np = env.name_providers;
  const KRVnamefunc provider = dim == Dim::Rows ? np.row : np.column;
  if (provider) {
    char buffer[256] = {};
    if (const char* text = provider(np.handle, index, buffer, sizeof buffer)) return text;
  }
  return default_name(letter_of(dim), index);
}

}  // namespace

int chg_names(Environment& env, Problem& lp, Dim dim, int count, const int* indices,
              const char* const* names) {
  if (int status = detail::begin_edit(env, lp)) return status;
  if (count < 0) return err::kBadArgument;
  if (count > 0 && (!indices || !names)) return err::kNullPointer;
  const int n = count_of(lp, dim);
  if (int s = check::index_list(env, indices, count, n, dim == Dim::Rows)) return s;
  if (check::enabled(env))
    if (int s = check::names(env, names, count)) return s;

  NameStore& store = store_of(lp, dim);
  int64_t bytes = 0;
  for (int k = 0; k < count; ++k)
    bytes += names[k] ? static_cast<int64_t>(std::strlen(names[k])) + 1
                      : NameStore::default_length(indices[k]);
  if (!store.present()) {
    // The first names of a dimension: every item gets its default name,
    // then the given ones replace theirs.
    NameStore fresh;
    fresh.make_defaults(n, letter_of(dim));
    fresh.reserve_more(0, bytes);
    store = std::move(fresh);
  } else {
    if (store.mostly_dead()) store.compact();
    store.reserve_more(0, bytes);
  }
  char buffer[32];
  for (int k = 0; k < count; ++k) {
    if (names[k]) {
      store.rename(indices[k], names[k]);
    } else {
      format_default_name(buffer, sizeof buffer, letter_of(dim), indices[k]);
      store.rename(indices[k], buffer);
    }
  }
  raise_event(lp, ChangeEvent::Names);
  return 0;
}

int chg_name(Environment& env, Problem& lp, int key, int index, const char* name_utf8) {
  if (!name_utf8) return err::kNullPointer;
  if (key != 'r' && key != 'c') {
    // Any other key names nothing; it is not an error.
    return check_modifiable(lp);
  }
  const char* names[1] = {name_utf8};
  return chg_names(env, lp, key == 'r' ? Dim::Rows : Dim::Cols, 1, &index, names);
}

int del_names(Environment& env, Problem& lp) {
  if (int status = detail::begin_edit(env, lp)) return status;
  lp.lp.row_names.clear();
  lp.lp.col_names.clear();
  raise_event(lp, ChangeEvent::Names);
  return 0;
}

int get_names(Environment& env, Problem& lp, Dim dim, const char* fname, char** name,
              char* store, int64_t space, int64_t* surplus, int begin, int end) {
  if (int status = detail::begin_read(env, lp)) return status;
  if (!surplus) return err::kNullPointer;
  if (int status = check_range(&env, fname, begin, end, count_of(lp, dim))) return status;
  const NameStore& names = store_of(lp, dim);
  if (!names.present()) return err::kNoNames;
  return write_name_list(env, begin, end, [&](int k) { return std::string(names.view(k)); }, name, store, space,
                         surplus);
}

int write_name_list(Environment& env, int begin, int end, const std::function<std::string(int)>& name_of,
                    char** name, char* store, int64_t space, int64_t* surplus) {
  // Names leave the library in the interface encoding, so the space they
  // need is known only after conversion.
  std::vector<std::string> converted(static_cast<size_t>(end >= begin ? end - begin + 1 : 0));
  int64_t needed = 0;
  for (int k = begin; k <= end; ++k) {
    std::string& text = converted[k - begin];
    if (int status = utf8_to_api(env, name_of(k), text)) return status;
    needed += static_cast<int64_t>(text.size()) + 1;
  }
  *surplus = space - needed;
  if (needed > space) return surplus_status(space, needed);
  if (begin <= end && (!name || !store)) return err::kNullPointer;
  int64_t pos = 0;
  for (int k = begin; k <= end; ++k) {
    const std::string& text = converted[k - begin];
    name[k - begin] = store + pos;
    std::memcpy(store + pos, text.c_str(), text.size() + 1);
    pos += static_cast<int64_t>(text.size()) + 1;
  }
  return 0;
}

int find_index(Environment& env, Problem& lp, Dim dim, const char* name_utf8, int* index) {
  if (!name_utf8 || !index) return err::kNullPointer;
  if (int status = detail::begin_read(env, lp)) return status;
  const NameStore& names = store_of(lp, dim);
  if (!names.present()) return err::kNoNames;
  // A linear scan in index order finds the lowest index of a name that
  // occurs more than once, without keeping an index structure up to date.
  for (int64_t k = 0; k < names.size(); ++k) {
    if (std::strcmp(names.get(k), name_utf8) == 0) {
      *index = static_cast<int>(k);
      return 0;
    }
  }
  return -err::kNameNotFound;  // not printed: looking up is also a test
}

std::string row_name(Environment& env, const Problem& lp, int i) {
  return writer_name(env, lp, Dim::Rows, i);
}

std::string col_name(Environment& env, const Problem& lp, int j) {
  return writer_name(env, lp, Dim::Cols, j);
}

}  // namespace korva::model
