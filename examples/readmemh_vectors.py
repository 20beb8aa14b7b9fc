#!/usr/bin/env python3
"""Writes golden vectors for a Verilog/SystemVerilog test bench to read with
$readmemh: random operands of the configured fields (plus the corner cases
a divider must get right) divided by the quodra model.

One file per port, one hexadecimal value per line, line i of every file
belonging to sample i:

    dividend.hex      dividend_width bits   (two's complement when signed)
    divisor.hex       divisor_width bits
    quotient.hex      remainder mode: dividend_width bits;
                      Radix-2 fractional: dividend_width + fractional_width bits;
                      High Radix: dividend_width + fractional_width + 1 bits,
                      two's complement (its quotient is a signed number)
    remainder.hex     divisor_width bits (remainder mode only)
    div_by_zero.hex   1 bit

Each value is zero-padded to the digits its width needs, so that

    reg [DIVIDEND_WIDTH-1:0] dividend [0:N-1];
    initial $readmemh("dividend.hex", dividend);

reads it as is. A High Radix sample with a zero divisor has no quotient
(the datapath writes none); its line holds 0 and div_by_zero is 1.

Usage: readmemh_vectors.py OUT_DIR [--samples N] [--seed S] [--algorithm radix2]
           [--divisor-width 16] [--dividend-width 16] [--unsigned]
           [--output remainder|fractional] [--fractional-width 16]
"""
import argparse
import random
import sys
from pathlib import Path

try:
    import quodra
except ImportError:
    # The shebang finds the first python3 on the PATH, which need not be the
    # interpreter (a virtual environment's) that has the package.
    sys.exit("readmemh_vectors.py: %s has no quodra package; run this script with the "
             "interpreter that has it (for example .venv/bin/python %s) or activate its "
             "virtual environment" % (sys.executable, sys.argv[0]))


def field_bounds(width, signed):
    if signed:
        return -(1 << (width - 1)), (1 << (width - 1)) - 1
    return 0, (1 << width) - 1


def corner_cases(divider):
    """Dividend/divisor pairs every divider test should contain."""
    n_low, n_high = field_bounds(divider.dividend_width, divider.signed)
    d_low, d_high = field_bounds(divider.divisor_width, divider.signed)
    pairs = [(n_high, 0), (0, d_high), (n_high, d_high), (n_low, d_high), (n_high, 1 if d_high else d_low)]
    if divider.signed:
        pairs += [(n_low, -1), (n_low, d_low), (-1, d_high)]
    return pairs


def hex_line(value, width):
    """The width-bit two's-complement pattern of value, zero-padded."""
    digits = max(1, (width + 3) // 4)
    return format(value & ((1 << width) - 1), "0%dx" % digits)


def write_vectors(divider, out_dir, samples, seed):
    generator = random.Random(seed)
    pairs = corner_cases(divider)
    n_bounds = field_bounds(divider.dividend_width, divider.signed)
    d_bounds = field_bounds(divider.divisor_width, divider.signed)
    while len(pairs) < samples:
        pairs.append((generator.randint(*n_bounds), generator.randint(*d_bounds)))
    pairs = pairs[:samples]
    batch = divider.divide_many([n for n, _ in pairs], [d for _, d in pairs])

    fractional = divider.output == "fractional"
    quotient_width = divider.dividend_width + (divider.fractional_width if fractional else 0)
    if fractional and divider.algorithm == quodra.Algorithm.HIGH_RADIX:
        quotient_width += 1
    columns = {
        "dividend.hex": ([n for n, _ in pairs], divider.dividend_width),
        "divisor.hex": ([d for _, d in pairs], divider.divisor_width),
        "quotient.hex": (batch.quotient.tolist(), quotient_width),
        "div_by_zero.hex": ([int(flag) for flag in batch.div_by_zero], 1),
    }
    if not fractional:
        columns["remainder.hex"] = (batch.remainder.tolist(), divider.divisor_width)
    out_dir.mkdir(parents=True, exist_ok=True)
    for file_name, (values, width) in columns.items():
        (out_dir / file_name).write_text("".join(hex_line(v, width) + "\n" for v in values))
    return sorted(columns)


def main():
    summary, _, files = __doc__.partition("\n\n")
    parser = argparse.ArgumentParser(
        description=" ".join(summary.split()),
        epilog=files.partition("\nUsage:")[0],
        formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("out_dir", type=Path, help="folder for the .hex files (made if missing)")
    parser.add_argument("--samples", type=int, default=1000,
                        help="samples, corner cases first (default: %(default)s)")
    parser.add_argument("--seed", type=int, default=1,
                        help="seed of the random operands (default: %(default)s)")
    parser.add_argument("--algorithm", default="radix2",
                        help="radix2, high_radix or lutmult, or 1, 3, 4 (default: %(default)s)")
    parser.add_argument("--divisor-width", type=int, default=16,
                        help="divisor field bits (default: %(default)s)")
    parser.add_argument("--dividend-width", type=int, default=16,
                        help="dividend field bits (default: %(default)s)")
    parser.add_argument("--unsigned", action="store_true",
                        help="unsigned operands (default: signed, two's complement)")
    parser.add_argument("--output", default="remainder", choices=["remainder", "fractional"],
                        help="quotient and remainder, or quotient with fraction bits "
                             "(default: %(default)s)")
    parser.add_argument("--fractional-width", type=int, default=16,
                        help="fraction bits in fractional output (default: %(default)s)")
    args = parser.parse_args()
    algorithm = int(args.algorithm) if args.algorithm.isdigit() else args.algorithm
    divider = quodra.Divider(algorithm=algorithm, divisor_width=args.divisor_width,
                             dividend_width=args.dividend_width, signed=not args.unsigned,
                             output=args.output, fractional_width=args.fractional_width,
                             name="readmemh vectors")
    files = write_vectors(divider, args.out_dir, args.samples, args.seed)
    print("%d samples of %r in %s: %s" % (args.samples, divider, args.out_dir, ", ".join(files)))


if __name__ == "__main__":
    main()
