// Writes a random levelled netlist in the tree format on standard output, with every evaluable
// gate kind (recycling ones included), inverted connections, constants and pass-through wires:
//
//   bench_random_tree INPUTS LEVELS GATES_PER_LEVEL SEED > net.tree
//
// The same arguments always give the same file. bench/same_results simulates such netlists to
// compare two builds' results on circuits the arithmetic generators cannot express.

#include <cstdint>
#include <iostream>
#include <random>
#include <string>
#include <vector>

namespace {

struct kind {
  const char* name;
  unsigned inputs;
  bool recycling;  // port 0 copies input 0; port 2 (REC2 kinds) copies the last input
  bool full;       // has a port 2
};

const kind kinds[] = {{"AND", 2, false, false},    {"OR", 2, false, false},      {"XOR", 2, false, false},
                      {"MAJ", 3, false, false},    {"REC1.AND", 2, true, false}, {"REC2.AND", 2, true, true},
                      {"REC1.OR", 2, true, false}, {"REC2.OR", 2, true, true},   {"REC1.MAJ", 3, true, false},
                      {"REC2.MAJ", 3, true, true}};

const kind plain{"", 1, false, false};  // inputs, constants and wires: one port

// One token of a line and the slots of the next line that each of its output ports drives.
struct token {
  explicit token(std::string text, bool recycling = false) : text(std::move(text)), recycling(recycling) {}
  std::string text;  // "name=GATE"
  bool recycling;
  std::vector<std::uint64_t> slots[3];
};

// A signal of the current line: port `port` of token `source`.
struct signal {
  std::uint64_t source;
  unsigned port;
};

class generator {
 public:
  explicit generator(std::uint64_t seed) : random_(seed) {}

  void write(unsigned inputs, unsigned levels, unsigned gates) {
    std::vector<token> line;
    std::vector<signal> signals;
    for (unsigned k = 0; k < inputs; ++k) add_token(line, signals, "i" + std::to_string(k) + "=I", plain);
    for (unsigned level = 1; level <= levels; ++level) {
      add_token(line, signals, "k" + std::to_string(level) + "=0", plain);
      std::vector<token> next;
      std::vector<signal> next_signals;
      std::uint64_t slot = 0;
      // A wire on the next line passes the signal on.
      const auto pass_on = [&](const signal& s) {
        line[s.source].slots[s.port].push_back(slot++);
        add_token(next, next_signals, "w" + std::to_string(level) + "_" + std::to_string(next.size()) + "=W",
                  plain);
      };
      // Recycled copies are read once, by a wire; gates read the other signals.
      std::vector<signal> readable;
      for (const signal& s : signals) {
        if (line[s.source].recycling && s.port != 1) {
          pass_on(s);
        } else {
          readable.push_back(s);
        }
      }
      for (const signal& s : readable)
        if (random_() % 3 != 0) pass_on(s);  // the others end here
      for (unsigned g = 0; g < gates; ++g) {
        const kind& k = kinds[random_() % std::size(kinds)];
        for (unsigned i = 0; i < k.inputs; ++i) {
          const signal& s = readable[random_() % readable.size()];
          line[s.source].slots[s.port].push_back(slot++);
        }
        add_token(next, next_signals, "g" + std::to_string(level) + "_" + std::to_string(g) + "=" + k.name,
                  k);
      }
      print(line);
      line = std::move(next);
      signals = std::move(next_signals);
    }
    std::vector<token> outputs;
    std::uint64_t slot = 0;
    for (const signal& s : signals) {
      if ((line[s.source].recycling && s.port != 1) || random_() % 4 == 0) {
        line[s.source].slots[s.port].push_back(slot++);
        outputs.emplace_back("o" + std::to_string(outputs.size()) + "=O");
      }
    }
    print(line);
    print(outputs);
  }

 private:
  void add_token(std::vector<token>& line, std::vector<signal>& signals, std::string text, const kind& k) {
    line.emplace_back(std::move(text), k.recycling);
    const unsigned ports = k.full ? 3 : k.recycling ? 2 : 1;
    for (unsigned p = 0; p < ports; ++p) signals.push_back({line.size() - 1, p});
  }

  // References in port order: port 0's slots first, port 2's last (the format gives the first
  // reference of a recycling gate port 0, its last one port 2 for REC2 kinds, the others port 1).
  void print(const std::vector<token>& line) {
    std::string text;
    for (const token& t : line) {
      text += (text.empty() ? "" : " ") + t.text;
      std::string refs;
      for (const auto& slots : t.slots)
        for (std::uint64_t slot : slots)
          refs +=
              (refs.empty() ? "" : ",") + std::string(random_() % 4 == 0 ? "~" : "") + std::to_string(slot);
      if (!refs.empty()) text += "@" + refs;
    }
    std::cout << text << '\n';
  }

  std::mt19937_64 random_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cerr << "usage: " << argv[0] << " INPUTS LEVELS GATES_PER_LEVEL SEED\n";
    return 2;
  }
  generator(std::stoull(argv[4])).write(std::stoul(argv[1]), std::stoul(argv[2]), std::stoul(argv[3]));
  return 0;
}
