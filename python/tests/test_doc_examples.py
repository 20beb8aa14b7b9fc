"""The Python page's tested examples run and print what their #> comments say."""
import contextlib
import io
import re
from pathlib import Path

PAGE = Path(__file__).resolve().parents[2] / "docs" / "python.md"


def page_examples():
    """The body of every ```python tested block of the page."""
    return re.findall(r"^```python tested\n(.*?)^```$", PAGE.read_text(), re.S | re.M)


def test_page_examples_print_what_they_promise():
    examples = page_examples()
    assert examples, "docs/python.md has no ```python tested block"
    for number, code in enumerate(examples, 1):
        promised = [line.split("#>", 1)[1].strip() for line in code.splitlines() if "#>" in line]
        assert promised, f"example {number} promises no output (no #> comment)"
        printed = io.StringIO()
        with contextlib.redirect_stdout(printed):
            exec(compile(code, f"docs/python.md example {number}", "exec"), {})
        assert [line.strip() for line in printed.getvalue().splitlines()] == promised


def test_package_docstring_example():
    import doctest

    import quodra
    outcome = doctest.testmod(quodra)
    assert outcome.attempted == 5 and outcome.failed == 0
