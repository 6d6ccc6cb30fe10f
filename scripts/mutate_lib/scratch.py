"""A scratch copy of the source tree where mutants are built and tested.

The work tree is only ever read: each mutant is written into the copy, built
there with a CMake preset in the copy's own build folder (so a mutant
recompiles its file and relinks), tested with CTest, and undone.
"""

import hashlib
import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
import xml.etree.ElementTree as ET

# CTest labels left out of a mutant's test run: the Wine runs, the reload
# soaks, the benchmarks, and checks that look at files rather than behaviour
# (the artifact checks, formatting, the keyboard stress test, the runner's own
# tests).
EXCLUDED_LABELS = "wine|reload|bench|artifacts|code|stress|mutate"

# Killers remembered per file and tried first on the next mutant there.
KILLERS_FIRST = 3

# Tests that took longer than this on the unmutated code run after the others.
SLOW_TEST_SECONDS = 1.0


RUNNING = set()  # processes started by run(), for stop_all()


def excluded_labels(root, preset):
    """EXCLUDED_LABELS, and the labels the test preset leaves out itself: a -LE
    on the command line replaces the preset's own filter (the asan preset's,
    say, which keeps the sanitizer's notes away from tests that want a quiet
    stderr)."""
    with open(os.path.join(root, "CMakePresets.json")) as stream:
        presets = json.load(stream).get("testPresets", [])
    own = next((p for p in presets if p.get("name") == preset), {})
    label = own.get("filter", {}).get("exclude", {}).get("label")
    return f"{EXCLUDED_LABELS}|{label}" if label else EXCLUDED_LABELS


def run(command, cwd, env=None, timeout=None):
    """Runs a command in its own process group; returns (status, output).
    Status None means it ran past `timeout` and was stopped."""
    with tempfile.TemporaryFile() as out:
        process = subprocess.Popen(
            command, cwd=cwd, env=env, stdout=out, stderr=subprocess.STDOUT, start_new_session=True
        )
        RUNNING.add(process)
        try:
            status = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            status = None
        except BaseException:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            raise
        finally:
            RUNNING.discard(process)
        out.seek(0)
        return status, out.read().decode(errors="replace")


def stop_all():
    """Ends every build and test this runner has running (on an interrupt)."""
    for process in list(RUNNING):
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass


