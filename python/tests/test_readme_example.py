"""The README's Python example runs and prints what its #> comments say."""
import contextlib
import io
import re
from pathlib import Path

README = Path(__file__).resolve().parents[2] / "README.md"


def readme_example():
    text = README.read_text()
    section = text[text.index("### From Python"):text.index("### From C++")]
    return re.search(r"```python\n(.*?)```", section, re.S).group(1)


def test_readme_example_prints_what_it_promises():
    code = readme_example()
    promised = [line.split("#>", 1)[1].strip() for line in code.splitlines() if "#>" in line]
    printed = io.StringIO()
    with contextlib.redirect_stdout(printed):
        exec(compile(code, "README.md", "exec"), {})
    assert [line.strip() for line in printed.getvalue().splitlines()] == promised
    assert len(promised) == 6


def test_package_docstring_example():
    import doctest

    import quodra
    outcome = doctest.testmod(quodra)
    assert outcome.attempted == 5 and outcome.failed == 0
