"""scripts/mutate: mutation testing of the plug-in's sources.
"""

import argparse
import collections
import datetime
import json
import os
import random
import subprocess
import sys
import threading
import time

from . import equivalents, finder, scratch

# Index of this file:
# [SECTION] Options
# [SECTION] Choosing the mutants (files, saved results, known equivalents, sample)
# [SECTION] Running them (one worker per scratch tree)
# [SECTION] Results: the JSON file, the survivors, the score

DEFAULT_FOLDER = "src"
LEFT_OUT = ("src/testing/",)  # test-only helpers, never shipped
EQUIVALENTS_FILE = "docs/equivalent-mutants.txt"
COUNTED_AS_KILLED = ("killed", "timeout")

# ---------------------------------------------------------------------------
# [SECTION] Options


def parse_options(argv):
    parser = argparse.ArgumentParser(
        prog="scripts/mutate",
        description="Mutation testing of the plug-in: each mutant (one comparison, logical operator, "
        "negation, increment, + 1/- 1, or boolean, integer or float constant changed) is built in a "
        "scratch copy of the tree and run against the fast tests. See docs/testing.md.",
    )
    parser.add_argument("files", nargs="*", help="files or folders to mutate (default: src/, without src/testing/)")
    parser.add_argument("--sample", type=int, metavar="N", help="run N mutants chosen at random")
    parser.add_argument("--seed", type=int, default=1, help="seed of the random sample (default 1)")
    parser.add_argument(
        "--match", action="append", default=[], metavar="TEXT", help="only mutants whose key contains TEXT"
    )
    parser.add_argument("--list", action="store_true", help="list the mutants and stop")
    parser.add_argument(
        "--rerun", action="store_true", help="run the survivors of the saved results again and update them"
    )
    parser.add_argument(
        "--asan",
        action="store_true",
        help="run the survivors of the saved results under the asan preset (results in RESULTS-asan.json)",
    )
    parser.add_argument(
        "--results", default="build/mutate/results.json", help="results file (default build/mutate/results.json)"
    )
    parser.add_argument("--jobs", type=int, default=1, help="mutants run at once, each in its own copy (default 1)")
    parser.add_argument(
        "--scratch", default="build/mutate", help="where the scratch copies live (default build/mutate)"
    )
    parser.add_argument("--equivalents", default=EQUIVALENTS_FILE, help=f"known equivalents (default {EQUIVALENTS_FILE})")
    options = parser.parse_args(argv)
    if options.rerun and options.asan:
        parser.error("--rerun and --asan are two different runs: give one")
    if (options.rerun or options.asan) and options.files:
        parser.error("--rerun and --asan take their mutants from the results file, not from files")
    if options.jobs < 1:
        parser.error("--jobs must be 1 or more")
    return options


# ---------------------------------------------------------------------------
# [SECTION] Choosing the mutants (files, saved results, known equivalents, sample)


def wanted_files(root, arguments):
    """The C++ files named, folders expanded, relative to the root."""
    chosen = []
    for argument in arguments or [DEFAULT_FOLDER]:
        path = os.path.relpath(os.path.realpath(argument), root)
        if os.path.isdir(os.path.join(root, path)):
            for folder, _, names in os.walk(os.path.join(root, path)):
                for name in names:
                    if name.endswith((".cpp", ".h")):
                        chosen.append(os.path.relpath(os.path.join(folder, name), root))
        elif os.path.isfile(os.path.join(root, path)):
            chosen.append(path)
        else:
            raise SystemExit(f"mutate: no such file or folder: {argument}")
    if not arguments:
        chosen = [f for f in chosen if not f.startswith(LEFT_OUT)]
    return sorted(set(chosen))


def load_results(path):
    try:
        with open(path) as stream:
            return json.load(stream)
    except FileNotFoundError:
        raise SystemExit(f"mutate: no results at {path}: run scripts/mutate first") from None


