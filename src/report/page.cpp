#include "report/page.hpp"

#include <algorithm>
#include <map>
#include <sstream>
#include <string_view>

#include "report/charts.hpp"
#include "report/decimal.hpp"
#include "report/html.hpp"

namespace report {

namespace {

constexpr unsigned total_digits = 6;  // digits after the point of the total
constexpr unsigned gate_digits = 4;   // of per-gate and aggregated energies and entropies
constexpr std::size_t workers_listed = 256;

constexpr std::string_view style = R"css(
:root{--ink:#1b2430;--muted:#5c6b7a;--line:#dde3ea;--soft:#f4f6f9;--accent:#2e6bb0;--accent-2:#d9822b}
*{box-sizing:border-box}
body{margin:0;background:var(--soft);color:var(--ink);
font:15px/1.5 system-ui,-apple-system,"Segoe UI",Roboto,"Helvetica Neue",Arial,sans-serif}
main{max-width:1000px;margin:0 auto;padding:28px 18px 40px}
h1{font-size:1.7rem;margin:0 0 4px;letter-spacing:-.01em}
h2{font-size:1.15rem;margin:0 0 4px}
.lead{color:var(--muted);margin:0 0 18px}
.lead code{font-size:.9em}
.cards{display:grid;grid-template-columns:repeat(auto-fit,minmax(210px,1fr));gap:12px}
.card,section{background:#fff;border:1px solid var(--line);border-radius:10px}
.card{padding:14px 16px}
.card .label{color:var(--muted);font-size:.8rem;text-transform:uppercase;letter-spacing:.05em}
.card .value{font-size:1.45rem;font-weight:650;font-variant-numeric:tabular-nums;margin:2px 0;overflow-wrap:anywhere}
.card .unit{font-size:.95rem;font-weight:400;color:var(--muted)}
.card .note{color:var(--muted);font-size:.85rem}
section{padding:18px 20px;margin-top:16px}
section>p.note{color:var(--muted);margin:0 0 12px;font-size:.9rem}
.pair{display:grid;grid-template-columns:1fr 1fr;gap:18px}
figure{margin:8px 0 0}
figcaption{font-size:.85rem;color:var(--muted);margin-bottom:4px}
svg{display:block;width:100%;max-width:680px;height:auto;margin:0 auto;font-size:13px}
svg .bar{fill:var(--accent)}
svg .label{fill:var(--ink)}
svg .value,svg .tick{fill:var(--muted)}
svg .tick{font-size:12px}
svg .axis-title{fill:var(--muted);font-size:12px}
svg .grid{stroke:var(--line);stroke-width:1}
svg .axis{stroke:var(--muted);stroke-width:1}
svg .diagonal{stroke:var(--line);stroke-width:1.5;stroke-dasharray:5 4}
svg .line{fill:none;stroke:var(--accent-2);stroke-width:2}
svg .point{fill:var(--accent-2)}
.scroll{overflow-x:auto}
table{border-collapse:collapse;width:100%;font-variant-numeric:tabular-nums;font-size:.9rem}
th,td{padding:5px 8px;border-bottom:1px solid var(--line);text-align:left;vertical-align:top}
th{color:var(--muted);font-weight:600;font-size:.8rem;text-transform:uppercase;letter-spacing:.03em}
td.num,th.num{text-align:right;white-space:nowrap}
td.name{overflow-wrap:anywhere}
tbody tr:nth-child(even){background:#fafbfc}
ul.facts{margin:10px 0 0;padding-left:18px}
.state-done{color:#23794a}.state-other{color:#b23b2e;font-weight:600}
#worker-table{width:auto;min-width:60%}
footer{color:var(--muted);font-size:.8rem;margin-top:18px}
@media (max-width:700px){main{padding:16px 10px 28px}.pair{grid-template-columns:1fr}
section{padding:14px 12px}h1{font-size:1.35rem}th,td{padding:4px 5px}}
@media print{body{background:#fff;font-size:11pt}main{max-width:none;padding:0}
.card,section{border:1px solid #ccc;break-inside:avoid}.pair{grid-template-columns:1fr 1fr}
.scroll{overflow:visible}tr{break-inside:avoid}}
)css";

// "1 level", "2 levels": the number in a span with the id `id` when one is given, and the noun in a
// span of class `noun_class` when one is given.
std::string counted(std::uint64_t count, std::string_view noun, std::string_view id = "",
                    std::string_view noun_class = "") {
  std::string number = std::to_string(count);
  if (!id.empty()) number = "<span id=\"" + std::string(id) + "\">" + number + "</span>";
  std::string word = std::string(noun) + (count == 1 ? "" : "s");
  if (!noun_class.empty()) word = "<span class=\"" + std::string(noun_class) + "\">" + word + "</span>";
  return number + " " + word;
}

std::string percent(double share) { return fixed(share * 100, 1) + " %"; }

// The share of the total that `bits` is, or a dash when the total is 0.
std::string share_of(double bits, double total) { return total > 0 ? percent(bits / total) : "—"; }

class page_writer {
 public:
  page_writer(const sources& from, const results& found, const picture& drawn)
      : from_(from), found_(found), drawn_(drawn) {}

  std::string write() {
    head();
    summary();
    kinds();
    levels();
    concentration();
    costliest();
    if (from_.job) workers();
    footer();
    return out_.str();
  }

 private:
  std::string netlist_name() const { return from_.netlist.filename().string(); }

  void head() {
    out_ << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
         << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
         << "<title>Information loss of " << escape(netlist_name()) << "</title><style>" << style
         << "</style></head><body><main>\n<header><h1>Information loss of " << escape(netlist_name())
         << "</h1><p class=\"lead\">Netlist <code>" << escape(from_.netlist.string())
         << "</code> · counted by <span id=\"method\">" << escape(describe(from_.method)) << "</span>";
    if (from_.job) out_ << " · job <code>" << escape(from_.job->string()) << "</code>";
    out_ << "</p></header>\n";
  }

  void card(std::string_view label, const std::string& value, const std::string& note) {
    out_ << "<div class=\"card\"><div class=\"label\">" << label << "</div><div class=\"value\">" << value
         << "</div><div class=\"note\">" << note << "</div></div>";
  }

  void summary() {
    out_ << "<div class=\"cards\">";
    std::string total = "<span id=\"total-energy\">" + round_decimal(found_.total, total_digits) + "</span>";
    if (found_.total_error)
      total += " ± <span id=\"total-error\">" + round_decimal(*found_.total_error, total_digits) + "</span>";
    card("Total energy", total + " <span class=\"unit\">bits</span>",
         "destroyed per input vector, summed over " + counted(found_.gates.size(), "gate"));
    card("Minimum heat", scientific(drawn_.total_bits * joules_per_bit, 3) + " <span class=\"unit\">J</span>",
         "per input vector at 300 K: k·T·ln 2 = " + scientific(joules_per_bit, 3) + " J per bit");
    const std::string ratio = drawn_.total_bits > 0
                                  ? fixed(static_cast<double>(drawn_.estimate) / drawn_.total_bits, 3)
                                  : std::string("—");
    card("Quick estimate",
         "<span id=\"estimate\">" + std::to_string(drawn_.estimate) +
             "</span> <span class=\"unit\">bits</span>",
         "approximate's estimate; estimate ÷ measured = <span id=\"ratio\">" + ratio + "</span>");
    const circuit_size& size = drawn_.size;
    card("Circuit", counted(size.gates, "gate", "gates", "unit"),
         counted(size.nodes, "node") + " · " + counted(size.inputs, "input", "inputs") + " · " +
             counted(size.outputs, "output") + " · " + counted(size.levels, "level", "levels"));
    out_ << "</div>\n";
  }

  void kinds() {
    out_ << "<section id=\"kinds\"><h2>Energy by gate kind</h2><p class=\"note\">Measured energy of every "
            "kind's "
            "gates, beside the fixed estimate per kind that approximate charges.</p>";
    std::vector<bar> bars;
    for (const kind_share& kind : drawn_.kinds)
      bars.push_back({kind.kind, kind.bits, fixed(kind.bits, gate_digits)});
    out_ << "<figure id=\"chart-kinds\">" << horizontal_bars("Energy by gate kind, in bits", bars)
         << "</figure>";
    out_ << "<div class=\"scroll\"><table id=\"kind-table\"><thead><tr><th>kind</th><th "
            "class=\"num\">gates</th>"
            "<th class=\"num\">energy (bits)</th><th class=\"num\">share</th><th class=\"num\">estimate</th>"
            "<th class=\"num\">estimate ÷ measured</th></tr></thead><tbody>";
    for (const kind_share& kind : drawn_.kinds) {
      out_ << "<tr><td>" << escape(kind.kind) << "</td><td class=\"num\">" << kind.gates
           << "</td><td class=\"num\">" << fixed(kind.bits, gate_digits) << "</td><td class=\"num\">"
           << share_of(kind.bits, drawn_.total_bits) << "</td><td class=\"num\">" << kind.estimate
           << "</td><td class=\"num\">"
           << (kind.bits > 0 ? fixed(static_cast<double>(kind.estimate) / kind.bits, 3) : "—")
           << "</td></tr>";
    }
    out_ << "</tbody></table></div></section>\n";
  }

  void levels() {
    out_ << "<section id=\"levels-section\"><h2>Energy by logic level</h2><p class=\"note\">Level 1 gates "
            "read "
            "only inputs and constants; a gate of level k reads at least one gate of level k − 1.</p>";
    if (drawn_.levels.empty()) {
      out_ << "<p>The circuit has no logic levels.</p></section>\n";
      return;
    }
    std::vector<bar> bars;
    for (const level_share& level : drawn_.levels)
      bars.push_back({std::to_string(level.level), level.bits,
                      fixed(level.bits, gate_digits) + " bits in " + std::to_string(level.gates) + " gates"});
    out_ << "<figure id=\"chart-levels\">"
         << columns("Energy by logic level, in bits", bars, "logic level", "bits") << "</figure>";
    out_ << "</section>\n";
  }

  void concentration() {
    out_ << "<section id=\"concentration\"><h2>How the energy is spread over the gates</h2>";
    if (found_.gates.empty()) {
      out_ << "<p>No gate of the circuit loses information.</p></section>\n";
      return;
    }
    out_ << "<ul class=\"facts\">";
    for (const struct concentration& c : drawn_.concentrations)
      out_ << "<li>The costliest " << c.percent << " % of the gates (" << c.gates << ") carry "
           << percent(c.share) << " of the energy.</li>";
    out_ << "</ul><div class=\"pair\">";
    std::vector<bar> bins;
    for (const histogram_bin& bin : drawn_.histogram)
      bins.push_back({fixed(bin.from, 2), static_cast<double>(bin.gates),
                      std::to_string(bin.gates) + " gates from " + fixed(bin.from, 3) + " to " +
                          fixed(bin.to, 3) + " bits"});
    out_ << "<figure id=\"chart-histogram\"><figcaption>Gates by energy</figcaption>"
         << columns("Number of gates by energy", bins, "energy per gate (bits)", "gates", half_width, true)
         << "</figure>";
    std::vector<point> points;
    const double gates = static_cast<double>(found_.gates.size());
    for (const cumulative_point& p : drawn_.cumulative)
      points.push_back({static_cast<double>(p.gates) / gates, p.share,
                        "the costliest " + std::to_string(p.gates) + " gates carry " + percent(p.share)});
    out_ << "<figure id=\"chart-cumulative\"><figcaption>Cumulative share of the costliest gates</figcaption>"
         << curve("Cumulative share of the energy carried by the costliest gates", points,
                  "share of the gates", "share of the energy", half_width)
         << "</figure></div></section>\n";
  }

  void costliest() {
    out_ << "<section><h2>The "
         << (drawn_.costliest.size() > 1 ? std::to_string(drawn_.costliest.size()) + " " : "")
         << "costliest gates</h2>";
    if (drawn_.costliest.empty()) {
      out_ << "<p>No gate of the circuit loses information.</p></section>\n";
      return;
    }
    const std::string error_column = found_.has_errors ? "<th class=\"num\">± std. error</th>" : "";
    out_
        << "<p class=\"note\">Entropies of each gate's input and output combinations over all input vectors; "
           "their difference is the gate's energy.</p><div class=\"scroll\"><table "
           "id=\"costliest\"><thead><tr>"
           "<th class=\"num\">#</th><th>gate</th><th>kind</th><th class=\"num\">level</th>"
           "<th class=\"num\">input entropy</th><th class=\"num\">output entropy</th>"
           "<th class=\"num\">energy (bits)</th>"
        << error_column << "<th class=\"num\">share</th></tr></thead><tbody>";
    for (std::size_t i = 0; i < drawn_.costliest.size(); ++i) {
      const costly_gate& gate = drawn_.costliest[i];
      out_ << "<tr><td class=\"num\">" << i + 1 << "</td><td class=\"name\">" << escape(gate.result->name)
           << "</td><td>" << escape(gate.kind) << "</td><td class=\"num\">" << gate.level
           << "</td><td class=\"num in\">" << round_decimal(gate.result->in_entropy, gate_digits)
           << "</td><td class=\"num out\">" << round_decimal(gate.result->out_entropy, gate_digits)
           << "</td><td class=\"num energy\">" << round_decimal(gate.result->energy, gate_digits) << "</td>";
      if (gate.result->error)
        out_ << "<td class=\"num error\">± " << round_decimal(*gate.result->error, gate_digits) << "</td>";
      out_ << "<td class=\"num\">" << share_of(gate.result->energy_bits, drawn_.total_bits) << "</td></tr>";
    }
    out_ << "</tbody></table></div></section>\n";
  }

  void workers() {
    std::map<std::string, std::uint64_t> states;
    for (const worker_record& worker : from_.workers) ++states[worker.state];
    out_ << "<section id=\"workers\"><h2>Workers</h2><p class=\"note\">" << from_.workers.size()
         << " workers:";
    bool first = true;
    for (const auto& [state, count] : states) {
      out_ << (first ? " " : ", ") << count << ' ' << escape(state);
      first = false;
    }
    // Workers without a result first, then the slowest.
    std::vector<const worker_record*> listed;
    for (const worker_record& worker : from_.workers) listed.push_back(&worker);
    const bool many = listed.size() > workers_listed;
    std::stable_sort(listed.begin(), listed.end(), [many](const worker_record* a, const worker_record* b) {
      if ((a->state == "done") != (b->state == "done")) return b->state == "done";
      return many && a->seconds.value_or(0) > b->seconds.value_or(0);
    });
    if (many) {
      listed.resize(workers_listed);
      out_ << "; the table lists " << workers_listed
           << " of them: those without a result first, then the slowest";
    }
    out_ << ".</p><div class=\"scroll\"><table id=\"worker-table\"><thead><tr><th class=\"num\">worker</th>"
            "<th>state</th><th class=\"num\">time (s)</th></tr></thead><tbody>";
    for (const worker_record* worker : listed) {
      out_ << "<tr><td class=\"num\">" << worker->number << "</td><td class=\""
           << (worker->state == "done" ? "state-done" : "state-other") << "\">" << escape(worker->state)
           << "</td><td class=\"num\">" << (worker->seconds ? fixed(*worker->seconds, 3) : "—")
           << "</td></tr>";
    }
    out_ << "</tbody></table></div></section>\n";
  }

  void footer() {
    out_
        << "<footer>Written by infoloss report from <code>" << escape(from_.energy.string())
        << "</code>, <code>" << escape(from_.entropy.string()) << "</code> and <code>"
        << escape(from_.total.string())
        << "</code>. Energies are bits of information destroyed per input vector; the heat is the least that "
           "destroying them dissipates, k·T·ln 2 per bit at T = 300 K.</footer>\n</main></body></html>\n";
  }

  const sources& from_;
  const results& found_;
  const picture& drawn_;
  std::ostringstream out_;
};

}  // namespace

std::string write_page(const sources& from, const results& found, const picture& drawn) {
  return page_writer(from, found, drawn).write();
}

}  // namespace report
