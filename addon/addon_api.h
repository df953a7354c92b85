// The host's function table and handle types, as the host hands them to
// uxp_addon_init. Only the 28 operations the addon calls are named; the other
// slots are kept as reserved entries so that every named slot sits at its
// fixed index.
#ifndef ZERLIN_ADDON_ADDON_API_H_
#define ZERLIN_ADDON_ADDON_API_H_

#include <cstddef>
#include <cstdint>

extern "C" {

// Opaque handles owned by the host.
struct addon_env__;
struct addon_value__;
struct addon_callback_info__;
struct addon_deferred__;
struct addon_handle_scope__;

// Zero is success; every other value is a failure.
typedef int32_t addon_status;

// A script-callable function: (environment, per-call information) -> result.
typedef addon_value__* (*addon_callback)(addon_env__* env,
                                         addon_callback_info__* info);
// Work queued on one of the host's threads, and the finaliser of its data;
// the queue slots of addon_apis say what a host must do with them.
typedef void (*addon_thread_callback)(void* data);
typedef void (*addon_finalizer)(void* data);

// What type_of answers for the kinds of value the addon reads. Every other
// code is the host's own; arrays among them are told apart with is_array.
enum addon_type_code : int32_t {
  addon_type_undefined = 0,
  addon_type_boolean = 2,
  addon_type_number = 3,
  addon_type_string = 4,
  addon_type_object = 6,
};

struct addon_apis {
  void (*reserved_00)(void);
  void (*reserved_01)(void);
  addon_status (*throw_error)(addon_env__* env, const char* code,
                              const char* msg);  // slot 2
  void (*reserved_03)(void);
  addon_status (*create_function)(addon_env__* env, const char* utf8name,
                                  uint64_t length, addon_callback cb,
                                  void* data,
                                  addon_value__** result);  // slot 4
  addon_status (*set_named_property)(addon_env__* env, addon_value__* object,
                                     const char* utf8name,
                                     addon_value__* value);  // slot 5
  void (*reserved_06)(void);
  addon_status (*get_undefined)(addon_env__* env,
                                addon_value__** result);  // slot 7
  void (*reserved_08)(void);
  void (*reserved_09)(void);
  addon_status (*get_boolean)(addon_env__* env, bool value,
                              addon_value__** result);  // slot 10
  addon_status (*create_object)(addon_env__* env,
                                addon_value__** result);  // slot 11
  addon_status (*create_array)(addon_env__* env,
                               addon_value__** result);  // slot 12
  void (*reserved_13)(void);
  addon_status (*create_double)(addon_env__* env, double value,
                                addon_value__** result);  // slot 14
  void (*reserved_15)(void);
  void (*reserved_16)(void);
  void (*reserved_17)(void);
  addon_status (*create_string)(addon_env__* env, const char* bytes,
                                uint64_t length,
                                addon_value__** result);  // slot 18
  void (*reserved_19)(void);
  void (*reserved_20)(void);
  addon_status (*create_error)(addon_env__* env, addon_value__* code,
                               addon_value__* msg,
                               addon_value__** result);  // slot 21
  void (*reserved_22)(void);
  void (*reserved_23)(void);
  addon_status (*type_of)(addon_env__* env, addon_value__* value,
                          int32_t* result);  // slot 24
  addon_status (*get_value_double)(addon_env__* env, addon_value__* value,
                                   double* result);  // slot 25
  void (*reserved_26)(void);
  void (*reserved_27)(void);
  addon_status (*get_value_bool)(addon_env__* env, addon_value__* value,
                                 bool* result);  // slot 28
  void (*reserved_29)(void);
  addon_status (*get_value_string)(addon_env__* env, addon_value__* value,
                                   char* buf, uint64_t bufsize,
                                   uint64_t* result);  // slot 30
  void (*reserved_31)(void);
  void (*reserved_32)(void);
  void (*reserved_33)(void);
  void (*reserved_34)(void);
  void (*reserved_35)(void);
  void (*reserved_36)(void);
  addon_status (*get_property_names)(addon_env__* env, addon_value__* object,
                                     addon_value__** result);  // slot 37
  addon_status (*set_property)(addon_env__* env, addon_value__* object,
                               addon_value__* key,
                               addon_value__* value);  // slot 38
  void (*reserved_39)(void);
  addon_status (*get_property)(addon_env__* env, addon_value__* object,
                               addon_value__* key,
                               addon_value__** result);  // slot 40
  void (*reserved_41)(void);
  void (*reserved_42)(void);
  void (*reserved_43)(void);
  void (*reserved_44)(void);
  addon_status (*set_element)(addon_env__* env, addon_value__* object,
                              uint32_t index, addon_value__* value);  // slot 45
  void (*reserved_46)(void);
  addon_status (*get_element)(addon_env__* env, addon_value__* object,
                              uint32_t index,
                              addon_value__** result);  // slot 47
  void (*reserved_48)(void);
  void (*reserved_49)(void);
  addon_status (*is_array)(addon_env__* env, addon_value__* value,
                           bool* result);  // slot 50
  addon_status (*get_array_length)(addon_env__* env, addon_value__* value,
                                   uint32_t* result);  // slot 51
  void (*reserved_52)(void);
  void (*reserved_53)(void);
  void (*reserved_54)(void);
  void (*reserved_55)(void);
  void (*reserved_56)(void);
  void (*reserved_57)(void);
  void (*reserved_58)(void);
  void (*reserved_59)(void);
  void (*reserved_60)(void);
  void (*reserved_61)(void);
  void (*reserved_62)(void);
  void (*reserved_63)(void);
  void (*reserved_64)(void);
  void (*reserved_65)(void);
  void (*reserved_66)(void);
  addon_status (*open_handle_scope)(addon_env__* env,
                                    addon_handle_scope__** result);  // slot 67
  addon_status (*close_handle_scope)(addon_env__* env,
                                     addon_handle_scope__* scope);  // slot 68
  void (*reserved_69)(void);
  void (*reserved_70)(void);
  void (*reserved_71)(void);
  void (*reserved_72)(void);
  void (*reserved_73)(void);
  void (*reserved_74)(void);
  void (*reserved_75)(void);
  void (*reserved_76)(void);
  void (*reserved_77)(void);
  void (*reserved_78)(void);
  void (*reserved_79)(void);
  void (*reserved_80)(void);
  void (*reserved_81)(void);
  void (*reserved_82)(void);
  void (*reserved_83)(void);
  void (*reserved_84)(void);
  void (*reserved_85)(void);
  void (*reserved_86)(void);
  addon_status (*create_promise)(addon_env__* env, addon_deferred__** deferred,
                                 addon_value__** promise);  // slot 87
  addon_status (*resolve_deferred)(addon_env__* env, addon_deferred__* deferred,
                                   addon_value__* resolution);  // slot 88
  addon_status (*reject_deferred)(addon_env__* env, addon_deferred__* deferred,
                                  addon_value__* rejection);  // slot 89
  void (*reserved_90)(void);
  // The two queues, and the host's side of their contract. Each call hands
  // the host one box: `data`, allocated by the addon, with `finalize`, the
  // only way to free it. From the call on the box is the host's to hold: the
  // addon does not touch it again, and the host passes `data` only to `cb`
  // and `finalize`. The host:
  //  - runs `cb(data)` at most once, on the thread the slot names, and only
  //    once all that the addon wrote before the queuing call is visible on
  //    that thread;
  //  - calls `finalize(data)` exactly once for every box handed over, on
  //    any thread: after `cb` has returned when the callback runs, and also
  //    when it never runs (the queue refuses the box, or shuts down with
  //    the box still in it);
  //  - finalises every box before it unloads the library: no box may
  //    outlive the library, since the box and its finaliser belong to it.
  // The addon does not examine the status these calls return. A refused box
  // is simply finalised, and its step never runs: the promise that step
  // would have settled stays pending.
  addon_status (*run_on_scripting_thread)(addon_env__* env,
                                          addon_thread_callback cb, void* data,
                                          addon_finalizer finalize);  // slot 91
  addon_status (*run_on_main_thread)(addon_env__* env, addon_thread_callback cb,
                                     void* data,
                                     addon_finalizer finalize);  // slot 92
  void (*reserved_93)(void);
  void (*reserved_94)(void);
  void (*reserved_95)(void);
  void (*reserved_96)(void);
};

}  // extern "C"