def find_in_tree(tree, files):
    with open(os.path.join(tree.build_dir, "compile_commands.json")) as stream:
        commands = json.load(stream)
    paths = [os.path.join(tree.root, f) for f in files]
    return finder.find_mutants(tree.root, paths, commands)


def choose(options, tree, known, log):
    """The mutants to run, the listed equivalents met among them, the records
    of saved survivors no longer in the source, and how many mutants the files
    hold besides the listed ones (for the time of a whole run)."""
    if options.rerun or options.asan:
        saved = load_results(options.results)
        if saved.get("mode") != "plain":
            raise SystemExit(f"mutate: {options.results} is not the results of a plain run")
        keys = {m["key"] for m in saved["mutants"] if m["status"] == "survived"}
        files = sorted({m["file"] for m in saved["mutants"] if m["key"] in keys})
        mutants = [m for m in find_in_tree(tree, files) if m.key in keys]
        found = {m.key for m in mutants}
        gone = [dict(m, status="gone", detail="no longer in the source", seconds=0) for m in saved["mutants"]
                if m["key"] in keys and m["key"] not in found]
        for record in gone:
            log(f"no longer in the source: {record['key']}")
    else:
        gone = []
        files = wanted_files(tree.source_root, options.files)
        mutants = find_in_tree(tree, files)
        keys_here = {m.key for m in mutants}
        for entry in known:
            if entry.file in files and entry.key not in keys_here:
                log(f"{options.equivalents}:{entry.line}: matches no mutant any more: {entry.key}")
    known_keys = {e.key for e in known}
    population = sum(1 for m in mutants if m.key not in known_keys)
    for text in options.match:
        mutants = [m for m in mutants if text in m.key]
    listed = [m for m in mutants if m.key in known_keys]
    mutants = [m for m in mutants if m.key not in known_keys]
    if options.sample is not None and options.sample < len(mutants):
        mutants = random.Random(options.seed).sample(mutants, options.sample)
    mutants.sort(key=lambda m: (m.file, m.offset, m.replacement))
    return mutants, listed, gone, population


# ---------------------------------------------------------------------------
# [SECTION] Running them (one worker per scratch tree)


class Killers:
    """Which tests killed mutants of each file, kept between runs: a new
    mutant of the file tries those first."""

    def __init__(self, path):
        self.path = path
        self.lock = threading.Lock()
        try:
            with open(path) as stream:
                self.counts = {f: collections.Counter(c) for f, c in json.load(stream).items()}
        except (FileNotFoundError, ValueError):
            self.counts = {}

    def first(self, file):
        with self.lock:
            counts = self.counts.get(file, collections.Counter())
            return [name for name, _ in counts.most_common(scratch.KILLERS_FIRST)]

    def add(self, file, test):
        with self.lock:
            self.counts.setdefault(file, collections.Counter())[test] += 1
            os.makedirs(os.path.dirname(self.path), exist_ok=True)
            with open(self.path, "w") as stream:
                json.dump(self.counts, stream, indent=1)


def run_one(tree, mutant, killers):
    """Builds and tests one mutant in a tree; returns its result record."""
    record = describe(mutant)
    started = time.monotonic()
    header = not mutant.file.endswith((".cpp", ".cc"))
    tree.write(mutant.file, mutant.apply(tree.read(mutant.file)))
    try:
        status, detail = None, ""
        if not header:
            built, output = tree.ninja(tree.object_outputs(mutant.file))
            if built != 0:
                status, detail = scratch.compile_failure(output)
            elif tree.same_code():
                status, detail = "same-code", "the compiler makes the same machine code"
        if status is None:
            built, output = tree.ninja(tree.targets)
            if built != 0:
                status, detail = scratch.compile_failure(output)
            elif header and tree.same_code():
                status, detail = "same-code", "the compiler makes the same machine code"
        record["build_seconds"] = round(time.monotonic() - started, 1)
        if status is None:
            tested = time.monotonic()
            status, killer, detail = tree.run_tests(killers.first(mutant.file))
            record["test_seconds"] = round(time.monotonic() - tested, 1)
            if killer:
                killers.add(mutant.file, killer)
    finally:
        tree.restore(mutant.file)
    record.update(status=status, detail=detail, seconds=round(time.monotonic() - started, 1))
    return record


