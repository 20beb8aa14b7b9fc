#!/usr/bin/env python3
"""Runs the tested examples of one documentation page and compares output.

A fenced block whose info string is "<kind> tested" is an example:

  c tested        a C program. Compiled as C99 with -Wall -Wextra -Werror
                  against quodra.h and the shared library (and GNU MP's C
                  library), run, and its standard output compared with the
                  fenced block that must follow it, whose info string is
                  "output".
  cpp tested      a C++ program, compiled as C++17 with the same warnings
                  and linked with the C++ layer's libraries (gmpxx); output
                  as for C.
  systemc tested  a SystemC program (sc_main), compiled as C++ is, with the
                  SystemC kit's headers on the include path, and linked with
                  SystemC's library as well; run with SystemC's banner off;
                  output as for C.
  console tested  a shell session. A line "$ COMMAND" (continued by lines
                  after a trailing backslash, or up to the end marker of a
                  here-document) is run with /bin/sh in a fresh folder shared
                  by the block's commands, with the built quodra-div first on
                  PATH and standard input empty. The lines up to the next
                  "$ " line are its standard output; a last line
                  "[exit status N]" gives its exit status, which is 0
                  otherwise.
  systemverilog tested
                  a SystemVerilog module named `example`, verilated with
                  the package quodra_pkg into a program linked with the DPI
                  library, run, and its standard output (without the
                  simulator's own "$finish" line) compared with the
                  "output" block that must follow it.
  octave tested   an Octave script, run by octave-cli in a fresh folder with
                  the MEX file and the .m wrappers on its path; its standard
                  output is compared with the "output" block that must
                  follow it.

Output is compared exactly, line by line. A page without any tested block
fails: the test exists to run examples, not to find none.
"""
import argparse
import difflib
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

FENCE = re.compile(r"^(`{3,})(.*)$")
STATUS = re.compile(r"^\[exit status (\d+)\]$")
HEREDOC = re.compile(r"<<-?\s*'?\"?([A-Za-z_][A-Za-z0-9_]*)'?\"?")


def fenced_blocks(text):
    """(line number, info string, body lines) of every fenced block."""
    blocks = []
    lines = text.splitlines()
    i = 0
    while i < len(lines):
        opening = FENCE.match(lines[i].strip())
        if not opening:
            i += 1
            continue
        fence, info = opening.group(1), opening.group(2).strip()
        start = i + 1
        body = []
        i += 1
        while i < len(lines) and lines[i].strip() != fence:
            body.append(lines[i])
            i += 1
        if i == len(lines):
            raise SystemExit(f"line {start}: fenced block never closed")
        # An indented block (inside a list item) is dedented by its fence's indent.
        indent = len(lines[start - 1]) - len(lines[start - 1].lstrip())
        body = [line[indent:] if line[:indent].strip() == "" else line for line in body]
        blocks.append((start, info, body))
        i += 1
    return blocks


def examples(text):
    """(line, kind, body, expected output or None) of every tested block."""
    found = []
    blocks = fenced_blocks(text)
    for n, (line, info, body) in enumerate(blocks):
        words = info.split()
        if len(words) < 2 or words[1] != "tested":
            continue
        kind = words[0]
        if kind in ("c", "cpp", "systemc", "systemverilog", "octave"):
            if n + 1 == len(blocks) or blocks[n + 1][1] != "output":
                raise SystemExit(f"line {line}: a tested {kind} block must be followed "
                                 "by its ```output block")
            found.append((line, kind, body, blocks[n + 1][2]))
        elif kind == "console":
            found.append((line, kind, body, None))
        else:
            raise SystemExit(f"line {line}: unknown tested kind '{kind}'")
    return found


def compare(what, expected, got):
    if expected == got:
        return True
    sys.stdout.flush()
    print(f"{what}: output differs from the page", file=sys.stderr)
    sys.stderr.writelines(difflib.unified_diff(
        [l + "\n" for l in expected], [l + "\n" for l in got], "shown", "printed"))
    return False


