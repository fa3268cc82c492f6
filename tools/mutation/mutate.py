#!/usr/bin/env python3
"""Mutation runs over the program's own code: does a small fault in it make a test fail?

Each mutant is one small change to one line of the six subsystem folders: a comparison or logical
operator swapped, an integer literal changed, `return true`/`return false` swapped, or a statement
deleted. The sources are copied to build/mutation/src (the work tree is never touched); each mutant
is written into the copy, built incrementally, and the fast tests run against it; the copy's file
is restored after each mutant and when the run is interrupted.

A mutant is "killed" when a test fails (or the tests run out of time), "survived" when they all
pass, "not built" when it does not compile, and "equivalent" when its object code is identical to
the original's (the compiler proved the change makes no difference). Survivors listed in
docs/testing.md as equivalent, with the reason, are counted as equivalent too.
"""

import argparse
import hashlib
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import threading
import time
from collections import Counter
from dataclasses import dataclass, field
from pathlib import Path

RUNNING = set()  # the builds and tests running now, stopped with the run

SUBSYSTEMS = ("switch", "hid", "usb", "app", "prefs", "framework")
# Tests left out: the desktops' (a display: desktop_e2e_tests, modern_desktop_tests, ...), the
# fuzz targets' and the virtual machine's are slow, and on a loaded machine their time limits
# would count as kills; tests that install the build are not about the program's behaviour.
SLOW_EXECUTABLES = re.compile(r"(^|/)(\w*desktop_\w+|\w+_fuzz|\w*install\w*)$|/tests/vm/")
SLOW_NAMES = re.compile(r"^(replay_|fuzz_|desktop|vm\.|package)|install")


@dataclass
class TestGroup:
    name: str
    targets: list  # what to build (relative to the build folder) before running
    numbers: list = field(default_factory=list)  # CTest's numbers of its tests
    ctest: bool = False  # run through CTest, case by case
    directory: str = ""
    environment: list = field(default_factory=list)
    seconds: float = 0.0


@dataclass(frozen=True)
class Mutant:
    path: str  # relative to the source root
    line: int  # 1-based
    column: int  # 1-based
    original: str
    replacement: str
    kind: str

    @property
    def place(self):
        return f"{self.path}:{self.line}:{self.column}"

    def __str__(self):
        shown = self.replacement if self.kind != "delete" else "(deleted)"
        return f"{self.place}: {self.kind}: `{self.original}` -> `{shown}`"


# ---------------------------------------------------------------------------------------------
# Finding the mutants of a source file

def code_mask(text):
    """For each character: True where it is code, False in comments, strings, character literals
    and preprocessor lines."""
    mask = [True] * len(text)
    i, n = 0, len(text)
    at_line_start = True
    while i < n:
        c = text[i]
        if at_line_start and c == "#":
            end = i
            while end < n and (text[end] != "\n" or text[end - 1] == "\\"):
                end += 1
            mask[i:end] = [False] * (end - i)
            i = end
            continue
        if c == "\n":
            at_line_start = True
            i += 1
            continue
        if not c.isspace():
            at_line_start = False
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
        elif text.startswith('R"(', i):
            end = text.find(')"', i + 3)
            end = n if end < 0 else end + 2
        elif c in "\"'" and not (c == "'" and i > 0 and text[i - 1].isalnum()):  # 0x1'000
            end = i + 1
            while end < n and text[end] != c:
                end += 2 if text[end] == "\\" else 1
            end += 1
        else:
            i += 1
            continue
        mask[i:end] = [False] * (end - i)
        i = end
    return mask