def describe(mutant):
    return {
        "key": mutant.key,
        "file": mutant.file,
        "line": mutant.line,
        "column": mutant.column,
        "function": mutant.function,
        "expression": mutant.site,
        "change": mutant.change,
        "occurrence": mutant.occurrence,
        "operator": mutant.operator,
    }


def run_all(trees, mutants, killers, log):
    """Runs the mutants, one worker per tree; returns their records in order."""
    records = [None] * len(mutants)
    queue = list(enumerate(mutants))
    lock = threading.Lock()
    width = len(str(len(mutants)))
    done = [0]

    def work(tree):
        while True:
            with lock:
                if not queue:
                    return
                index, mutant = queue.pop(0)
            record = run_one(tree, mutant, killers)
            with lock:
                records[index] = record
                done[0] += 1
                log(f"[{done[0]:>{width}}/{len(mutants)}] {progress_line(record)}")

    threads = [threading.Thread(target=work, args=(tree,), daemon=True) for tree in trees]
    for thread in threads:
        thread.start()
    for thread in threads:
        while thread.is_alive():
            thread.join(0.5)
    return [r for r in records if r is not None]


def progress_line(record):
    where = f"{record['file']}:{record['line']}"
    detail = f" ({record['detail']})" if record["detail"] else ""
    return f"{record['status']:<12} {where} {record['function']}: {record['change']}{detail}, {record['seconds']} s"


# ---------------------------------------------------------------------------
# [SECTION] Results: the JSON file, the survivors, the score


def summarise(records, seconds, jobs):
    counts = collections.Counter(r["status"] for r in records)
    killed = sum(counts[s] for s in COUNTED_AS_KILLED)
    scored = killed + counts["survived"]
    ran = [r for r in records if r["status"] not in ("equivalent", "gone")]
    return {
        "counts": dict(sorted(counts.items())),
        "killed": killed,
        "scored": scored,
        "score": round(100.0 * killed / scored, 1) if scored else None,
        "seconds": round(seconds, 1),
        "seconds_per_mutant": round(seconds * jobs / len(ran), 1) if ran else None,
    }


def source_state(root):
    def git(*arguments):
        return subprocess.run(["git", "-C", root, *arguments], capture_output=True, text=True).stdout.strip()

    return {"commit": git("rev-parse", "HEAD"), "uncommitted_changes": bool(git("status", "--porcelain"))}


def save(path, results):
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "w") as stream:
        json.dump(results, stream, indent=1)


def merge(saved, records):
    """The saved results with the records of a re-run put in their place."""
    by_key = {r["key"]: r for r in records}
    saved["mutants"] = [by_key.pop(m["key"], m) for m in saved["mutants"]] + list(by_key.values())
    return saved


def report(records, summary, total_mutants, log):
    survivors = [r for r in records if r["status"] == "survived"]
    if survivors:
        log(f"\nSurvivors ({len(survivors)}):")
        for r in survivors:
            log(f"  {r['file']}:{r['line']}:{r['column']}  {r['function']}: {r['change']}")
            log(f"      in: {r['expression']}")
    counts = ", ".join(f"{n} {s}" for s, n in summary["counts"].items())
    log(f"\nMutants: {len(records)} ({counts})")
    if summary["score"] is not None:
        log(f"Score: {summary['killed']} of {summary['scored']} killed, {summary['score']} %")
    else:
        log("Score: no mutant scored")
    if summary["seconds_per_mutant"]:
        per = summary["seconds_per_mutant"]
        line = f"Time: {summary['seconds']} s, {per} s per mutant and job"
        if total_mutants:
            line += f"; all {total_mutants} mutants of these files would take about {per * total_mutants / 3600:.1f} h on one job"
        log(line)


