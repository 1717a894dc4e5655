// Error texts and message channels.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "env/frame.h"

using namespace korva;

namespace {

bool is_standard_channel(Environment& e, const Channel* ch) {
  return ch == e.error() || ch == e.warning() || ch == e.results() || ch == e.log();
}

// Application text arrives in the interface encoding and is converted to
// UTF-8 before it reaches the destinations. Returns the length of the text
// as given, or -1 when it is not valid in the interface encoding.
int send_application_text(Channel* channel, const char* text, size_t len) {
  Environment* env = channel->env;
  if (!is_valid_env(env)) return -1;
  std::string utf8;
  if (!env->api_converter.to_utf8(std::string_view(text, len), utf8)) return -1;
  channel->write_utf8(utf8);
  return static_cast<int>(len);
}

}  // namespace

extern "C" {

const char *KRVgeterrorstring(KRVenv env, int errcode, char *buffer_str) {
  if (errcode < 1 || errcode > 99999 || !buffer_str) return nullptr;
  Environment *e = is_valid_env(env) ? env : nullptr;
  const char *text = error_text(e, errcode);
  char composed[KRV_MESSAGEBUFSIZE];
  std::snprintf(composed, sizeof composed, "KORVA Error %5d: %s.\n", errcode,
                text ? text : "Unknown error code");
  std::string out(composed);
  // Only an environment knows the interface encoding.
  if (e) {
    std::string converted;
    if (utf8_to_api(*e, out, converted) == 0) out.swap(converted);
  }
  // Wide encodings need more than one terminating zero byte.
  const size_t n = std::min(out.size(), static_cast<size_t>(KRV_MESSAGEBUFSIZE - 4));
  std::memcpy(buffer_str, out.data(), n);
  std::memset(buffer_str + n, 0, 4);
  return text ? buffer_str : nullptr;
}

int KRVgetchannels(KRVenv env, KRVchannel *results_p, KRVchannel *warning_p,
                   KRVchannel *error_p, KRVchannel *log_p) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment &e) {
    if (results_p) *results_p = e.results();
    if (warning_p) *warning_p = e.warning();
    if (error_p) *error_p = e.error();
    if (log_p) *log_p = e.log();
    return 0;
  });
}

int KRVflushstdchannels(KRVenv env) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment &e) {
    e.results()->flush();
    e.log()->flush();
    e.error()->flush();
    e.warning()->flush();
    return 0;
  });
}

KRVchannel KRVaddchannel(KRVenv env) {
  KRVchannel channel = nullptr;
  api::call(env, api::kNone, [&](Environment &e) {
    auto ch = std::make_unique<Channel>();
    ch->env = &e;
    track_object(e, ObjectKind::Channel, ch.get());
    channel = ch.release();
    return 0;
  });
  return channel;
}

int KRVdelchannel(KRVenv env, KRVchannel *channel_p) {
  return api::call(env, api::kNone, [&](Environment &e) {
    if (!channel_p || !*channel_p) return 0;
    Channel *ch = *channel_p;
    // The standard channels and other environments' channels are not ours
    // to free.
    if (is_standard_channel(e, ch) || !is_tracked(e, ch)) return err::kBadArgument;
    ch->clear();
    untrack_object(e, ch);
    delete ch;
    *channel_p = nullptr;
    return 0;
  });
}

int KRVdisconnectchannel(KRVenv env, KRVchannel channel) {
  return api::call(env, api::kNone, [&](Environment &) {
    if (!channel) return err::kNoChannel;
    channel->clear();
    return 0;
  });
}

int KRVflushchannel(KRVenv env, KRVchannel channel) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment &) {
    if (!channel) return err::kNoChannel;
    channel->flush();
    return 0;
  });
}

int KRVaddfpdest(KRVenv env, KRVchannel channel, FILE *fileptr) {
  return api::call(env, api::kNone, [&](Environment &) {
    if (!channel) return err::kNoChannel;
    if (!fileptr) return err::kNoFileDest;
    return add_file_destination(*channel, fileptr);
  });
}

int KRVdelfpdest(KRVenv env, KRVchannel channel, FILE *fileptr) {
  return api::call(env, api::kNone, [&](Environment &) {
    if (!channel) return err::kNoChannel;
    return remove_file_destination(*channel, fileptr);
  });
}

int KRVaddfuncdest(KRVenv env, KRVchannel channel, void *handle, KRVmsgfunc msgfunction) {
  return api::call(env, api::kNone, [&](Environment &) {
    if (!channel) return err::kNoChannel;
    if (!msgfunction) return err::kNoFuncDest;
    return add_function_destination(*channel, handle, msgfunction);
  });
}

int KRVdelfuncdest(KRVenv env, KRVchannel channel, void *handle, KRVmsgfunc msgfunction) {
  return api::call(env, api::kNone, [&](Environment &) {
    if (!channel) return err::kNoChannel;
    return remove_function_destination(*channel, handle, msgfunction);
  });
}

int KRVmsg(KRVchannel channel, const char *format, ...) {
  if (!channel || !format) return 0;
  char buffer[KRV_MESSAGEBUFSIZE];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) return 0;
  if (n >= static_cast<int>(sizeof buffer)) n = sizeof buffer - 1;  // cut at 1023 bytes
  return send_application_text(channel, buffer, static_cast<size_t>(n));
}

int KRVmsgstr(KRVchannel channel, const char *msg_str) {
  if (!channel || !msg_str) return 0;
  return send_application_text(channel, msg_str, std::strlen(msg_str));
}

int KRVsetlogfile(KRVenv env, FILE *fp) {
  return api::call(env, api::kNone, [&](Environment &e) { return set_log_file(e, fp); });
}

int KRVgetlogfile(KRVenv env, FILE **fp_p) {
  return api::call(env, api::kInfoCallbackOk, [&](Environment &e) {
    if (!fp_p) return err::kNullPointer;
    *fp_p = e.params.log_file;
    return 0;
  });
}

}  // extern "C"
