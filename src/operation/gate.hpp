#pragma once

#include <cstdint>
#include <string_view>

#include "operation/operation.hpp"
#include "util/bitset/base.hpp"

namespace operation {

// The output ports of a recycling gate (REC1.* with two ports, REC2.* with three): a copy of
// input 0, the base gate's result, and (REC2 only) a copy of the last input.
namespace recycling_port {
inline constexpr pos_t first_input = 0;
inline constexpr pos_t result = 1;
inline constexpr pos_t last_input = 2;
}  // namespace recycling_port

// A gate kind: a handle onto one of the catalogue's immutable records. Two gates are equal exactly
// when they are the same kind. Combinations are numbered with input (or output) port 0 as the
// most significant bit.
class Gate {
 public:
  // One gate kind's record; the catalogue's records are static constant data.
  class Impl {
   public:
    constexpr Impl(gid_t id, std::string_view name, pos_t inp_count, pos_t out_count, const pos_t* out_map,
                   pos_t appro, fun_t function)
        : id_(id),
          name_(name),
          inp_count_(inp_count),
          out_count_(out_count),
          out_map_(out_map),
          appro_(appro),
          function_(function) {}

    gid_t id_;               // place in the catalogue
    std::string_view name_;  // the name netlists use
    pos_t inp_count_;        // input ports n
    pos_t out_count_;        // output ports m
    const pos_t* out_map_;   // 2^n entries: the output combination of each input combination
    pos_t appro_;            // approximate energy
    fun_t function_;         // evaluator, or null for gates that are never evaluated
  };

  // The gate of a catalogue record.
  constexpr explicit Gate(const Impl* impl) : impl_(impl) {}

  // The gate's place in the catalogue.
  gid_t id() const { return impl_->id_; }
  // The name netlists use.
  std::string_view name() const { return impl_->name_; }
  // The fixed energy estimate that `approximate` sums.
  pos_t approximate_energy() const { return impl_->appro_; }
  // Whether the gate loses no information (its approximate energy is 0).
  bool reversible() const { return impl_->appro_ == 0; }
  // The number of output ports.
  pos_t output_count() const { return impl_->out_count_; }
  // The number of input ports.
  pos_t input_count() const { return impl_->inp_count_; }

  // Marks "no port" in the answers below.
  static constexpr pos_t no_port = 255;
  // The input whose value output port `port` passes on unchanged (sharing its table): input 0 for
  // a wire, `recycling_port`'s copies for a recycling gate; `no_port` for a port the gate computes.
  pos_t copied_input(pos_t port) const;
  // The output port whose values the gate computes: `recycling_port::result` for a recycling gate,
  // 0 for the other evaluated gates, `no_port` for a wire and the gates without an evaluator.
  pos_t computed_port() const;

  // Whether this gate is one of the given gates.
  template <typename... Gates>
  bool in(const Gates&... gates) const {
    return (... || (*this == gates));
  }

  // Evaluates a node for one batch: replaces the node's tables from its inputs' tables, writes its
  // unchanged flags and its combination counters when they are given. With every input flag set
  // it returns at once, leaving tables and counters as they were. Only for gates with an evaluator.
  void operator()(const evaluation& args) const { impl_->function_(args); }

  // Folds input-combination counts into output-combination counts: adds in[i] to
  // out[out_map[i]] for every input combination i. `out` (2^m entries) is zeroed or preloaded by
  // the caller. Works with arrays, pointers and vectors of any number type.
  template <typename In, typename Out>
  void operator()(const In& in, Out&& out) const {
    const std::uint64_t combinations = std::uint64_t{1} << impl_->inp_count_;
    for (std::uint64_t i = 0; i < combinations; ++i) out[impl_->out_map_[i]] += in[i];
  }

  // Same kind.
  bool operator==(const Gate& other) const { return impl_ == other.impl_; }
  bool operator!=(const Gate& other) const { return impl_ != other.impl_; }

 private:
  const Impl* impl_;
};

// The catalogue: one constant per gate kind, `list` indexed by id.
namespace gates {

inline constexpr gid_t count = 15;  // the number of gate kinds

extern const Gate NONE;      // "?": a node whose gate is not known yet
extern const Gate ZERO;      // "0": the constant-0 source
extern const Gate I;         // "I": a primary input
extern const Gate O;         // "O": a primary output marker, consuming one signal
extern const Gate WIRE;      // "W": passes its input on (an inverted arc makes it an inverter)
extern const Gate AND;       // "AND"
extern const Gate OR;        // "OR"
extern const Gate MAJ;       // "MAJ": three-input majority
extern const Gate XOR;       // "XOR"
extern const Gate REC1_AND;  // "REC1.AND": input 0 and the AND
extern const Gate REC2_AND;  // "REC2.AND": input 0, the AND and input 1
extern const Gate REC1_OR;   // "REC1.OR"
extern const Gate REC2_OR;   // "REC2.OR"
extern const Gate REC1_MAJ;  // "REC1.MAJ": input 0 and the majority
extern const Gate REC2_MAJ;  // "REC2.MAJ": input 0, the majority and input 2

// Every gate kind, indexed by id (also reachable as `gates_`).
extern const Gate* const list[count];
inline constexpr const Gate* const (&gates_)[count] = list;

// The gate named exactly `name`; throws std::runtime_error "Unknown gate `NAME`." otherwise.
Gate get(std::string_view name);

}  // namespace gates

}  // namespace operation
