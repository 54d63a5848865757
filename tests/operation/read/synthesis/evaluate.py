#!/usr/bin/env python3
"""An evaluation of a gate-level Verilog netlist by its own reading of the language, apart from the
programs under test: every signal's value under all input vectors at once (one integer whose bit j
is the value under input vector j, the first declared input bit being the most significant bit of
j), each gate's energy (the entropy of its input pair minus that of its output, in bits) and the
outputs per input vector.

usage: evaluate.py NETLIST ENERGY_OUT OUTPUTS_OUT TESTBENCH_OUT
  ENERGY_OUT:    "name energy" per two-input gate and majority, in statement order
  OUTPUTS_OUT:   per input vector j, the output bits in declared order
  TESTBENCH_OUT: a Verilog test bench that prints the same lines when simulated with the netlist
"""
import math
import re
import sys

TOKEN = re.compile(r"\s*(\\\S+|[A-Za-z_][A-Za-z0-9_$]*|\d+'[bBoOdDhH][0-9a-fA-F_]+|\d+|\S)")


def tokens(text):
    text = text.strip()
    position, result = 0, []
    while position < len(text):
        match = TOKEN.match(text, position)
        result.append(match.group(1))
        position = match.end()
    return result


def constant_bits(token):
    if "'" not in token:
        return [int(token)]
    width, rest = token.split("'")
    value = int(rest[1:].replace("_", ""), {"b": 2, "o": 8, "d": 10, "h": 16}[rest[0].lower()])
    return [(value >> k) & 1 for k in reversed(range(int(width)))]


