// The bit-vector operations against the machine's practical limit: a plain fused loop over raw
// word arrays doing the same work (combine, store, count), compiled for the best instructions the
// processor has, run on one thread and on the default OpenMP team. After the runs a table gives,
// per operation and size, the best plain time divided by the bit vector's time (1 = as fast), and
// divided by the time of its word loop called directly.
// A second table times AND and MAJ on the calling thread and split among the team, size by size,
// to place the threshold below which the operations stay on the calling thread.
//
//   bench_bitset [--benchmark_repetitions=N] [--benchmark_filter=...]

#include <benchmark/benchmark.h>
#include <omp.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "util/bitset/base.hpp"
#include "util/bitset/kernels.hpp"
#include "util/string.hpp"

namespace {

const siz_t sizes[] = {siz_t{1} << 10, siz_t{1} << 16, siz_t{1} << 20, siz_t{1} << 24};
const char* const operations[] = {"AND", "XOR", "MAJ"};
const siz_t threshold_sizes[] = {siz_t{1} << 16, siz_t{1} << 18, siz_t{1} << 19,
                                 siz_t{1} << 20, siz_t{1} << 21, siz_t{1} << 22,
                                 siz_t{1} << 23, siz_t{1} << 24, siz_t{1} << 26};
const char* const threshold_operations[] = {"AND", "MAJ"};

// A plain word array, aligned to cache lines like the bit vectors' words.
struct word_array {
  explicit word_array(siz_t count) : words(new (std::align_val_t{64}) bck_t[count]), size(count) {}
  struct deleter {
    void operator()(bck_t* p) const { ::operator delete[](p, std::align_val_t{64}); }
  };
  std::unique_ptr<bck_t[], deleter> words;
  siz_t size;
};

// Random operands, as bit vectors and as plain arrays, and result buffers for both.
struct workload {
  word_array a, b, c, out;
  bitset ta, tb, tc, tout;

