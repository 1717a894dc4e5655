#include "env/channel.h"

#include <algorithm>
#include <cstring>

#include "env/c_locale.h"
#include "env/environment.h"
#include "env/errors.h"

namespace korva {

// The scratch buffers start with room for a typical line; conversion grows
// them when a longer message arrives.
Destination::Destination() {
  utf16.reserve(1025);
  encoded.reserve(1025);
}

void Destination::write(const std::string& utf8, bool ascii) {
  const char* out = utf8.c_str();
  size_t out_len = utf8.size();
  const bool as_is = !converter.is_open() || converter.is_utf8() ||
                     (ascii && converter.ascii_compatible());
  // A failed conversion falls back to the UTF-8 text: writing never fails.
  if (!as_is && utf8_to_utf16(utf8, utf16) && converter.from_utf16(utf16, encoded)) {
    out_len = encoded.size();
    encoded.append(static_cast<size_t>(converter.terminator_size()), '\0');
    out = encoded.data();
  }
  switch (kind) {
    case DestinationKind::File:
      if (file && out_len) std::fwrite(out, 1, out_len, file);
      break;
    case DestinationKind::IndirectFile:
      if (indirect && *indirect && out_len) std::fwrite(out, 1, out_len, *indirect);
      break;
    case DestinationKind::Function:
      if (function) function(handle, out);
      break;
  }
}

void Destination::flush() {
  if (kind == DestinationKind::File && file) std::fflush(file);
  if (kind == DestinationKind::IndirectFile && indirect && *indirect) std::fflush(*indirect);
}

}  // namespace korva

void krv_channel_s::write_utf8(const std::string& text) {
  if (destinations.empty()) return;
  const bool ascii = korva::is_ascii(text);
  for (auto& d : destinations) d->write(text, ascii);
}

void krv_channel_s::flush() {
  for (auto& d : destinations) d->flush();
}

void krv_channel_s::clear() {
  flush();
  destinations.clear();
}

bool krv_channel_s::has_file(FILE* fp) const {
  for (const auto& d : destinations)
    if (d->kind == korva::DestinationKind::File && d->file == fp) return true;
  return false;
}

namespace korva {
namespace {

int add_destination(Channel& ch, std::unique_ptr<Destination> d, const std::string& encoding) {
  const bool opened = d->converter.open(encoding);
  ch.destinations.insert(ch.destinations.begin(), std::move(d));
  return opened ? 0 : err::kEncoding;
}

std::string file_encoding_for(const Channel& ch, FILE* fp) {
  if (fp == stdout || fp == stderr) return default_terminal_encoding();
  return ch.env->str_param(KRV_PARAM_FILEENCODING);
}

}  // namespace

int add_file_destination(Channel& ch, FILE* fp) {
  auto d = std::make_unique<Destination>();
  d->kind = DestinationKind::File;
  d->file = fp;
  return add_destination(ch, std::move(d), file_encoding_for(ch, fp));
}

int add_indirect_destination(Channel& ch, FILE** fpp) {
  auto d = std::make_unique<Destination>();
  d->kind = DestinationKind::IndirectFile;
  d->indirect = fpp;
  return add_destination(ch, std::move(d), ch.env->str_param(KRV_PARAM_FILEENCODING));
}

int add_function_destination(Channel& ch, void* handle, KRVmsgfunc fn) {
  auto d = std::make_unique<Destination>();
  d->kind = DestinationKind::Function;
  d->handle = handle;
  d->function = fn;
  const std::string& own = ch.env->str_param(hidden_param::kFunctionDestEncoding);
  return add_destination(ch, std::move(d),
                         own.empty() ? ch.env->str_param(KRV_PARAM_APIENCODING) : own);
}

int remove_file_destination(Channel& ch, FILE* fp) {
  auto it = std::find_if(ch.destinations.begin(), ch.destinations.end(), [&](const auto& d) {
    return d->kind == DestinationKind::File && d->file == fp;
  });
  if (it == ch.destinations.end()) return err::kNoFileDest;
  (*it)->flush();
  ch.destinations.erase(it);
  return 0;
}

int remove_function_destination(Channel& ch, void* handle, KRVmsgfunc fn) {
  auto it = std::find_if(ch.destinations.begin(), ch.destinations.end(), [&](const auto& d) {
    return d->kind == DestinationKind::Function && d->handle == handle && d->function == fn;
  });
  if (it == ch.destinations.end()) return err::kNoFuncDest;
  ch.destinations.erase(it);
  return 0;
}

int msg_text(Channel* ch, std::string_view text) {
  if (!ch) return 0;
  if (ch->destinations.empty() && is_ascii(text)) return static_cast<int>(text.size());
  std::string clean(text);
  if (!is_ascii(clean)) normalize_utf8(clean);
  ch->write_utf8(clean);
  return static_cast<int>(clean.size());
}

int vmsg(Channel* ch, const char* format, va_list args) {
  if (!ch) return 0;
  char buffer[2048];
  // The library's own messages print numbers the same way in every locale.
  int n = 0;
  {
    ScopedCLocale c_locale;
    n = std::vsnprintf(buffer, sizeof buffer, format, args);
  }
  if (n < 0) return 0;
  if (n >= static_cast<int>(sizeof buffer)) n = sizeof buffer - 1;
  return msg_text(ch, std::string_view(buffer, static_cast<size_t>(n)));
}

int msg(Channel* ch, const char* format, ...) {
  if (!ch) return 0;
  va_list args;
  va_start(args, format);
  const int n = vmsg(ch, format, args);
  va_end(args);
  return n;
}

void set_screen_output(Environment& env, bool on) {
  for (Channel* ch : {env.results(), env.warning(), env.error()}) {
    if (!ch) continue;
    if (on) {
      if (!ch->has_file(stdout)) add_file_destination(*ch, stdout);
    } else {
      while (remove_file_destination(*ch, stdout) == 0) {
      }
    }
  }
}

int set_log_file(Environment& env, FILE* fp) {
  Channel* const channels[] = {env.results(), env.warning(), env.error(), env.log()};
  if (FILE* old = env.params.log_file) {
    for (Channel* ch : channels) remove_file_destination(*ch, old);
    env.params.log_file = nullptr;
  }
  if (!fp) return 0;
  int status = 0;
  for (Channel* ch : channels) {
    const int s = add_file_destination(*ch, fp);
    if (!status) status = s;
  }
  env.params.log_file = fp;
  return status;
}

}  // namespace korva