class Netlist:
    def __init__(self, text):
        text = re.sub(r"/\*.*?\*/|\(\*.*?\*\)|//[^\n]*", " ", text, flags=re.S)
        self.vectors, self.inputs, self.outputs, self.ports = {}, [], [], []
        self.module = re.search(r"module\s+(\S+?)\s*\(", text).group(1)
        self.assigns = []  # (target bits, right-hand side tokens, statement text)
        for statement in text.split(";"):
            words = tokens(statement)
            if not words or words[0] in ("module", "endmodule"):
                continue
            if words[0] in ("input", "output", "wire"):
                self.declare(words)
            elif words[0] == "assign":
                equals = words.index("=")
                self.assigns.append((self.bits(words[1:equals]), words[equals + 1:], statement.strip()))
        self.size = 1 << len(self.inputs)

    def declare(self, words):
        kind, words = words[0], [w for w in words[1:] if w not in ("wire", "signed")]
        msb = lsb = None
        if words[0] == "[":
            msb, lsb, words = int(words[1]), int(words[3]), words[5:]
        for name in (w for w in words if w != ","):
            bits = [name] if msb is None else [f"{name}[{i}]" for i in
                                               (range(msb, lsb - 1, -1) if msb >= lsb else range(msb, lsb + 1))]
            if msb is not None:
                self.vectors[name] = bits
            if kind == "input" and bits[0] not in self.inputs:
                self.ports.append(("v", len(self.inputs), name, len(bits)))
                self.inputs += bits
            if kind == "output" and bits[0] not in self.outputs:
                self.ports.append(("o", len(self.outputs), name, len(bits)))
                self.outputs += bits

    def bits(self, words):
        """The bits a primary (name, select, constant, concatenation) stands for, leftmost first."""
        result, i = [], 0
        while i < len(words):
            w = words[i]
            if w in ("{", "}", ","):
                i += 1
            elif w[0].isdigit():
                result += constant_bits(w)
                i += 1
            elif i + 1 < len(words) and words[i + 1] == "[":
                if words[i + 3] == ":":
                    high, low = int(words[i + 2]), int(words[i + 4])
                    step = -1 if high >= low else 1
                    result += [f"{w}[{k}]" for k in range(high, low + step, step)]
                    i += 6
                else:
                    result.append(f"{w}[{words[i + 2]}]")
                    i += 4
            else:
                result += self.vectors.get(w, [w])
                i += 1
        return result

    def evaluate(self):
        full = (1 << self.size) - 1
        self.values = {}
        n = len(self.inputs)
        for k, name in enumerate(self.inputs):  # input k is bit n-1-k of the vector number
            pattern = 0
            for j in range(self.size):
                if (j >> (n - 1 - k)) & 1:
                    pattern |= 1 << j
            self.values[name] = pattern
        self.full = full
        pending = list(self.assigns)
        while pending:
            waiting = []
            for assign in pending:
                try:
                    self.assign(*assign)
                except KeyError:
                    waiting.append(assign)
            if len(waiting) == len(pending):
                raise SystemExit(f"unresolved: {waiting[0][2]}")
            pending = waiting

    def value(self, bit):
        if isinstance(bit, int):
            return self.full if bit else 0
        return self.values[bit]

    def assign(self, targets, words, text):
        if len(targets) > 1 or words[0] == "{":
            for target, bit in zip(targets, self.bits(words)):
                self.values[target] = self.value(bit)
            return
        self.words, self.position = words, 0
        self.values[targets[0]] = self.expression()

    # Recursive descent: | below ^ below &, "~" and parentheses on top.
    def peek(self):
        return self.words[self.position] if self.position < len(self.words) else None

    def expression(self, level=0):
        operators = ["|", "^", "&"]
        if level == 3:
            return self.unary()
        value = self.expression(level + 1)
        while self.peek() == operators[level]:
            self.position += 1
            right = self.expression(level + 1)
            value = value | right if level == 0 else value ^ right if level == 1 else value & right
        return value

    def unary(self):
        word = self.peek()
        self.position += 1
        if word == "~":
            return self.full & ~self.unary()
        if word == "(":
            value = self.expression()
            self.position += 1
            return value
        start = self.position - 1
        if self.peek() == "[":
            self.position += 3
        return self.value(self.bits(self.words[start:self.position])[0])

    def literal_operands(self, words):
        """The two operands of a two-input gate form, or None."""
        while words and words[0] == "~" and words[1] == "(" and closing(words, 1) == len(words) - 1:
            words = words[2:-1]
        for operator in "&|^":
            depth = 0
            for i, w in enumerate(words):
                depth += (w == "(") - (w == ")")
                if w == operator and depth == 0:
                    return words[:i], words[i + 1:]
        return None

    def majority_operands(self, text):
        """The three operands of a majority form, as the operand texts between operator characters
        read it (of each text its 1st, 3rd, 5th ... occurrence stays), or None."""
        right = text.split("=", 1)[1]
        pieces = [piece.strip(" \t\n,();") for piece in re.split(r"[&|^]", right)]
        if not ((len(pieces) == 6 and right.count("&") == 3) or
                (len(pieces) == 5 and right.count("&") == 2 and right.count("|") == 2)):
            return None
        kept, repeats = [], {}
        for piece in pieces:
            if piece not in repeats or repeats[piece] == 1:
                repeats[piece] = 0
                kept.append(piece)
            else:
                repeats[piece] += 1
        if len(kept) != 3:
            return None
        return [tokens(piece.replace("(", " ").replace(")", " ")) for piece in kept]

    def energies(self):
        rows = []
        for targets, words, text in self.assigns:
            if len(targets) != 1:
                continue
            operands = self.majority_operands(text) or self.literal_operands(words)
            if operands is None:
                continue
            values = []
            for side in operands:
                self.words, self.position = side, 0
                values.append(self.expression())
            out = self.values[targets[0]]
            if len(values) == 3:
                x, y, z = values
                if out != (x & y) | (x & z) | (y & z):
                    raise SystemExit(f"not a majority of its operands: {text}")
            combinations = [self.full]
            for value in values:
                combinations = [c & m for c in combinations for m in (value, self.full & ~value)]
            rows.append((targets[0], entropy(combinations, self.size) - entropy([out, self.full & ~out], self.size)))
        return rows


    def testbench(self):
        width = {"v": len(self.inputs), "o": len(self.outputs)}
        connections = ", ".join(
            f".{name} ({vector}[{width[vector] - 1 - first}:{width[vector] - first - size}])"
            for vector, first, name, size in self.ports)
        return (f"module bench;\n  reg [{width['v'] - 1}:0] v;\n  wire [{width['o'] - 1}:0] o;\n"
                f"  integer j;\n  {self.module} dut ({connections});\n"
                f"  initial for (j = 0; j < {self.size}; j = j + 1) begin v = j; #1 $display(\"%b\", o); end\n"
                "endmodule\n")


def closing(words, opening):
    """The place of the parenthesis that closes the one at `opening`."""
    depth = 0
    for i in range(opening, len(words)):
        depth += (words[i] == "(") - (words[i] == ")")
        if depth == 0:
            return i
    return None


def entropy(masks, total):
    counts = [bin(m).count("1") for m in masks]
    return -sum(c / total * math.log2(c / total) for c in counts if c)


def main():
    netlist = Netlist(open(sys.argv[1]).read())
    netlist.evaluate()
    with open(sys.argv[2], "w") as out:
        for name, energy in netlist.energies():
            out.write(f"{name} {energy:.12f}\n")
    with open(sys.argv[3], "w") as out:
        for j in range(netlist.size):
            out.write("".join(str((netlist.values[o] >> j) & 1) for o in netlist.outputs) + "\n")
    with open(sys.argv[4], "w") as out:
        out.write(netlist.testbench())


main()