OPERATORS = {
    " == ": " != ", " != ": " == ", " < ": " <= ", " <= ": " < ", " > ": " >= ", " >= ": " > ",
    " && ": " || ", " || ": " && ",
}
OPERATOR_RE = re.compile(r" (==|!=|<=|>=|<|>|&&|\|\|) ")
LITERAL_RE = re.compile(r"(?<![\w.])(0[xX][0-9a-fA-F]+|\d+)([uUlL]*)(?![\w.'])")
RETURN_RE = re.compile(r"\breturn (true|false);")
# A statement that is a whole line and does something: a call, an assignment, an increment.
STATEMENT_RE = re.compile(r"^(\s*)((?:[\w:.\->\[\]*()]+)\s*(?:\(.*\)|[-+*/|&^]?= .*|\+\+|--));\s*$")
DECLARATION_RE = re.compile(
    r"^\s*(?:const |static |constexpr |auto |unsigned |struct |enum |typename )*"
    r"[\w:]+(?:<[^;]*>)?[\s*&]+[*&]?\w+\s*(?:=|\(|\{|\[|;)")
KEYWORDS = ("return", "break", "continue", "goto", "case", "default", "using", "typedef",
            "static_assert", "delete", "throw", "co_return")


def line_starts(text):
    starts = [0]
    for i, c in enumerate(text):
        if c == "\n":
            starts.append(i + 1)
    return starts


def mutants_of(root, path):
    text = (root / path).read_text()
    mask = code_mask(text)
    starts = line_starts(text)
    found = []

    def add(offset, original, replacement, kind):
        line = max(k for k, s in enumerate(starts) if s <= offset)
        if text[starts[line]:].lstrip().startswith("static_assert"):
            return  # a checked assumption: changing it only stops the build
        found.append(Mutant(path, line + 1, offset - starts[line] + 1, original, replacement, kind))

    def is_code(start, end):
        return all(mask[start:end])

    for m in OPERATOR_RE.finditer(text):
        if is_code(m.start(), m.end()):
            # "a<b> c" templates are written without spaces; a space-surrounded < or > here is a
            # comparison unless it closes a template argument list ("Foo<A, B> x"): skip those.
            token = m.group(0)
            before = text[text.rfind("\n", 0, m.start()) + 1:m.start()]
            if token == " > " and re.search(r"\w<[^<>;()]*$", before):
                continue
            add(m.start() + 1, token.strip(), OPERATORS[token].strip(), "operator")
    for m in LITERAL_RE.finditer(text):
        if not is_code(m.start(), m.end()):
            continue
        digits, suffix = m.group(1), m.group(2)
        hexadecimal, octal = digits[:2].lower() == "0x", len(digits) > 1 and digits[0] == "0"
        value = int(digits, 16 if hexadecimal else 8 if octal else 10)
        new = 1 if value == 0 else 0 if value == 1 else value + 1
        if hexadecimal:
            upper = digits[2:] != digits[2:].lower()
            shown = digits[:2] + format(new, "X" if upper else "x")
        else:
            shown = "0" + format(new, "o") if octal else str(new)
        add(m.start(), digits + suffix, shown + suffix, "literal")
    for m in RETURN_RE.finditer(text):
        if is_code(m.start(), m.end()):
            flipped = "false" if m.group(1) == "true" else "true"
            add(m.start(1), m.group(1), flipped, "return")
    if not path.endswith(".cpp"):
        return found  # headers declare; statements are deleted from function bodies only
    lines = text.split("\n")
    previous = ""
    for number, line in enumerate(lines):
        stripped = line.strip()
        start = starts[number]
        m = STATEMENT_RE.match(line)
        if (m and is_code(start + len(m.group(1)), start + len(line.rstrip()))
                and previous.endswith((";", "{", "}", ")", ":"))
                and not stripped.startswith(KEYWORDS) and not DECLARATION_RE.match(line)
                and stripped.count("(") == stripped.count(")")):
            body = m.group(2) + ";"
            add(start + len(m.group(1)), body, "{}", "delete")
        if stripped and not stripped.startswith("//"):
            previous = stripped
    return found


def all_mutants(root):
    mutants = []
    for folder in SUBSYSTEMS:
        for path in sorted((root / folder).glob("*")):
            if path.suffix in (".cpp", ".h"):
                mutants.extend(mutants_of(root, str(path.relative_to(root))))
    return mutants


