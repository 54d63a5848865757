#pragma once

#include <functional>

#include "counting/outcome.hpp"
#include "counting/results.hpp"

namespace counting {

// Runs the engine of a counting method through its phases, each printing its banners and lines:
// "building structures" (`build_structures`), the memory limits (`apply_limits`), the count
// (`count`), the result files asked for (`write_results`) and "freeing memory" (`free_memory`).
// `inspect`, when given, sees the engine once its counts are complete, before they are freed.
template <typename Engine>
outcome run_phases(Engine& engine, const result_files& files,
                   const std::function<void(const Engine&)>& inspect = {}) {
  engine.build_structures();
  engine.apply_limits();
  engine.count();
  if (inspect) inspect(engine);
  engine.write_results(files);
  engine.free_memory();
  return engine.result();
}

}  // namespace counting
