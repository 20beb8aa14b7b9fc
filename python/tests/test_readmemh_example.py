"""The $readmemh example writes, line by line, what the model computes for
the operands it lists, as patterns of the documented widths."""
import subprocess
import sys
from pathlib import Path

import pytest

import quodra

EXAMPLE = Path(__file__).resolve().parents[2] / "examples" / "readmemh_vectors.py"


def read_column(path, width):
    lines = path.read_text().splitlines()
    assert all(len(line) == max(1, (width + 3) // 4) for line in lines)
    return [int(line, 16) for line in lines]


def signed_value(pattern, width):
    return pattern - (1 << width) if pattern >> (width - 1) else pattern


@pytest.mark.parametrize("arguments, settings", [
    ([], dict()),
    (["--unsigned", "--divisor-width", "70", "--dividend-width", "9"],
     dict(signed=False, divisor_width=70, dividend_width=9)),
    (["--algorithm", "high_radix", "--output", "fractional", "--fractional-width", "5",
      "--divisor-width", "12", "--dividend-width", "10"],
     dict(algorithm="high_radix", output="fractional", fractional_width=5, divisor_width=12,
          dividend_width=10)),
])
def test_vectors_match_the_model(tmp_path, arguments, settings):
    subprocess.run([sys.executable, str(EXAMPLE), str(tmp_path), "--samples", "40"] + arguments,
                   check=True, capture_output=True)
    divider = quodra.Divider(**settings)
    a, b, f = divider.divisor_width, divider.dividend_width, divider.fractional_width
    fractional = divider.output == "fractional"
    high_radix = divider.algorithm == quodra.Algorithm.HIGH_RADIX
    q_width = b + (f + (1 if high_radix else 0) if fractional else 0)
    dividends = read_column(tmp_path / "dividend.hex", b)
    divisors = read_column(tmp_path / "divisor.hex", a)
    quotients = read_column(tmp_path / "quotient.hex", q_width)
    flags = read_column(tmp_path / "div_by_zero.hex", 1)
    remainders = None if fractional else read_column(tmp_path / "remainder.hex", a)
    assert len(dividends) == len(divisors) == len(quotients) == len(flags) == 40
    assert 1 in flags  # the corner cases include a zero divisor
    for i in range(40):
        n = signed_value(dividends[i], b) if divider.signed else dividends[i]
        d = signed_value(divisors[i], a) if divider.signed else divisors[i]
        result = divider.divide(n, d)
        quotient = quotients[i]
        if high_radix:
            quotient = signed_value(quotient, q_width)
        assert quotient == (0 if result.quotient is None else result.quotient)
        assert bool(flags[i]) == result.div_by_zero
        if remainders is not None:
            assert remainders[i] == result.remainder


def test_runs_as_a_program_and_its_help_lists_every_field_width():
    assert EXAMPLE.stat().st_mode & 0o111, "the example has no run bit"
    run = subprocess.run([sys.executable, str(EXAMPLE), "--help"], check=True,
                         capture_output=True, text=True)
    for text in ("--dividend-width", "--divisor-width", "--fractional-width", "(default: 16)",
                 "quotient.hex", "dividend_width + fractional_width + 1 bits",
                 "div_by_zero.hex   1 bit"):
        assert text in run.stdout, text


def test_an_interpreter_without_the_package_is_told_which_to_use(tmp_path):
    # -S: no site packages, as a python3 found on the PATH outside the venv
    run = subprocess.run([sys.executable, "-S", str(EXAMPLE), str(tmp_path)],
                         capture_output=True, text=True)
    assert run.returncode == 1
    assert "has no quodra package" in run.stderr
    assert "Traceback" not in run.stderr