def sample(root, mutants, seed, count):
    """The `count` mutants that rank first by a hash of the seed and of what each mutant is: its
    file, the text of its line, its place in that text and its change. A mutant's rank does not
    depend on the others, so an edit leaves the sample as it was wherever the code is unchanged,
    and runs before and after a change score the same mutants there. The order is the ranking's:
    a run stopped early has scored a random part of the sample."""
    texts = {}
    seen = Counter()

    def rank(mutant):
        if mutant.path not in texts:
            texts[mutant.path] = (root / mutant.path).read_text().split("\n")
        line = texts[mutant.path][mutant.line - 1]
        indent = len(line) - len(line.lstrip())
        identity = (mutant.path, line.strip(), mutant.column - indent, mutant.original,
                    mutant.replacement, mutant.kind)
        seen[identity] += 1  # the same line may stand more than once in a file
        return hashlib.sha256(f"{seed}|{identity}|{seen[identity]}".encode()).hexdigest()

    return sorted(mutants, key=rank)[:count]


def apply(text, mutant):
    lines = text.split("\n")
    line = lines[mutant.line - 1]
    at = mutant.column - 1
    assert line[at:at + len(mutant.original)] == mutant.original, mutant
    lines[mutant.line - 1] = line[:at] + mutant.replacement + line[at + len(mutant.original):]
    return "\n".join(lines)


# ---------------------------------------------------------------------------------------------
# The copy, its build and its tests

