#!/usr/bin/env python3
"""Gives every command of merrovan-cli random and hostile arguments.

The commands and their options are read from the program itself ('merrovan-cli --help' and
'merrovan-cli COMMAND --help'), so a command added later is fuzzed without a change here. Each
run must end within the time limit, with a documented exit status (0 done, 1 a file, 2 usage,
3 an analysis that could not run), without a sanitizer report, with a reason on stderr when it
fails, and, when it succeeds with JSON on stdout, with valid JSON: no NaN or infinities (nor
1e999), no key twice in one object.

    fuzz/fuzz_cli.py --cli build/asan/bin/merrovan-cli [--runs N] [--seconds S] [--seed S]
                     [--jobs J] [--timeout T] [--verbose]

A failing run is printed as a command line that repeats it (from the working folder printed
with it) and the script exits with status 1. See docs/fuzzing.md.
"""

import argparse
import concurrent.futures
import json
import math
import os
import random
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import threading
import time

DOCUMENTED = {0, 1, 2, 3}
SANITIZER_EXIT = 86  # the sanitizers' own exit status, apart from the documented ones
SANITIZER_TEXT = ("ERROR: AddressSanitizer", "runtime error:", "ERROR: LeakSanitizer",
                  "WARNING: ThreadSanitizer", "UndefinedBehaviorSanitizer")
BAD_NUMBER = re.compile(r"(?<![A-Za-z0-9_])(-?nan|-?inf(inity)?|-?1e999)(?![A-Za-z0-9_])",
                        re.IGNORECASE)

# --- What the program says about itself -----------------------------------------------------


def run_text(cli, args):
    return subprocess.run([cli] + args, capture_output=True, text=True, timeout=60,
                          env=environment()).stdout


def commands_of(cli):
    """Command names from the overview: the lines under 'commands:'."""
    names, listing = [], False
    for line in run_text(cli, ["--help"]).splitlines():
        if line.strip() == "commands:":
            listing = True
            continue
        if listing:
            m = re.match(r"^  (\S+)\s", line)
            if not m:
                if line.strip():
                    break
                continue
            names.append(m.group(1))
    return names


class Option:
    def __init__(self, name, placeholder):
        self.name = name
        self.placeholder = placeholder  # None: takes no value
        self.words = []  # values the help text offers (alternatives, goal names)
        self.exts = []  # file name extensions its help names (".png", ".dst")
        self.required = False  # outside brackets in the synopsis


def options_of(cli, command):
    """Options as the help lists them: '  --name VALUE   text' (one blank before the value)."""
    text = run_text(cli, [command, "--help"])
    lines = text.splitlines()
    synopsis = lines[0][len("usage: merrovan-cli "):] if lines else command
    options, current = {}, None
    for line in lines[1:]:
        m = re.match(r"^  (-[-\w]*)( (\S+))?", line)
        if m:
            current = options.setdefault(m.group(1), Option(m.group(1), m.group(3)))
            current.exts += re.findall(r"(?<![\w/])(\.[a-z]{3,4})\b", line)
            continue
        m = re.match(r"^ {5,}(\S+)", line)  # a continuation: offers a word when it starts one
        if current and m and re.match(r"^[a-z][-a-z]*(=[A-Z])?$", m.group(1)):
            current.words.append(m.group(1))
        elif not line.startswith(" "):
            current = None
    # Options outside brackets in the synopsis are required ("--out FILE", "--tol ID=T...").
    depth = 0
    for tok in re.findall(r"\[|\]|[^\s\[\]]+", synopsis):
        depth += {"[": 1, "]": -1}.get(tok, 0)
        if depth == 0 and tok.startswith("--") and tok.rstrip(".") in options:
            options[tok.rstrip(".")].required = True
    # Alternatives the synopsis spells out ("[--screen-data on|off]"), and positional words.
    tokens = re.sub(r"[\[\]]", " ", synopsis).split()[1:]
    positional, skip = [], False
    for i, tok in enumerate(tokens):
        if tok.startswith("-"):
            opt = options.get(tok.rstrip("."))
            nxt = tokens[i + 1] if i + 1 < len(tokens) else ""
            if opt and "|" in nxt:
                opt.words += [w for w in nxt.rstrip(".").split("|") if w]
            skip = opt is not None and opt.placeholder is not None
            continue
        if skip or tok in ("|", "...") or tok.endswith("..."):
            skip = False
            continue
        positional.append(tok)
    return list(options.values()), positional


