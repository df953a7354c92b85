#include "bench/sink_host.h"

namespace zerlin::bench {

addon_value__* SinkHost::Next(addon_env__* env) {
  auto* host = reinterpret_cast<SinkHost*>(env);
  return reinterpret_cast<addon_value__*>(++host->calls_);
}

addon_status SinkHost::Make(addon_env__* env, addon_value__** out) {
  *out = Next(env);
  return 0;
}

SinkHost::SinkHost() {
  table_.throw_error = [](addon_env__* env, const char*, const char*) {
    Next(env);
    return addon_status{0};
  };
  table_.create_function = [](addon_env__* env, const char*, uint64_t,
                              addon_callback, void*,
                              addon_value__** out) { return Make(env, out); };
  table_.set_named_property = [](addon_env__* env, addon_value__*, const char*,
                                 addon_value__*) {
    Next(env);
    return addon_status{0};
  };
  table_.get_undefined = &Make;
  table_.get_boolean = [](addon_env__* env, bool, addon_value__** out) {
    return Make(env, out);
  };
  table_.create_object = &Make;
  table_.create_array = &Make;
  table_.create_double = [](addon_env__* env, double, addon_value__** out) {
    return Make(env, out);
  };
  table_.create_string = [](addon_env__* env, const char*, uint64_t,
                            addon_value__** out) { return Make(env, out); };
  table_.create_error = [](addon_env__* env, addon_value__*, addon_value__*,
                           addon_value__** out) { return Make(env, out); };
  table_.set_property = [](addon_env__* env, addon_value__*, addon_value__*,
                           addon_value__*) {
    Next(env);
    return addon_status{0};
  };
  table_.set_element = [](addon_env__* env, addon_value__*, uint32_t,
                          addon_value__*) {
    Next(env);
    return addon_status{0};
  };
  table_.open_handle_scope = [](addon_env__* env, addon_handle_scope__** out) {
    *out = reinterpret_cast<addon_handle_scope__*>(Next(env));
    return addon_status{0};
  };
  table_.close_handle_scope = [](addon_env__* env, addon_handle_scope__*) {
    Next(env);
    return addon_status{0};
  };
}

}  // namespace zerlin::bench