class Workspace:
    def __init__(self, tree, jobs, index=0, base="mutation"):
        self.tree = tree
        self.base = Path(__file__).resolve().parents[2] / "build" / base
        self.src = self.base / ("src" if index == 0 else f"src{index}")
        self.scratch = self.base / f"object{index}"
        # Laid out as the work tree and its build are, so that the compiler cache (which keys on
        # paths relative to the build folder) serves the copy's first build.
        self.build = self.src / "build" / "release"
        self.jobs = jobs
        self.groups = []
        self.tests = []
        self.objects = {}
        self.object_of = {}

    def run(self, command, timeout=None, **kwargs):
        process = subprocess.Popen(["nice", "-n", "10"] + command, start_new_session=True,
                                   stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                   **kwargs)
        RUNNING.add(process)
        try:
            output, _ = process.communicate(timeout=timeout)
            return process.returncode, output
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.communicate()
            return None, "timed out"
        except BaseException:
            os.killpg(process.pid, signal.SIGKILL)
            raise
        finally:
            RUNNING.discard(process)

    def prepare(self):
        self.src.mkdir(parents=True, exist_ok=True)
        self.sync()
        if not (self.build / "build.ninja").exists():
            # Every mutant relinks every test program: lld, where installed, links fastest.
            linker = ["-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld"] if shutil.which("ld.lld") else []
            code, output = self.run(["cmake", "-G", "Ninja", "-S", str(self.src), "-B",
                                     str(self.build), "-DCMAKE_BUILD_TYPE=RelWithDebInfo"] + linker)
            if code != 0:
                sys.exit("mutation: cannot configure the copy:\n" + output)
        code, output = self.run(["ninja", "-C", str(self.build), "-j", str(self.jobs)])
        if code != 0:
            sys.exit("mutation: the unmutated copy does not build:\n" + output[-3000:])
        listing = json.loads(subprocess.run(["ctest", "--test-dir", str(self.build),
                                             "--show-only=json-v1"], check=True,
                                            capture_output=True, text=True).stdout)
        # The fast tests in groups: all cases of one test program run in one process; the other
        # tests (scripts over the programs) through CTest.
        programs, scripted = {}, []
        for number, test in enumerate(listing["tests"], 1):
            command = test.get("command") or [""]
            if SLOW_NAMES.search(test["name"]) or SLOW_EXECUTABLES.search(command[0]):
                continue
            if command[0].startswith(str(self.build / "bin") + "/"):
                properties = {p["name"]: p["value"] for p in test.get("properties", [])}
                group = programs.setdefault(command[0], TestGroup(
                    os.path.basename(command[0]), [os.path.relpath(command[0], self.build)]))
                group.numbers.append(str(number))
                group.directory = properties.get("WORKING_DIRECTORY", str(self.build))
                group.environment = properties.get("ENVIRONMENT", [])
            else:
                scripted.append((str(number), command))
        self.groups = list(programs.values())
        if scripted:
            # The programs a script runs are named in its arguments.
            targets = sorted({os.path.relpath(a.split("=", 1)[-1], self.build)
                              for _, command in scripted for a in command
                              if a.split("=", 1)[-1].startswith(str(self.build / "bin") + "/")})
            self.groups.append(TestGroup("scripts", targets, [n for n, _ in scripted], ctest=True))
        self.tests = [n for group in self.groups for n in group.numbers]
        commands = json.loads((self.build / "compile_commands.json").read_text())
        for entry in commands:
            source = Path(entry["file"])
            if source.is_relative_to(self.src) and source.relative_to(self.src).parts[0] in SUBSYSTEMS:
                output = entry.get("output") or entry["command"].split(" -o ")[1].split()[0]
                obj = self.build / output
                self.objects[obj] = (obj.read_bytes(), None)
                self.object_of[str(source.relative_to(self.src))] = output

    def baseline(self):
        """Runs every group unmutated, timing it; a program whose cases do not pass in one
        process is run case by case through CTest instead."""
        for group in self.groups:
            started = time.monotonic()
            code, output = self.run_group(group, None)
            if code != 0 and not group.ctest:
                group.ctest = True
                started = time.monotonic()
                code, output = self.run_group(group, None)
            if code != 0:
                sys.exit(f"mutation: {group.name} fails without a mutant:\n" + output[-3000:])
            group.seconds = time.monotonic() - started

    def take_baseline_of(self, other):
        """The groups and timings of another copy of the same tree, in this copy's paths."""
        mine = {group.name: group for group in self.groups}
        for group in other.groups:
            mine[group.name].ctest, mine[group.name].seconds = group.ctest, group.seconds

    def run_group(self, group, timeout):
        if group.ctest:
            return self.run(["ctest", "--test-dir", str(self.build), "-j", str(self.jobs),
                             "--stop-on-failure", "-I", "0,0,0," + ",".join(group.numbers)],
                            timeout=timeout)
        environment = dict(os.environ)
        environment.update(item.split("=", 1) for item in group.environment)
        return self.run([str(self.build / group.targets[0]), "--gtest_brief=1"], timeout=timeout,
                        cwd=group.directory, env=environment)

    def compile_mutant(self, path):
        """Builds the mutated file's object only: False when it does not compile."""
        # A header: every object of the six folders.
        targets = [self.object_of[path]] if path in self.object_of else [
            os.path.relpath(obj, self.build) for obj in self.objects]
        code, _ = self.run(["ninja", "-C", str(self.build), "-j", str(self.jobs)] + targets)
        return code == 0

    def test_mutant(self, path):
        """Links and runs one group at a time, those of the mutated folder first: True when a
        test fails or runs out of time (killed)."""
        folder = path.split("/")[0]
        near = {"switch": ("switch", "hid", "usb"), "hid": ("hid", "discovery"),
                "usb": ("usb", "discovery"), "app": ("app", "hotkey", "dock"),
                "prefs": ("prefs",), "framework": ("framework", "toolbox")}[folder]
        order = sorted(self.groups, key=lambda g: (not g.name.startswith(near), g.seconds))
        for group in order:
            code, _ = self.run(["ninja", "-C", str(self.build), "-j", str(self.jobs)] + group.targets)
            if code != 0:
                return None  # compiles, but does not link
            code, _ = self.run_group(group, 3 * group.seconds + 30)
            if code != 0:
                return True
        return False

    def sync(self):
        """Makes the copy the work tree's sources; files already the same keep their times, so
        the copy's build stays incremental."""
        wanted = set()
        for folder, subfolders, files in os.walk(self.tree):
            here = Path(folder)
            if here == self.tree:
                subfolders[:] = [d for d in subfolders if d not in ("build", ".git")]
            for name in files:
                source = here / name
                relative = source.relative_to(self.tree)
                wanted.add(relative)
                copy = self.src / relative
                if source.is_symlink() or not copy.exists() or copy.read_bytes() != source.read_bytes():
                    copy.parent.mkdir(parents=True, exist_ok=True)
                    if copy.is_symlink() or copy.exists():
                        copy.unlink()
                    # A new time: the copy's build must see the file changed.
                    shutil.copy(source, copy, follow_symlinks=False)
        for folder, subfolders, files in os.walk(self.src):
            if Path(folder) == self.src:
                subfolders[:] = [d for d in subfolders if d != "build"]
            for name in files:
                if (Path(folder) / name).relative_to(self.src) not in wanted:
                    (Path(folder) / name).unlink()

    def build_all(self):
        self.run(["ninja", "-C", str(self.build), "-j", str(self.jobs)] +
                 [t for g in self.groups for t in g.targets])

    def unchanged_objects(self):
        """True when every object of the six folders holds the code it held unmutated (debug
        information aside: it records columns, which a longer operator shifts)."""
        for obj, (original, stripped) in self.objects.items():
            now = obj.read_bytes()
            if now == original:
                continue
            if stripped is None:
                stripped = self.strip_debug(original)
                self.objects[obj] = (original, stripped)
            if self.strip_debug(now) != stripped:
                return False
        return True

    def strip_debug(self, data):
        unstripped, result = self.scratch.with_suffix(".o"), self.scratch.with_suffix(".stripped.o")
        unstripped.write_bytes(data)
        subprocess.run(["objcopy", "--strip-debug", str(unstripped), str(result)], check=True)
        return result.read_bytes()