# --- Values ---------------------------------------------------------------------------------

NUMBERS = ["0", "-0", "1", "-1", "0.5", "2", "3", "7", "27", "100", "0.25", "1.5", "360", "-360",
           "720", "1e-6", "1e6", "1e9", "4294967295", "4294967296", "18446744073709551616",
           "3.4e38", "3.5e38", "-3.5e38", "1e39", "1e308", "1e-45", "1e-300", "1e-320", "nan",
           "-nan", "inf", "-inf", "1e999", "-1e999", "1e", ".5", "5.", "+5", "0x10", " 1", "1 ",
           "--", "", "1,5", "1e+38", "-0.0001"]
COUNTS = ["0", "-1", "1", "2", "3", "5", "12", "1.5", "2.0", "1e12", "2147483648", "4294967296",
          "1e999", "nan", "", "x", "-2147483649"]
IDS = ["1", "2", "3", "6", "8", "19", "20", "24", "25", "26", "27", "28", "0", "-6", "100", "101",
       "102", "112", "122", "123", "1000", "1e9", "6.5", "nan", "", "x"]
WORDS = ["", "-", "--", "--help", "-h", "help", "x", "fwd", "rev", "both", "json", "csv",
         "table", "on", "off", "reset", "fixed", "F", "R", "B", "sine", "oval", "steam", "port",
         "a" * 5000, "%s%n%x", "../../../../etc/passwd", "\u00e9\u00e8\u2014", "\u0661",
         "--file", "1;2", "'", "\""]


# Values a user would give, for the runs that go deep into the commands.
PLAIN_NUMBERS = ["0", "0.1", "0.25", "0.5", "0.75", "1", "2", "3", "5", "8.47", "0.01"]
PLAIN_IDS = ["1", "2", "3", "5", "6", "7", "8", "9", "12", "15", "16", "18", "19", "20", "21",
             "22", "25", "27", "101", "103", "105", "110", "115", "119", "121", "122"]