static_assert(sizeof(void*) == 8, "the host table is laid out for 64-bit");
static_assert(sizeof(addon_apis) == 776, "the host table has 97 slots");
static_assert(offsetof(addon_apis, throw_error) == 2 * sizeof(void*),
              "throw_error sits in slot 2");
static_assert(offsetof(addon_apis, create_function) == 4 * sizeof(void*),
              "create_function sits in slot 4");
static_assert(offsetof(addon_apis, set_named_property) == 5 * sizeof(void*),
              "set_named_property sits in slot 5");
static_assert(offsetof(addon_apis, get_undefined) == 7 * sizeof(void*),
              "get_undefined sits in slot 7");
static_assert(offsetof(addon_apis, get_boolean) == 10 * sizeof(void*),
              "get_boolean sits in slot 10");
static_assert(offsetof(addon_apis, create_object) == 11 * sizeof(void*),
              "create_object sits in slot 11");
static_assert(offsetof(addon_apis, create_array) == 12 * sizeof(void*),
              "create_array sits in slot 12");
static_assert(offsetof(addon_apis, create_double) == 14 * sizeof(void*),
              "create_double sits in slot 14");
static_assert(offsetof(addon_apis, create_string) == 18 * sizeof(void*),
              "create_string sits in slot 18");
static_assert(offsetof(addon_apis, create_error) == 21 * sizeof(void*),
              "create_error sits in slot 21");