def documented_equivalents(tree):
    """Mutants docs/testing.md names as equivalent: lines holding `path:line:column` and the
    replacement, e.g. "- `hid/HIDCommands.cpp:40:17` `<` -> `<=`: ... "."""
    doc = tree / "docs" / "testing.md"
    if not doc.exists():
        return set()
    pattern = re.compile(r"`([\w/.]+:\d+:\d+)` `([^`]*)` -> `([^`]*)`")
    # A table cell writes `|` as `\|`.
    return {tuple(g.replace("\\|", "|") for g in m.groups())
            for m in pattern.finditer(doc.read_text())}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seed", type=int, default=1, help="seed of the sample (default 1)")
    parser.add_argument("--count", type=int, default=200, help="mutants in the sample (default 200)")
    parser.add_argument("--all", action="store_true", help="every mutant, not a sample")
    parser.add_argument("--only", metavar="FILE:LINE", action="append",
                        help="only the mutants of this line (may be given more than once)")
    parser.add_argument("--list", action="store_true", help="list the mutants, run none")
    parser.add_argument("--jobs", type=int, default=2, help="build jobs of each worker")
    parser.add_argument("--workers", type=int, default=1,
                        help="mutants tested side by side, each in a copy of its own")
    parser.add_argument("--minutes", type=float,
                        help="stop after this long and score the mutants run so far")
    parser.add_argument("--copies", default="mutation", metavar="NAME",
                        help="keep the copies in build/NAME (default: mutation)")
    parser.add_argument("--source", metavar="DIR",
                        help="mutate this tree (e.g. an older checkout) instead of this one")
    args = parser.parse_args()

    tree = Path(args.source).resolve() if args.source else Path(__file__).resolve().parents[2]
    every = all_mutants(tree)
    mutants = every
    if args.only:
        wanted = {tuple(place.rsplit(":", 1)) for place in args.only}
        mutants = [m for m in mutants if (m.path, str(m.line)) in wanted]
    elif not args.all:
        mutants = sample(tree, mutants, args.seed, args.count)
    if args.list:
        for m in mutants:
            print(m)
        print(f"{len(mutants)} mutants")
        return 0

    # An interruption while preparing stops the build it runs (see Workspace.run).
    signal.signal(signal.SIGTERM, lambda signum, _: sys.exit(f"mutation: interrupted ({signum})"))
    signal.signal(signal.SIGINT, lambda signum, _: sys.exit(f"mutation: interrupted ({signum})"))
    started = time.monotonic()
    # Each worker has a copy of its own; they take the mutants in turn.
    workers = [Workspace(tree, args.jobs, index, args.copies) for index in range(args.workers)]
    print(f"mutation: preparing {len(workers)} cop{'y' if len(workers) == 1 else 'ies'} in "
          f"{workers[0].base}", flush=True)
    for work in workers:
        work.prepare()
    baseline_started = time.monotonic()
    workers[0].baseline()
    for work in workers[1:]:
        work.take_baseline_of(workers[0])
    print(f"mutation: {len(workers[0].tests)} tests in {len(workers[0].groups)} groups pass in "
          f"{time.monotonic() - baseline_started:.0f} s; {len(mutants)} mutants", flush=True)

    documented = documented_equivalents(tree)
    # An entry whose line moved names no mutant any more: say so, since it no longer counts.
    places = {(m.place, m.original, m.replacement) for m in every}
    for stale in sorted(documented - places):
        print(f"mutation: docs/testing.md names no mutant at {stale[0]} (`{stale[1]}` -> "
              f"`{stale[2]}`): has the line moved?", flush=True)
    results = {"killed": [], "survived": [], "not built": [], "equivalent": []}
    restoring = {}
    lock = threading.Lock()
    queue = list(enumerate(mutants, 1))

    def restore(*_):
        for path, text in list(restoring.items()):
            path.write_text(text)
        restoring.clear()

    def interrupted(signum, _frame):
        stopping.set()
        for process in list(RUNNING):
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        restore()
        sys.exit(f"mutation: interrupted (signal {signum}); the copy is restored")

    stopping = threading.Event()

    def run_worker(work):
        while not stopping.is_set():
            with lock:
                if not queue:
                    return
                if args.minutes and time.monotonic() - started > 60 * args.minutes:
                    print(f"mutation: stopped after {args.minutes:g} minutes", flush=True)
                    queue.clear()
                    return
                number, mutant = queue.pop(0)
            source = work.src / mutant.path
            original = source.read_text()
            restoring[source] = original
            source.write_text(apply(original, mutant))
            if not work.compile_mutant(mutant.path):
                outcome = "not built"
            elif work.unchanged_objects():
                outcome = "equivalent"
            else:
                killed = work.test_mutant(mutant.path)
                outcome = {None: "not built", True: "killed", False: "survived"}[killed]
                if outcome == "survived" and (mutant.place, mutant.original, mutant.replacement) in documented:
                    outcome = "equivalent"
            source.write_text(original)
            restoring.pop(source, None)
            work.compile_mutant(mutant.path)  # the original object again (from the cache)
            with lock:
                results[outcome].append(mutant)
                print(f"[{number}/{len(mutants)}] {outcome}: {mutant}", flush=True)

    signal.signal(signal.SIGINT, interrupted)
    signal.signal(signal.SIGTERM, interrupted)  # from here on, the copy is restored first
    threads = [threading.Thread(target=run_worker, args=(work,), daemon=True) for work in workers]
    try:
        for thread in threads:
            thread.start()
        while any(thread.is_alive() for thread in threads):
            for thread in threads:
                thread.join(0.5)
    finally:
        stopping.set()
        restore()
        # The copies' programs are rebuilt from the restored sources for the next run.
        for work in workers:
            work.build_all()

    killed, survived = len(results["killed"]), len(results["survived"])
    print("\nSurvivors:")
    for mutant in results["survived"]:
        print(f"  {mutant}")
    scored = killed + survived
    score = 100.0 * killed / scored if scored else 100.0
    print(f"\nmutants {sum(len(r) for r in results.values())}: killed {killed}, survived {survived}, "
          f"equivalent {len(results['equivalent'])}, not built {len(results['not built'])}")
    print(f"score: {score:.1f}% of the non-equivalent mutants killed "
          f"({killed} of {scored}); {time.monotonic() - started:.0f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
