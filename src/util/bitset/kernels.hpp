#pragma once

#include <array>
#include <cstdint>

// The word loops behind the bit-vector operations: the only code that knows about words, SIMD
// instructions and threads. Each loop exists once per instruction-set level; the best level the
// processor supports is chosen at start-up, so a portable build still uses POPCNT, AVX2 or AVX-512.
namespace bitset_kernels {

using word_t = std::uint64_t;
using count_t = std::uint64_t;

// The word combinations. The last two serve the gate evaluators, which need the AND count beside
// the XOR and the pairwise AND counts beside the majority, so that one pass gives them all.
enum class op : unsigned {
  COPY,       // a itself
  AND,        // a & b
  OR,         // a | b
  XOR,        // a ^ b
  AND3,       // a & b & c
  MAJ,        // (a & (b | c)) | (b & c)
  XOR_AND,    // stores a ^ b, counts a & b
  MAJ_PAIRS,  // stores the majority, counts a & b, a & c, b & c and a & b & c (in this order)
};
inline constexpr unsigned op_count = 8;

// The words of up to three operands, each read exclusive-or its mask (0 or all ones), and where
// results go.
struct operands {
  const word_t* in[3];
  word_t mask[3];
  word_t* out;  // null: count only
};

// What a loop does with the combined words: count them only, store them, or store them over the
// words `x.out` holds and also count the bits in which they differ from those (so that a result
// overwrites the table it replaces and still tells whether it changed, in one pass).
enum class mode : unsigned { count, store, replace };
inline constexpr unsigned mode_count = 3;

inline constexpr unsigned max_counts = 5;
inline constexpr unsigned changed_count = 4;  // the entry of the counts that `replace` fills
using counts_t = std::array<count_t, max_counts>;

// One level's loop over words [begin, end) (begin < end); the operands of word end - 1 are ANDed
// with `end_mask`.
using loop_fn = void (*)(const operands& x, std::uint64_t begin, std::uint64_t end, word_t end_mask,
                         count_t* counts);

// One level's loops, by operation, by mode, and by inverted operands (bit k set: operand k
// complemented).
inline constexpr unsigned max_inverted = 8;
struct loop_table {
  std::array<std::array<std::array<loop_fn, max_inverted>, mode_count>, op_count> loops;
};

extern const loop_table generic_loops;
extern const loop_table popcnt_loops;
extern const loop_table avx2_loops;
extern const loop_table avx512_loops;

namespace state {
// The loops of the active level and the parallel threshold in words; set through `use_level` and
// `use_parallel_threshold`. Read on every operation, so they are plain variables.
extern const loop_table* loops;
extern std::uint64_t parallel_words;
}  // namespace state

// Runs `loop` over words [0, words) split into one contiguous range per thread of the default team.
void run_split(loop_fn loop, const operands& x, std::uint64_t words, word_t last_mask, count_t* counts);

// Combines words 0 to `words` - 1 (at least one), stores them when `x.out` is set and adds the
// population counts of the counted words to `counts` (to the first entry, or the first four for
// MAJ_PAIRS); with `replace` (and `x.out` set) entry `changed_count` receives the number of bits
// of the stored words that differ from the valid bits they overwrote. Bits of the last word
// outside `last_mask` are cleared in the operands (and in the overwritten word) before they are
// combined. `counts` has `max_counts` entries, zeroed by the caller. Tables below the parallel
// threshold are combined on the calling thread, larger ones by the team.
inline void run(op o, const operands& x, std::uint64_t words, word_t last_mask, bool replace,
                count_t* counts) {
  const unsigned inverted = (x.mask[0] & 1) | (x.mask[1] & 2) | (x.mask[2] & 4);
  const mode m = x.out == nullptr ? mode::count : replace ? mode::replace : mode::store;
  const loop_fn loop = state::loops->loops[static_cast<unsigned>(o)][static_cast<unsigned>(m)][inverted];
  if (words < state::parallel_words) {
    loop(x, 0, words, last_mask, counts);
  } else {
    run_split(loop, x, words, last_mask, counts);
  }
}

// Fills tables[i] (2^inputs bits each, inputs below 64) with the values of variable i over all
// combinations of `inputs` variables: bit j of table i is bit (inputs - 1 - i) of j. One thread per
// table, as many at once as the default team has.
void fill_combinations(word_t* const* tables, unsigned inputs);

// Instruction-set levels, slowest first. `generic` counts bits with shifts and masks only.
enum class level : unsigned { generic, popcnt, avx2, avx512 };

// The best level this processor supports.
level best_level();
// Whether this processor can run the level.
bool supported(level l);
// The level the operations use now.
level active_level();
// Makes the operations use another supported level (tests compare the levels with it).
void use_level(level l);

// Below this many words an operation runs on the calling thread: opening a parallel region
// costs more than the work on small tables. Measured with bench_bitset on two cores: the team
// loses up to 2^19 bits (2^13 words) and wins from 2^20 bits on.
inline constexpr std::uint64_t default_parallel_threshold = std::uint64_t{1} << 14;
// The threshold in use.
std::uint64_t parallel_threshold();
// Changes the threshold (benchmarks time both sides of it, tests force the split with it).
void use_parallel_threshold(std::uint64_t words);

}  // namespace bitset_kernels