static_assert(offsetof(addon_apis, type_of) == 24 * sizeof(void*),
              "type_of sits in slot 24");
static_assert(offsetof(addon_apis, get_value_double) == 25 * sizeof(void*),
              "get_value_double sits in slot 25");
static_assert(offsetof(addon_apis, get_value_bool) == 28 * sizeof(void*),
              "get_value_bool sits in slot 28");
static_assert(offsetof(addon_apis, get_value_string) == 30 * sizeof(void*),
              "get_value_string sits in slot 30");
static_assert(offsetof(addon_apis, get_property_names) == 37 * sizeof(void*),
              "get_property_names sits in slot 37");
static_assert(offsetof(addon_apis, set_property) == 38 * sizeof(void*),
              "set_property sits in slot 38");
static_assert(offsetof(addon_apis, get_property) == 40 * sizeof(void*),
              "get_property sits in slot 40");
static_assert(offsetof(addon_apis, set_element) == 45 * sizeof(void*),
              "set_element sits in slot 45");
static_assert(offsetof(addon_apis, get_element) == 47 * sizeof(void*),
              "get_element sits in slot 47");
static_assert(offsetof(addon_apis, is_array) == 50 * sizeof(void*),
              "is_array sits in slot 50");
static_assert(offsetof(addon_apis, get_array_length) == 51 * sizeof(void*),
              "get_array_length sits in slot 51");
static_assert(offsetof(addon_apis, open_handle_scope) == 67 * sizeof(void*),
              "open_handle_scope sits in slot 67");
static_assert(offsetof(addon_apis, close_handle_scope) == 68 * sizeof(void*),
              "close_handle_scope sits in slot 68");
static_assert(offsetof(addon_apis, create_promise) == 87 * sizeof(void*),
              "create_promise sits in slot 87");
static_assert(offsetof(addon_apis, resolve_deferred) == 88 * sizeof(void*),
              "resolve_deferred sits in slot 88");
static_assert(offsetof(addon_apis, reject_deferred) == 89 * sizeof(void*),
              "reject_deferred sits in slot 89");
static_assert(offsetof(addon_apis, run_on_scripting_thread) ==
                  91 * sizeof(void*),
              "run_on_scripting_thread sits in slot 91");
static_assert(offsetof(addon_apis, run_on_main_thread) == 92 * sizeof(void*),
              "run_on_main_thread sits in slot 92");

#endif  // ZERLIN_ADDON_ADDON_API_H_
