#!/usr/bin/env python3
"""Writes a random netlist of the plain assignment forms: two-input AND, OR and XOR, wires and the two
majority forms, with inversion marks ("~", "~~", "~ ~"), operands in parentheses, the constants 0, 1,
1'b0 and 1'b1, and majority operands that repeat or are constants.

Verilog has no double inversion "~~a" (an operator's operand is a primary), so the same netlist is
also written for iverilog with every inversion mark after the first in parentheses: "~(~(a))".

usage: random_netlist.py SEED INPUTS GATES OUT.v IVERILOG_OUT.v [distinct]
  distinct: the majorities' operands are three distinct signals, each written the same way
"""
import random
import re
import sys

CONSTANTS = ["0", "1", "1'b0", "1'b1"]


def main():
    seed, inputs, gates = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
    distinct = sys.argv[6:] == ["distinct"]
    rng = random.Random(seed)
    names = [f"a{i}" for i in range(inputs)]
    wires = [f"n{i}" for i in range(gates)]
    outputs = [f"y{i}" for i in range(max(1, gates // 4))]

    def operand(available):
        name = rng.choice(CONSTANTS) if rng.random() < 0.08 else rng.choice(available)
        mark = rng.choice(["", "", "", "~", "~~", "~ ~"])
        return rng.choice([f"{mark}{name}", f"{mark}({name})"]) if rng.random() < 0.2 else f"{mark}{name}"

    def majority(available):
        if distinct and len(set(available)) >= 3:
            a, b, c = [rng.choice(["", "~"]) + name for name in rng.sample(available, 3)]
        else:  # three operands, of which some may be the same text or a constant
            a, b = operand(available), operand(available)
            c = rng.choice([a, b, operand(available), operand(available)])
        if rng.random() < 0.5:
            return f"({a} & {b}) | ({a} & {c}) | ({b} & {c})"
        return f"({a} & {b}) | ({c} & ({a} | {b}))"

    def right_hand_side(available):
        shape = rng.random()
        if shape < 0.1:
            return operand(available)
        if shape < 0.3:
            return majority(available)
        return f"{operand(available)} {rng.choice('&|^')} {operand(available)}"

    lines = [f"module random{seed}({', '.join(names + outputs)});",
             f"input {', '.join(names)};", f"output {', '.join(outputs)};", f"wire {', '.join(wires)};"]
    available = list(names)
    for wire in wires:
        lines.append(f"assign {wire} = {right_hand_side(available)};")
        available.append(wire)
    for output in outputs:
        lines.append(f"assign {output} = {right_hand_side(available[inputs:] or available)};")
    lines.append("endmodule")
    text = "\n".join(lines) + "\n"
    with open(sys.argv[4], "w") as file:
        file.write(text)
    with open(sys.argv[5], "w") as file:
        file.write(re.sub(r"~((?:\s*~)+)\s*(\(?[\w']+\)?)", legal_inversions, text))


def legal_inversions(match):
    """"~~a" as Verilog writes it: "~(~(a))"."""
    marks = match.group(1).count("~")
    return "~" + "(~" * marks + "(" + match.group(2) + ")" + ")" * marks


main()