def run_program(args, kind, body, expected, folder):
    folder.mkdir(parents=True, exist_ok=True)
    if kind == "c":
        source = folder / "example.c"
        command = [args.cc, "-std=c99"]
    else:
        source = folder / "example.cpp"
        command = [args.cxx, "-std=c++17"]
    source.write_text("\n".join(body) + "\n")
    program = folder / "example"
    libraries = [args.library] + (args.cxx_lib if kind in ("cpp", "systemc") else []) + args.c_lib
    if kind == "systemc":
        libraries += args.systemc_lib
    command += ["-Wall", "-Wextra", "-Werror"] + args.flag + \
        [f"-I{d}" for d in args.include if d] + [str(source), "-o", str(program)] + libraries + \
        [f"-Wl,-rpath,{Path(args.library).parent}"]
    built = subprocess.run(command, capture_output=True, text=True)
    if built.returncode != 0:
        print(" ".join(command), file=sys.stderr)
        print(built.stdout + built.stderr, file=sys.stderr)
        return False
    environment = dict(os.environ, SC_COPYRIGHT_MESSAGE="DISABLE")
    ran = subprocess.run([str(program)], capture_output=True, text=True,
                         stdin=subprocess.DEVNULL, timeout=60, env=environment)
    if ran.returncode != 0:
        print(f"exit status {ran.returncode}\n{ran.stderr}", file=sys.stderr)
        return False
    return compare(kind + " example", expected, ran.stdout.splitlines())


def run_simulation(args, body, expected, folder):
    """Verilates the example module with the package and runs it."""
    if not (args.verilator and args.hdl_package and args.dpi_library):
        print("a systemverilog example needs --verilator, --hdl-package and --dpi-library",
              file=sys.stderr)
        return False
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    (folder / "example.sv").write_text("\n".join(body) + "\n")
    dpi = Path(args.dpi_library).resolve()
    # The calling build's job server is not Verilator's make.
    env = {k: v for k, v in os.environ.items() if k not in ("MAKEFLAGS", "MFLAGS", "MAKELEVEL")}
    built = subprocess.run(
        [args.verilator, "--binary", "-j", "2", "--top-module", "example", args.hdl_package,
         "example.sv", "-LDFLAGS", f"{dpi} -Wl,-rpath,{dpi.parent}"],
        cwd=folder, env=env, text=True, capture_output=True, timeout=600)
    if built.returncode != 0:
        print(built.stdout + built.stderr, file=sys.stderr)
        return False
    ran = subprocess.run([str(folder / "obj_dir" / "Vexample")], cwd=folder, text=True,
                         capture_output=True, timeout=120)
    if ran.returncode != 0:
        print(f"the example exited with {ran.returncode}\n{ran.stderr}", file=sys.stderr)
        return False
    printed = [line for line in ran.stdout.splitlines() if not line.endswith("Verilog $finish")]
    return compare("systemverilog example", expected, printed)


def run_octave(args, body, expected, folder):
    """Runs the example script with octave-cli, the gateway on its path."""
    if not (args.octave and args.octave_path):
        print("an octave example needs --octave and --octave-path", file=sys.stderr)
        return False
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    (folder / "example.m").write_text("\n".join(body) + "\n")
    command = [args.octave, "--norc", "--no-history", "--quiet"]
    for path in args.octave_path:
        command += ["--path", str(Path(path).resolve())]
    ran = subprocess.run(command + ["example.m"], cwd=folder, text=True, capture_output=True,
                         timeout=120)
    if ran.returncode != 0:
        print(f"the example exited with {ran.returncode}\n{ran.stderr}", file=sys.stderr)
        return False
    return compare("octave example", expected, ran.stdout.splitlines())