class Values:
    """Random values for a placeholder, from a generator seeded for one run. A plain run gives
    values a user would give, so that it gets past the checks into the work; the others are
    hostile."""

    def __init__(self, rng, work, hostile):
        self.rng = rng
        self.work = work
        self.hostile = hostile

    def pick(self, seq):
        return self.rng.choice(seq)

    def number(self):
        if not self.hostile:
            return self.pick(PLAIN_NUMBERS)
        return self.pick(NUMBERS) if self.rng.random() < 0.8 else str(self.rng.uniform(-20, 20))

    def dimension_id(self):
        return self.pick(IDS if self.hostile else PLAIN_IDS)

    def some_list(self, item):
        n = self.pick([1, 1, 2, 3, 5, 20, 150, 1000] if self.hostile else [1, 2, 3, 4])
        parts = [item() for _ in range(n)]
        if self.hostile and self.rng.random() < 0.1:
            parts.insert(self.rng.randrange(len(parts) + 1), "")
        return ",".join(parts)

    def input_file(self):
        return self.pick(self.work.inputs if self.hostile else self.work.good)

    def output_file(self, placeholder, exts=()):
        run = self.work.scratch()
        ext = self.pick([".png", ".svg", ".pdf", ".dst", ".mvo", ".txt", ""])
        named = ["." + e for e in re.findall(r"\.(\w+)", placeholder)] + list(exts)
        if placeholder.startswith("DIR"):
            named = [""]
        if named and (not self.hostile or self.rng.random() < 0.6):
            ext = self.pick(named)
        if not self.hostile:
            return os.path.join(run, "out" + ext)
        return self.pick([os.path.join(run, "out" + ext), os.path.join(run, "sub", "x" + ext),
                          run, "/nonexistent/dir/out" + ext, "/dev/full", "", "-",
                          os.path.join(run, "out" + ext)])

    def for_option(self, opt):
        ph = opt.placeholder or ""
        r = self.rng.random() if self.hostile else 1.0
        if r < 0.08:
            return self.pick(WORDS)
        if r < 0.14:
            return self.number()
        if opt.words and (not self.hostile or self.rng.random() < 0.6):
            w = self.pick(opt.words)
            return re.sub(r"=[A-Z]$", "=" + self.number(), w)
        name = opt.name
        if ph in ("PATH", "F") and name == "--file" or ph in ("IN",):
            return self.input_file()
        if name == "--out" or ph.startswith(("OUT", "DIR", "FILE", "TUNED")):
            return self.output_file(ph, opt.exts)
        if "|" in ph:
            return self.pick(ph.split("|") + ([self.pick(WORDS)] if self.hostile else []))
        if ph == "N":
            return self.pick(COUNTS if self.hostile else ["1", "2", "3", "5"])
        if ph.startswith("ID=") or ph.startswith("ID["):
            sep = "=" if "=" in ph else ""
            tail = self.number()
            if ":" in ph and self.rng.random() < 0.6:
                tail = self.number() + ":" + self.number()
            form = self.rng.random() if self.hostile else 1.0
            if form < 0.1:
                return self.dimension_id()
            return self.dimension_id() + (sep or "=") + tail
        if ph.startswith("ID"):
            return self.some_list(self.dimension_id)
        if "," in ph or ph == "LIST":
            return self.some_list(self.number)
        if ph == "WxH":
            return self.pick(["632x380", "0x0", "1x1", "99999x99999", "-1x5", "x", "10x",
                              "1e9x1e9", "nanxnan"] if self.hostile else ["632x380", "100x80"])
        if ph in ("S", "D", "G", "L") and not opt.words and self.hostile:
            return self.pick(WORDS + NUMBERS)
        return self.number()


# --- Runs -----------------------------------------------------------------------------------


class Work:
    """The working folder: files to read, and a scratch folder per run for what is written."""

    def __init__(self, cli, root):
        self.root = root
        self.lock = threading.Lock()
        self.count = 0
        files = os.path.join(root, "files")
        os.makedirs(files)
        good = os.path.join(files, "good.dst")
        subprocess.run([cli, "save-defaults", good], capture_output=True, env=environment())
        subprocess.run([cli, "save-defaults", os.path.join(files, "good.mvo")],
                       capture_output=True, env=environment())
        data = open(good, "rb").read() if os.path.exists(good) else b""
        rng = random.Random(1)
        made = {
            "empty.dst": b"",
            "text.dst": b"hello, this is not a gear\n",
            "random.dst": bytes(rng.randrange(256) for _ in range(len(data) or 1440)),
            "short.dst": data[:100],
            "long.dst": data + b"\0" * 100,
            "flipped.dst": bytes(b ^ 0xFF for b in data),
            "garbage.mvo": b"1 2 3\nnot numbers\n" * 20,
            "--help": data,
        }
        for name, content in made.items():
            with open(os.path.join(files, name), "wb") as f:
                f.write(content)
        os.makedirs(os.path.join(files, "folder.dst"))
        self.good = [good, os.path.join(files, "good.mvo")]
        self.inputs = [os.path.join(files, n) for n in sorted(os.listdir(files))] + [
            "/nonexistent/gear.dst", "/dev/null", "", "-", files]

    def scratch(self):
        with self.lock:
            self.count += 1
            path = os.path.join(self.root, "run", str(self.count))
        os.makedirs(path, exist_ok=True)
        return path


