// A host table that does the least a host can: value calls answer fresh
// fake handles, everything else succeeds and keeps nothing. Benchmarks run
// the bridge over it so that what they time is the addon's own work.
#ifndef ZERLIN_BENCH_SINK_HOST_H_
#define ZERLIN_BENCH_SINK_HOST_H_

#include <cstdint>
#include <vector>

#include "addon/addon_api.h"

namespace zerlin::bench {

class SinkHost {
 public:
  SinkHost();
  const addon_apis& Table() const { return table_; }
  addon_env__* Env() { return reinterpret_cast<addon_env__*>(this); }
  uint64_t calls() const { return calls_; }
  // Runs queued thread steps, and the steps they queue, until none is left.
  void Drain();
  // Loads the addon into this host and answers the getPointer callback it
  // registered, to be called directly.
  addon_callback LoadAddon();

 private:
  static addon_value__* Next(addon_env__* env);
  static addon_status Make(addon_env__* env, addon_value__** out);

  struct Box {
    addon_thread_callback callback;
    void* data;
    addon_finalizer finalize;
  };
  static addon_status Enqueue(addon_env__* env, addon_thread_callback cb,
                              void* data, addon_finalizer finalize);

  addon_apis table_{};
  uint64_t calls_ = 0;
  std::vector<Box> queue_;
};

}  // namespace zerlin::bench

#endif  // ZERLIN_BENCH_SINK_HOST_H_