def source_files(root):
    """The files of the work tree a build needs: what git knows or would add
    (ignored files, and so build folders, left out)."""
    listed = subprocess.run(
        ["git", "-C", root, "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
        check=True,
        capture_output=True,
    ).stdout.decode()
    return sorted(f for f in listed.split("\0") if f and os.path.isfile(os.path.join(root, f)))


def stripped_digest(path):
    """A digest of an object file without its debug information: the same for
    two objects that hold the same machine code and data."""
    with tempfile.NamedTemporaryFile(suffix=".o") as stripped:
        subprocess.run(["objcopy", "--strip-debug", path, stripped.name], check=True, capture_output=True)
        return hashlib.sha256(stripped.read()).hexdigest()


def compile_failure(output):
    """For a failed build: ("killed", why) when the compiler stopped the
    mutant only with a warning made an error, ("not-compiled", why) when the
    mutant is no valid program."""
    errors = [line for line in output.splitlines() if "error:" in line]
    warnings = [re.search(r"\[-Werror=([^\]]+)\]", line) for line in errors]
    if errors and all(warnings):
        return "killed", f"compiler warning -W{warnings[0].group(1)}"
    return "not-compiled", errors[0].strip() if errors else "build failed"


class Tree:
    """One scratch copy of the source tree, with one build folder per preset."""

    def __init__(self, source_root, scratch_root, number, preset, build_jobs):
        self.source_root = source_root
        self.root = os.path.join(scratch_root, f"tree-{number}")
        self.preset = preset
        self.build_dir = os.path.join(self.root, "build", preset)
        self.build_jobs = build_jobs
        self.originals = {}
        self.objects = {}  # object path -> [mtime_ns, digest of the unmutated object]
        self.targets = []
        self.test_names = []
        self.test_seconds = 0.0
        self.test_durations = []
        self.env = dict(os.environ)
        # Trees share ccache's results: paths below the tree are hashed as
        # relative ones.
        self.env.update({"CCACHE_BASEDIR": self.root, "CCACHE_NOHASHDIR": "true"})

    # -- The copy -------------------------------------------------------------

    def sync(self):
        """Makes the copy hold exactly the work tree's files; returns how many
        it changed. A changed file gets a fresh time stamp, so that the build
        sees it even when it is older than what the copy held."""
        os.makedirs(self.root, exist_ok=True)
        wanted = source_files(self.source_root)
        changed = 0
        for relative in wanted:
            source = os.path.join(self.source_root, relative)
            copy = os.path.join(self.root, relative)
            with open(source, "rb") as stream:
                data = stream.read()
            if os.path.isfile(copy):
                with open(copy, "rb") as stream:
                    if stream.read() == data:
                        continue
            os.makedirs(os.path.dirname(copy), exist_ok=True)
            with open(copy, "wb") as stream:
                stream.write(data)
            shutil.copymode(source, copy)
            changed += 1
        keep = set(wanted)
        for folder, dirs, files in os.walk(self.root):
            relative_folder = os.path.relpath(folder, self.root)
            if relative_folder == ".":
                dirs[:] = [d for d in dirs if d != "build"]
            for name in files:
                relative = os.path.normpath(os.path.join(relative_folder, name))
                if relative not in keep and not name.startswith(".mutate-"):
                    os.remove(os.path.join(folder, name))
                    changed += 1
        if changed:
            # The baseline verdicts were for other sources.
            for name in os.listdir(self.root):
                if name.startswith(".mutate-baseline-"):
                    os.remove(os.path.join(self.root, name))
        return changed

    def write(self, relative, data):
        path = os.path.join(self.root, relative)
        if relative not in self.originals:
            with open(path, "rb") as stream:
                self.originals[relative] = stream.read()
        with open(path, "wb") as stream:
            stream.write(data)

    def restore(self, relative):
        """Puts a mutated file back (with a new time stamp: the next build
        recompiles it, from ccache where it can)."""
        data = self.originals.pop(relative, None)
        if data is not None:
            with open(os.path.join(self.root, relative), "wb") as stream:
                stream.write(data)

    def read(self, relative):
        with open(os.path.join(self.root, relative), "rb") as stream:
            return stream.read()

    # -- Building -------------------------------------------------------------

    def configure(self):
        """Configures the preset's build folder once; later builds let ninja
        re-run CMake when a CMakeLists changes."""
        if os.path.isfile(os.path.join(self.build_dir, "build.ninja")):
            # CMake runs again when a source file was added or removed since
            # (its globs are checked), so the compile commands the mutants
            # are found with name every source.
            status, output = self.ninja(["build.ninja"])
            if status != 0:
                raise RuntimeError(f"cmake could not bring {self.build_dir} up to date:\n{output}")
            return
        command = ["cmake", "--preset", self.preset, "-DAMBLEWORKS_WINDOWS_BUILD_DIR="]
        if shutil.which("ccache"):
            command.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
        status, output = run(command, self.root, self.env)
        if status != 0:
            raise RuntimeError(f"cmake --preset {self.preset} failed in {self.root}:\n{output}")

    def ninja(self, targets):
        return run(["ninja", "-C", self.build_dir, f"-j{self.build_jobs}", *targets], self.root, self.env)

    def ctest(self, arguments, timeout=None):
        labels = excluded_labels(self.root, self.preset)
        command = ["ctest", "--preset", self.preset, "-LE", labels, "-j1", *arguments]
        return run(command, self.root, self.env, timeout)

    def find_targets(self):
        """The files the fast tests run or load (test programs, the simulator,
        Ambleworks.so): all that a mutant's build must bring up to date."""
        status, output = run(["ninja", "-C", self.build_dir, "-t", "targets", "all"], self.root, self.env)
        outputs = {line.rsplit(": ", 1)[0] for line in output.splitlines() if ": " in line}
        status, output = self.ctest(["--show-only=json-v1"])
        if status != 0:
            raise RuntimeError(f"ctest cannot list the tests:\n{output}")
        tests = json.loads(output)["tests"]
        if not tests:
            raise RuntimeError("no tests to run a mutant against")
        wanted = set()
        for test in tests:
            for word in test.get("command", []):
                for part in (word, word.split("=", 1)[-1]):
                    if part.startswith(self.build_dir + os.sep):
                        relative = os.path.relpath(part, self.build_dir)
                        if relative in outputs:
                            wanted.add(relative)
        self.targets = sorted(wanted)
        self.test_names = [t["name"] for t in tests]

    def object_outputs(self, relative_source):
        """The object files compiled from one source file."""
        with open(os.path.join(self.build_dir, "compile_commands.json")) as stream:
            entries = json.load(stream)
        path = os.path.realpath(os.path.join(self.root, relative_source))
        found = []
        for entry in entries:
            if os.path.realpath(entry["file"]) == path:
                output = entry.get("output") or re.search(r"-o (\S+)", entry["command"]).group(1)
                found.append(os.path.relpath(os.path.join(entry["directory"], output), self.build_dir))
        return found

    def remember_objects(self):
        """Takes the digest of every object of the unmutated build."""
        self.objects = {}
        if not shutil.which("objcopy"):
            return
        for path, mtime in self.object_times().items():
            self.objects[path] = [mtime, stripped_digest(path)]

    def object_times(self):
        times = {}
        for folder, _, files in os.walk(self.build_dir):
            for name in files:
                if name.endswith(".o"):
                    path = os.path.join(folder, name)
                    times[path] = os.stat(path).st_mtime_ns
        return times

    def same_code(self):
        """True when every object rebuilt since the last look holds the
        unmutated build's machine code (the mutant is then equivalent)."""
        if not self.objects:
            return False
        same = True
        for path, mtime in self.object_times().items():
            known = self.objects.get(path)
            if known is None:
                return False
            if known[0] != mtime:
                known[0] = mtime
                if stripped_digest(path) != known[1]:
                    same = False
        return same

    # -- The baseline -----------------------------------------------------------

    def prepare(self, log):
        """Copies, configures and builds the tree, and runs the tests once on
        the unmutated code: they must pass, or no mutant could survive."""
        self.sync()
        self.configure()
        status, output = self.ninja([])
        if status != 0:
            raise RuntimeError(f"the unmutated tree does not build:\n{output[-4000:]}")
        self.find_targets()
        stamp_path = os.path.join(self.root, f".mutate-baseline-{self.preset}")
        stamp = None
        if os.path.isfile(stamp_path):
            with open(stamp_path) as stream:
                stamp = json.load(stream)
        if stamp is None or stamp.get("tests") != self.test_names:
            log(f"tree {self.root}: the {len(self.test_names)} fast tests on the unmutated code ...")
            started = time.monotonic()
            with tempfile.NamedTemporaryFile(suffix=".xml", dir=self.build_dir) as junit:
                status, output = self.ctest(["--output-junit", junit.name])
                if status != 0:
                    raise RuntimeError(f"the fast tests fail without any mutant:\n{output[-4000:]}")
                durations = test_durations(junit.name)
            stamp = {
                "test_seconds": time.monotonic() - started,
                "tests": self.test_names,
                "seconds": [durations.get(name, 0.0) for name in self.test_names],
            }
            with open(stamp_path, "w") as stream:
                json.dump(stamp, stream)
        self.test_seconds = stamp["test_seconds"]
        self.test_durations = stamp["seconds"]
        self.remember_objects()

    # -- One mutant -------------------------------------------------------------

    def test_stages(self, killers):
        """The tests in the order a mutant meets them, as lists of CTest's
        numbers (positions in the selected list): the likely killers, then
        the quick tests in their own order, then the slow ones."""
        first = [self.test_names.index(k) for k in killers if k in self.test_names]
        rest = [i for i in range(len(self.test_names)) if i not in first]
        quick = [i for i in rest if self.test_durations[i] <= SLOW_TEST_SECONDS]
        slow = [i for i in rest if self.test_durations[i] > SLOW_TEST_SECONDS]
        return [stage for stage in (first, quick, slow) if stage]

    def run_tests(self, killers):
        """Runs the fast tests, the given likely killers first, and stops at
        the first failure. Returns the status, the failing test (or None) and
        what happened."""
        budget = 3 * self.test_seconds + 60
        started = time.monotonic()
        for stage in self.test_stages(killers):
            left = budget - (time.monotonic() - started)
            numbers = ",".join(str(i + 1) for i in stage)
            with tempfile.NamedTemporaryFile(suffix=".xml", dir=self.build_dir) as junit:
                status, output = self.ctest(
                    ["--stop-on-failure", "--timeout", "60", "--output-junit", junit.name, "-I", f"0,0,0,{numbers}"],
                    timeout=max(left, 10),
                )
                if status is None:
                    return "timeout", None, f"the tests ran past {budget:.0f} s"
                if status != 0:
                    return ("killed", *first_failure(junit.name, output))
        return "survived", None, ""


def test_durations(junit_path):
    """Seconds of each test in a CTest JUnit report."""
    return {case.get("name"): float(case.get("time", 0)) for case in ET.parse(junit_path).getroot().iter("testcase")}


# What a sanitizer says first when it stops a test.
SANITIZER_REPORT = re.compile(r"(AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|runtime error)[: ].*")


def first_failure(junit_path, output):
    """The first failing test of a CTest JUnit report, and what went wrong
    in it: the sanitizer's finding when one stopped it."""
    name, text = None, output
    try:
        for case in ET.parse(junit_path).getroot().iter("testcase"):
            if case.get("status") == "fail" or case.find("failure") is not None:
                name = case.get("name")
                text = "".join(case.itertext()) or output
                break
    except (ET.ParseError, FileNotFoundError):
        pass
    if name is None:
        found = re.search(r"Test\s+#\d+: (\S+) \.+\*+(Failed|Timeout|Exception)", output)
        name = found.group(1) if found else "ctest failed"
    report = SANITIZER_REPORT.search(text)
    return name, f"{name}: {report.group(0).strip()[:160]}" if report else name