def environment():
    env = dict(os.environ)
    env["QT_QPA_PLATFORM"] = "offscreen"
    env["ASAN_OPTIONS"] = f"detect_leaks=0:exitcode={SANITIZER_EXIT}"
    env["UBSAN_OPTIONS"] = f"halt_on_error=1:print_stacktrace=1:exitcode={SANITIZER_EXIT}"
    env.setdefault("LC_ALL", "C.UTF-8")
    return env


def arguments(rng, work, command, options, positional):
    hostile = rng.random() < 0.5
    v = Values(rng, work, hostile)
    args = []
    # A small count for every count option first, so that what follows decides the work only
    # as far as it repeats them: the runs stay short, the values hostile.
    for opt in options:
        if opt.placeholder == "N" and rng.random() < 0.85:
            args += [opt.name, "2"]
    if not hostile:
        for opt in options:
            if opt.required:
                args += [opt.name, v.for_option(opt)]
    for word in positional:
        if rng.random() < 0.9:
            if "|" in word:
                args.append(v.pick(word.split("|")) if rng.random() < 0.8 else v.pick(WORDS))
            elif word.startswith("OUT"):
                args.append(v.output_file(word))
            else:
                args.append(v.input_file())
    for _ in range(rng.choice([0, 1, 2, 3, 3, 4, 5, 8]) if hostile or options else 0):
        r = rng.random() if hostile else 0.0
        if options and r < 0.7:
            opt = v.pick(options)
            if opt.name in ("--help", "-h"):
                continue
            args.append(opt.name)
            if opt.placeholder is not None and rng.random() < 0.97:
                args.append(v.for_option(opt))
        elif r < 0.78:
            args.append(v.pick(["--frobnicate", "-x", "--", "-", "---help", "--FILE", "--set=6=1",
                                "--notches=0.5", "-help"]))
        elif r < 0.86 and args:
            args += args[-2:]  # the last option (and its value) again
        elif r < 0.93:
            args.append(v.pick(WORDS + NUMBERS))
        else:
            args.append(v.input_file())
    # Now and then the arguments in another order.
    if rng.random() < 0.05:
        rng.shuffle(args)
    return [command] + args


class Duplicate(Exception):
    pass


def strict_json(text):
    def pairs(items):
        keys = [k for k, _ in items]
        if len(keys) != len(set(keys)):
            raise Duplicate(f"a key twice in one object: {keys}")
        return dict(items)

    def constant(name):
        raise ValueError(f"{name} is not JSON")

    def number(s):
        f = float(s)
        if math.isinf(f):
            raise ValueError(f"{s} is beyond any number")
        return f

    return json.loads(text, object_pairs_hook=pairs, parse_constant=constant, parse_float=number)


def json_problem(out):
    """What is wrong with JSON output (one document or one object per line), or None."""
    try:
        strict_json(out)
        return None
    except (ValueError, Duplicate) as whole:
        lines = [line for line in out.splitlines() if line.strip()]
        if len(lines) < 2:
            return str(whole)
        for line in lines:
            try:
                strict_json(line)
            except (ValueError, Duplicate) as e:
                return f"{e} in line {line[:200]!r}"
        return None


def check(cli, argv, timeout, cwd):
    """Runs one command line; returns its exit status (None when it did not end) and a
    description of what went wrong, or None."""
    try:
        p = subprocess.run([cli] + argv, capture_output=True, timeout=timeout, cwd=cwd,
                           env=environment(), stdin=subprocess.DEVNULL)
    except subprocess.TimeoutExpired:
        return None, f"no end within {timeout} s"
    return p.returncode, judge(p, argv)