def session_commands(body):
    """(command text, expected output lines, expected status) of a session."""
    commands = []
    i = 0
    while i < len(body):
        if not body[i].startswith("$ "):
            raise SystemExit(f"session line '{body[i]}' is neither a command nor its output")
        command = [body[i][2:]]
        while command[-1].endswith("\\") and i + 1 < len(body):
            i += 1
            command.append(body[i])
        marker = HEREDOC.search(command[0])
        if marker:
            while i + 1 < len(body):
                i += 1
                command.append(body[i])
                if body[i] == marker.group(1):
                    break
        i += 1
        output = []
        while i < len(body) and not body[i].startswith("$ "):
            output.append(body[i])
            i += 1
        status = 0
        if output and STATUS.match(output[-1]):
            status = int(STATUS.match(output.pop()).group(1))
        commands.append(("\n".join(command), output, status))
    return commands


def run_session(args, body, folder):
    if args.tool is None:
        print("a console example needs --tool", file=sys.stderr)
        return False
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    env = dict(os.environ, LC_ALL="C",
               PATH=str(Path(args.tool).parent) + os.pathsep + os.environ.get("PATH", ""))
    ok = True
    commands = session_commands(body)
    if not commands:
        print("an empty console example", file=sys.stderr)
        return False
    for command, expected, status in commands:
        ran = subprocess.run(["/bin/sh", "-c", command], cwd=folder, env=env, text=True,
                             capture_output=True, stdin=subprocess.DEVNULL, timeout=120)
        if not compare("$ " + command, expected, ran.stdout.splitlines()):
            ok = False
        if ran.returncode != status:
            print(f"$ {command}: exit status {ran.returncode}, the page shows {status}\n"
                  f"{ran.stderr}", file=sys.stderr)
            ok = False
    return ok


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("page")
    parser.add_argument("--work", required=True, help="folder for the examples' files")
    parser.add_argument("--cc")
    parser.add_argument("--cxx")
    parser.add_argument("--library", help="the shared library libquodra")
    parser.add_argument("--include", action="append", default=[])
    parser.add_argument("--include-list", default="", help="include folders separated by ';'")
    parser.add_argument("--c-lib", action="append", default=[], help="GNU MP's C library")
    parser.add_argument("--cxx-lib", action="append", default=[], help="GNU MP's C++ library")
    parser.add_argument("--flag", action="append", default=[], help="an extra compiler flag")
    parser.add_argument("--systemc-lib", action="append", default=[],
                        help="SystemC's library, for systemc examples")
    parser.add_argument("--tool", help="the built quodra-div")
    parser.add_argument("--verilator", help="the verilator program")
    parser.add_argument("--hdl-package", help="quodra_pkg.sv")
    parser.add_argument("--dpi-library", help="the built libquodra_dpi")
    parser.add_argument("--octave", help="the octave-cli program")
    parser.add_argument("--octave-path", action="append", default=[],
                        help="a folder for Octave's path (the MEX file, the .m wrappers)")
    args = parser.parse_args()
    for name in ("library", "tool"):
        if getattr(args, name):
            setattr(args, name, str(Path(getattr(args, name)).resolve()))
    args.include = [str(Path(d).resolve())
                    for d in args.include + args.include_list.split(";") if d]

    page = Path(args.page)
    found = examples(page.read_text(encoding="utf-8"))
    if not found:
        print(f"{page.name}: no tested examples found", file=sys.stderr)
        return 1
    failed = 0
    for line, kind, body, expected in found:
        folder = Path(args.work) / f"line{line}"
        if kind == "console":
            ok = run_session(args, body, folder)
        elif kind == "systemverilog":
            ok = run_simulation(args, body, expected, folder)
        elif kind == "octave":
            ok = run_octave(args, body, expected, folder)
        elif (kind == "c" and not args.cc) or (kind in ("cpp", "systemc") and not args.cxx):
            print(f"a {kind} example needs its compiler", file=sys.stderr)
            ok = False
        else:
            ok = run_program(args, kind, body, expected, folder)
        print(f"{page.name}:{line}: {kind} example {'ok' if ok else 'FAILED'}", flush=True)
        failed += not ok
    print(f"{page.name}: {len(found) - failed} of {len(found)} examples agree with the page")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