def execute(trees, mutants, scratch_root, preset, log):
    """Prepares the copies and runs the mutants; returns their records and
    the seconds it took, or None when interrupted."""
    if not mutants:
        return [], 0.0
    for tree in trees:
        tree.prepare(log)
    killers = Killers(os.path.join(scratch_root, f"killers-{preset}.json"))
    started = time.monotonic()
    try:
        records = run_all(trees, mutants, killers, log)
    except KeyboardInterrupt:
        scratch.stop_all()
        log("mutate: interrupted; nothing saved (the scratch copies are put right on the next run)")
        return None
    return records, time.monotonic() - started


def results_for(options, preset, records, seconds, root):
    """The results to save and where: a fresh file for a run, the saved
    results updated for --rerun, a file of its own for --asan."""
    results = {
        "mode": preset if preset == "asan" else "plain",
        "date": datetime.datetime.now().isoformat(timespec="seconds"),
        "source": source_state(root),
        "files": sorted({r["file"] for r in records}),
        "seed": options.seed,
        "sample": options.sample,
        "jobs": options.jobs,
        "summary": summarise(records, seconds, options.jobs),
        "mutants": records,
    }
    out = options.results
    if options.asan:
        out = out[: -len(".json")] + "-asan.json" if out.endswith(".json") else out + "-asan"
    elif options.rerun:
        merged = merge(load_results(out), records)
        timing = {k: merged["summary"][k] for k in ("seconds", "seconds_per_mutant")}
        merged["summary"] = dict(summarise(merged["mutants"], 0, 1), **timing)
        results = merged
    return results, out


def write_survivors(mutants, records, path):
    """The survivors as entries of the equivalents list, reason to fill in."""
    survived = {r["key"] for r in records if r["status"] == "survived"}
    survivors = [m for m in mutants if m.key in survived]
    if survivors:
        with open(path, "w") as stream:
            stream.write("\n\n".join(equivalents.block_for(m) for m in survivors) + "\n")
    return survivors


def main(argv, root):
    options = parse_options(argv)
    os.chdir(root)
    preset = "asan" if options.asan else "linux"

    def log(text):
        print(text, flush=True)

    known = equivalents.load(options.equivalents)
    scratch_root = os.path.abspath(options.scratch)
    build_jobs = 2 if options.jobs == 1 else 1
    trees = [scratch.Tree(root, scratch_root, n + 1, preset, build_jobs) for n in range(options.jobs)]
    trees[0].sync()
    trees[0].configure()
    mutants, listed, gone, population = choose(options, trees[0], known, log)
    if options.list:
        for m in mutants:
            log(f"{m.file}:{m.line}:{m.column} [{m.operator}] {m.function}: {m.change}    key: {m.key}")
        log(f"{len(mutants)} mutants to run, {len(listed)} known equivalent")
        return 0
    if not (mutants or gone):
        log("no mutants to run")
        return 0
    log(f"{len(mutants)} mutants to run ({len(listed)} known equivalent left out), preset {preset}")
    ran = execute(trees, mutants, scratch_root, preset, log)
    if ran is None:
        return 130
    records, seconds = ran
    records += [dict(describe(m), status="equivalent", detail="listed", seconds=0) for m in listed] + gone
    results, out = results_for(options, preset, records, seconds, root)
    save(out, results)
    report(records, summarise(records, seconds, options.jobs), None if options.rerun or options.asan else population, log)
    if options.rerun:
        whole = results["summary"]
        log(f"All saved results: {whole['killed']} of {whole['scored']} killed, {whole['score']} %")
    if options.asan:
        plain = load_results(options.results)["summary"]
        caught = plain["killed"] + results["summary"]["killed"]
        log(f"With the ASan stage: {caught} of {plain['scored']} killed, {100.0 * caught / plain['scored']:.1f} %")
    template = os.path.join(scratch_root, f"survivors-{preset}.txt")
    survivors = write_survivors(mutants, records, template)
    log(f"Results: {out}" + (f"; the survivors as entries of {options.equivalents}: {template}" if survivors else ""))
    return 1 if survivors else 0