def judge(p, argv):
    out = p.stdout.decode("utf-8", "replace")
    err = p.stderr.decode("utf-8", "replace")
    if p.returncode < 0:
        return f"killed by signal {-p.returncode}\n{err[-3000:]}"
    if any(t in err for t in SANITIZER_TEXT) or p.returncode == SANITIZER_EXIT:
        return f"sanitizer report (status {p.returncode})\n{err[-6000:]}"
    if p.returncode not in DOCUMENTED:
        return f"exit status {p.returncode} is not a documented one\n{err[-3000:]}"
    if p.returncode == 2 and err.count("\n") != 1:
        return f"a usage error needs one line on stderr, not:\n{err[-3000:]}"
    if p.returncode in (1, 3) and not err.strip():
        return f"exit status {p.returncode} without a reason on stderr"
    if p.returncode == 0:
        if out.lstrip().startswith(("{", "[")):
            problem = json_problem(out)
            if problem:
                return f"invalid JSON on stdout: {problem}\n{out[:2000]}"
        # What the command echoes (a path named "nan") is the user's, not a number it made.
        made = out
        for arg in sorted(argv, key=len, reverse=True):
            if len(arg) >= 3:
                made = made.replace(arg, "")
        m = BAD_NUMBER.search(made)
        if m and "--help" not in argv and "-h" not in argv:
            return f"'{m.group(0)}' on stdout\n{made[max(0, m.start() - 300):m.end() + 300]}"
    return None


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--cli", required=True, help="the merrovan-cli to fuzz")
    ap.add_argument("--runs", type=int, default=400, help="command lines to try (default 400)")
    ap.add_argument("--seconds", type=float, default=0, help="stop after this long (0: no limit)")
    ap.add_argument("--seed", type=int, default=1, help="seed of the command lines (default 1)")
    ap.add_argument("--jobs", type=int, default=os.cpu_count() or 1, help="runs at once")
    ap.add_argument("--timeout", type=float, default=60, help="seconds one run may take")
    ap.add_argument("--verbose", action="store_true", help="print every command line")
    a = ap.parse_args()

    cli = os.path.abspath(a.cli)
    commands = commands_of(cli)
    if not commands:
        print(f"fuzz_cli: {cli} lists no commands", file=sys.stderr)
        return 2
    shapes = {c: options_of(cli, c) for c in commands}
    root = tempfile.mkdtemp(prefix="merrovan-fuzz-cli-")
    work = Work(cli, root)
    start = time.monotonic()
    failures, done = [], 0
    runs_of, statuses = {}, {}
    lock = threading.Lock()

    def one(k):
        rng = random.Random(a.seed * 1_000_003 + k)
        command = rng.choice(commands)
        argv = arguments(rng, work, command, *shapes[command])
        cwd = work.scratch()
        if a.verbose:
            print(shlex.join(["merrovan-cli"] + argv), flush=True)
        status, problem = check(cli, argv, a.timeout, cwd)
        shutil.rmtree(cwd, ignore_errors=True)
        return k, argv, status, problem

    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, a.jobs)) as pool:
        pending = set()
        k = 0
        while k < a.runs or pending:
            while k < a.runs and len(pending) < 2 * max(1, a.jobs):
                if a.seconds and time.monotonic() - start > a.seconds:
                    a.runs = k
                    break
                pending.add(pool.submit(one, k))
                k += 1
            if not pending:
                break
            finished, pending = concurrent.futures.wait(
                pending, return_when=concurrent.futures.FIRST_COMPLETED)
            for f in finished:
                run, argv, status, problem = f.result()
                with lock:
                    done += 1
                    runs_of[argv[0]] = runs_of.get(argv[0], 0) + 1
                    statuses[status] = statuses.get(status, 0) + 1
                    if problem:
                        failures.append((run, argv, problem))
                        print(f"FAIL run {run}: {shlex.join([cli] + argv)}\n  {problem}\n",
                              flush=True)

    took = time.monotonic() - start
    per = ", ".join(f"{c} {runs_of.get(c, 0)}" for c in commands)
    ends = ", ".join(f"{s}: {n}" for s, n in sorted(statuses.items(), key=lambda x: str(x[0])))
    print(f"fuzz_cli: {done} runs in {took:.0f} s over {len(commands)} commands ({per}); "
          f"exit statuses {{{ends}}}; {len(failures)} failed; seed {a.seed}; files in {root}")
    if failures:
        print("fuzz_cli: repeat a run from the files' folder; a run's arguments follow from "
              "--seed and its number", file=sys.stderr)
        return 1
    shutil.rmtree(root, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
