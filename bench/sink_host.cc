#include "bench/sink_host.h"

#include <cstdio>
#include <cstdlib>

#include "addon/addon_entry.h"
#include "addon/uxp_addon_interface.h"

namespace zerlin::bench {

addon_value__* SinkHost::Next(addon_env__* env) {
  auto* host = reinterpret_cast<SinkHost*>(env);
  return reinterpret_cast<addon_value__*>(++host->calls_);
}

addon_status SinkHost::Make(addon_env__* env, addon_value__** out) {
  *out = Next(env);
  return 0;
}

addon_status SinkHost::Enqueue(addon_env__* env, addon_thread_callback cb,
                               void* data, addon_finalizer finalize) {
  Next(env);
  reinterpret_cast<SinkHost*>(env)->queue_.push_back({cb, data, finalize});
  return 0;
}

void SinkHost::Drain() {
  while (!queue_.empty()) {
    Box box = queue_.back();
    queue_.pop_back();
    box.callback(box.data);
    if (box.finalize != nullptr) box.finalize(box.data);
  }
}

addon_callback SinkHost::LoadAddon() {
  // The sink keeps no objects, so a table of its own catches the function
  // the addon registers.
  static addon_callback registered = nullptr;
  addon_apis table = table_;
  table.create_function = [](addon_env__* env, const char*, uint64_t,
                             addon_callback cb, void*, addon_value__** out) {
    registered = cb;
    return Make(env, out);
  };
  if (uxp_addon_init(Env(), Next(Env()), &table) == nullptr) {
    std::fprintf(stderr, "the addon refused the sink host's table\n");
    std::abort();
  }
  UxpAddonInterface::instance().setAddonAPIs(table_);
  return registered;
}

SinkHost::SinkHost() {
  queue_.reserve(16);
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
  table_.create_promise = [](addon_env__* env, addon_deferred__** deferred,
                             addon_value__** promise) {
    *promise = Next(env);
    *deferred = reinterpret_cast<addon_deferred__*>(*promise);
    return addon_status{0};
  };
  table_.resolve_deferred = [](addon_env__* env, addon_deferred__*,
                               addon_value__*) {
    Next(env);
    return addon_status{0};
  };
  table_.reject_deferred = table_.resolve_deferred;
  table_.run_on_main_thread = &Enqueue;
  table_.run_on_scripting_thread = &Enqueue;
  // getPointer reads no host value; the reading slots are there because
  // the addon refuses a table without them, and answer failure.
  table_.type_of = [](addon_env__*, addon_value__*, int32_t*) {
    return addon_status{1};
  };
  table_.get_value_double = [](addon_env__*, addon_value__*, double*) {
    return addon_status{1};
  };
  table_.get_value_bool = [](addon_env__*, addon_value__*, bool*) {
    return addon_status{1};
  };
  table_.get_value_string = [](addon_env__*, addon_value__*, char*, uint64_t,
                               uint64_t*) { return addon_status{1}; };
  table_.get_property_names = [](addon_env__*, addon_value__*,
                                 addon_value__**) { return addon_status{1}; };
  table_.get_property = [](addon_env__*, addon_value__*, addon_value__*,
                           addon_value__**) { return addon_status{1}; };
  table_.get_element = [](addon_env__*, addon_value__*, uint32_t,
                          addon_value__**) { return addon_status{1}; };
  table_.is_array = [](addon_env__*, addon_value__*, bool*) {
    return addon_status{1};
  };
  table_.get_array_length = [](addon_env__*, addon_value__*, uint32_t*) {
    return addon_status{1};
  };
}

}  // namespace zerlin::bench