  explicit workload(siz_t size)
      : a(bitset::count_buckets(size)), b(a.size), c(a.size), out(a.size), tout(size) {
    std::mt19937_64 random(size);
    for (word_array* array : {&a, &b, &c}) std::generate_n(array->words.get(), array->size, std::ref(random));
    ta = bitset::from_words(size, {a.words.get(), a.size});
    tb = bitset::from_words(size, {b.words.get(), b.size});
    tc = bitset::from_words(size, {c.words.get(), c.size});
  }
};

// The benchmark's name: operation/variant/size.
std::string name_of(const std::string& operation, const char* variant, siz_t size) {
  return util::string::concat(operation, "/", variant, "/", size);
}

workload& workload_for(siz_t size) {
  static std::map<siz_t, workload> workloads;
  return workloads.try_emplace(size, size).first->second;
}

// The plain fused loop over words [begin, end); inlined into a copy per instruction set below.
template <typename Op>
inline __attribute__((always_inline)) std::uint64_t plain_loop(const workload& w, std::size_t begin,
                                                               std::size_t end, Op op) {
  const bck_t *a = w.a.words.get(), *b = w.b.words.get(), *c = w.c.words.get();
  bck_t* out = w.out.words.get();
  std::uint64_t count = 0;
#pragma omp simd reduction(+ : count)
  for (std::size_t i = begin; i < end; ++i) {
    out[i] = op(a[i], b[i], c[i]);
    count += __builtin_popcountll(out[i]);
  }
  return count;
}

template <typename Op>
__attribute__((target("avx512f,avx512vpopcntdq,popcnt"))) std::uint64_t plain_avx512(const workload& w,
                                                                                     std::size_t begin,
                                                                                     std::size_t end, Op op) {
  return plain_loop(w, begin, end, op);
}

template <typename Op>
__attribute__((target("avx2,popcnt"))) std::uint64_t plain_avx2(const workload& w, std::size_t begin,
                                                                std::size_t end, Op op) {
  return plain_loop(w, begin, end, op);
}

template <typename Op>
std::uint64_t plain_range(const workload& w, std::size_t begin, std::size_t end, Op op) {
  return __builtin_cpu_supports("avx512vpopcntdq") ? plain_avx512(w, begin, end, op)
                                                   : plain_avx2(w, begin, end, op);
}

// The loop on the calling thread, or one contiguous range per thread of the team. (The parallel
// region stays outside the target-specific copies: its outlined body would lose their target.)
template <typename Op>
std::uint64_t plain(const workload& w, bool team, Op op) {
  if (!team) return plain_range(w, 0, w.out.size, op);
  std::uint64_t count = 0;
#pragma omp parallel reduction(+ : count)
  {
    const std::size_t chunk = (w.out.size + omp_get_num_threads() - 1) / omp_get_num_threads();
    const std::size_t begin = std::min(w.out.size, chunk * omp_get_thread_num());
    count += plain_range(w, begin, std::min(w.out.size, begin + chunk), op);
  }
  return count;
}

std::uint64_t run_plain(const std::string& operation, workload& w, bool parallel) {
  if (operation == "AND") return plain(w, parallel, [](bck_t a, bck_t b, bck_t) { return a & b; });
  if (operation == "XOR") return plain(w, parallel, [](bck_t a, bck_t b, bck_t) { return a ^ b; });
  return plain(w, parallel, [](bck_t a, bck_t b, bck_t c) { return (a & (b | c)) | (b & c); });
}

// The word loop the operation runs, called directly on the plain arrays: what the bit vectors'
// handles (operand shortcuts, ownership, cached counts) add shows as the difference.
std::uint64_t run_kernel(const std::string& operation, workload& w) {
  using bitset_kernels::op;
  const op o = operation == "AND" ? op::AND : operation == "XOR" ? op::XOR : op::MAJ;
  const bitset_kernels::operands x{
      {w.a.words.get(), w.b.words.get(), w.c.words.get()}, {}, w.out.words.get()};
  bitset_kernels::counts_t counts{};
  bitset_kernels::run(o, x, w.out.size, ~bck_t{0}, false, counts.data());
  return counts[0];
}

// The operation into a result the handle solely owns (its buffer is reused), or into a new one.
siz_t run_bitset(const std::string& operation, workload& w, bool fresh) {
  bitset scratch;
  bitset& out = fresh ? scratch : w.tout;
  if (operation == "AND") return bitset::AND(w.ta, w.tb, out).popcount();
  if (operation == "XOR") return bitset::XOR(w.ta, w.tb, out).popcount();
  return bitset::MAJ(w.ta, w.tb, w.tc, out).popcount();
}

void set_throughput(benchmark::State& state, const std::string& operation, siz_t size) {
  const siz_t tables = operation == "MAJ" ? 4 : 3;
  state.SetBytesProcessed(state.iterations() * tables * (size / 8));
}

// Remembers the time of every benchmark for the tables printed at the end.
class ratio_reporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      // Repetitions: the fastest run; with aggregates only, the median.
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type != Run::RT_Iteration && !median) continue;
      const std::string name = run.run_name.str();
      const double time = run.GetAdjustedRealTime();
      auto [entry, added] = times_.try_emplace(name, time);
      if (!added) entry->second = std::min(entry->second, time);
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void print_ratios() const {
    std::printf("\nplain time / bitset time (1.00 = as fast as the best plain loop; target >= 0.80)\n");
    std::printf("%-5s %10s %14s %14s %14s %8s %8s %8s\n", "op", "bits", "bitset", "plain 1 thr", "plain team",
                "ratio", "fresh", "loop");
    for (const char* operation : operations) {
      for (siz_t size : sizes) {
        const double mine = time(name_of(operation, "bitset", size));
        const double fresh = time(name_of(operation, "bitset-fresh", size));
        const double serial = time(name_of(operation, "plain", size));
        const double team = time(name_of(operation, "plain-team", size));
        const double loop = time(name_of(operation, "kernel", size));
        if (mine <= 0 || serial <= 0 || team <= 0) continue;
        const double best = std::min(serial, team);
        std::printf("%-5s %10llu %11.3f us %11.3f us %11.3f us %8.2f %8.2f %8.2f\n", operation,
                    static_cast<unsigned long long>(size), mine / 1e3, serial / 1e3, team / 1e3, best / mine,
                    fresh > 0 ? best / fresh : 0.0, loop > 0 ? best / loop : 0.0);
      }
    }
    std::printf("\none thread / team: time on the calling thread over time split among %d threads\n",
                omp_get_max_threads());
    std::printf("%-5s %10s %14s %14s %8s\n", "op", "bits", "1 thread", "team", "speed-up");
    for (const char* operation : threshold_operations) {
      for (siz_t size : threshold_sizes) {
        const double serial = time(name_of(operation, "one-thread", size));
        const double team = time(name_of(operation, "team", size));
        if (serial <= 0 || team <= 0) continue;
        std::printf("%-5s %10llu %11.3f us %11.3f us %8.2f\n", operation,
                    static_cast<unsigned long long>(size), serial / 1e3, team / 1e3, serial / team);
      }
    }
  }

 private:
  double time(const std::string& name) const {
    const auto found = times_.find(name);
    return found == times_.end() ? 0 : found->second;
  }

  std::map<std::string, double> times_;
};

// Registers operation/variant/size, timing `work` on the size's workload with the given threshold.
template <typename Work>
void add(const std::string& operation, const char* variant, siz_t size, std::uint64_t threshold, Work work) {
  benchmark::RegisterBenchmark(name_of(operation, variant, size).c_str(), [=](benchmark::State& state) {
    workload& w = workload_for(size);
    bitset_kernels::use_parallel_threshold(threshold);
    for (auto _ : state) benchmark::DoNotOptimize(work(w));
    bitset_kernels::use_parallel_threshold(bitset_kernels::default_parallel_threshold);
    set_throughput(state, operation, size);
  });
}

void register_benchmarks() {
  const std::uint64_t normal = bitset_kernels::default_parallel_threshold;
  for (const std::string operation : operations) {
    for (siz_t size : sizes) {
      add(operation, "bitset", size, normal, [=](workload& w) { return run_bitset(operation, w, false); });
      add(operation, "bitset-fresh", size, normal,
          [=](workload& w) { return run_bitset(operation, w, true); });
      add(operation, "plain", size, normal, [=](workload& w) { return run_plain(operation, w, false); });
      add(operation, "kernel", size, normal, [=](workload& w) { return run_kernel(operation, w); });
      add(operation, "plain-team", size, normal, [=](workload& w) { return run_plain(operation, w, true); });
    }
  }
  // The operations with the threshold forced so that they stay on the calling thread or split.
  for (const std::string operation : threshold_operations) {
    for (siz_t size : threshold_sizes) {
      const auto work = [=](workload& w) { return run_bitset(operation, w, false); };
      add(operation, "one-thread", size, ~std::uint64_t{0}, work);
      add(operation, "team", size, 0, work);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  register_benchmarks();
  ratio_reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.print_ratios();
  benchmark::Shutdown();
  return 0;
}
