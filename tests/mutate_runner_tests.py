"""Tests of the mutation runner (scripts/mutate): what it finds in C++ code
through libclang, the keys that name its mutants, the list of known
equivalents, and the parts of its scratch copy that would otherwise let a
mutant pass unseen. Run on Debian's python3 with python3-clang:

    /usr/bin/python3 -m unittest tests/mutate_runner_tests.py
"""

import os
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))

from mutate_lib import equivalents, finder, scratch  # noqa: E402

SNIPPET = r"""
#include <cstdint>
// A comment with operators that must stay as they are: a < b && c > 1 || !d, true
constexpr float limit = 1.51f;
constexpr int32_t delay = 0x12;
const char* text = "x >= 2 || y == 0 && !z, false";
const char letter = '<';
/* x != 1 */
bool decide(int32_t count, float speed, bool held)
{
    int32_t next = count + 1;
    next -= 1;
    ++next;
    if (!held && speed > limit || count <= delay)
        return true;
    return next == 2 && count != next - 1 && count + 2 > 0;
}
"""


def changes(mutants):
    """(line, original, replacement) of each mutant."""
    return sorted((m.line, m.original, m.replacement) for m in mutants)


class FindsTheOperatorsInTheSyntaxTree(unittest.TestCase):
    def setUp(self):
        self.mutants = finder.find_mutants_in_snippet(SNIPPET)

    def test_every_kind_of_change_at_its_place(self):
        expected = [
            (4, "1.51f", "1.50f"),
            (4, "1.51f", "1.52f"),
            (5, "0x12", "0x11"),
            (5, "0x12", "0x13"),
            (11, "+", "-"),
            (11, "1", "0"),
            (11, "1", "2"),
            (12, "-=", "+="),
            (12, "1", "0"),
            (12, "1", "2"),
            (13, "++", "--"),
            (14, "!", ""),
            (14, "&&", "||"),
            (14, "<=", "<"),
            (14, "<=", ">"),
            (14, ">", "<="),
            (14, ">", ">="),
            (14, "||", "&&"),
            (15, "true", "false"),
            (16, "!=", "=="),
            (16, "&&", "||"),
            (16, "&&", "||"),
            (16, "-", "+"),
            (16, "0", "1"),
            (16, "1", "0"),
            (16, "1", "2"),
            (16, "2", "1"),
            (16, "2", "1"),
            (16, "2", "3"),
            (16, "2", "3"),
            (16, "==", "!="),
            (16, ">", "<="),
            (16, ">", ">="),
        ]
        found = changes(self.mutants)
        self.assertEqual(found, sorted(expected))

    def test_no_mutant_in_strings_characters_or_comments(self):
        for mutant in self.mutants:
            self.assertNotIn(mutant.line, (3, 6, 7, 8), mutant.key)

    def test_each_mutant_changes_only_its_token_and_still_parses(self):
        source = SNIPPET.encode()
        for mutant in self.mutants:
            mutated = mutant.apply(source)
            self.assertEqual(mutated[: mutant.offset], source[: mutant.offset])
            self.assertEqual(mutated[mutant.offset + len(mutant.replacement) :], source[mutant.offset + mutant.length :])
            finder.find_mutants_in_snippet(mutated.decode())  # raises on a parse error

    def test_plus_one_only_where_one_is_added_or_taken(self):
        plus_one = [m for m in self.mutants if m.operator == "plus-one"]
        self.assertEqual(sorted((m.line, m.original) for m in plus_one), [(11, "+"), (12, "-="), (16, "-")])

    def test_a_macro_expansion_is_not_mutated(self):
        code = "#define LIMIT 3\n#define BIG(x) ((x) > 4)\nbool f(int a) { return BIG(a) || a < LIMIT; }\n"
        found = changes(finder.find_mutants_in_snippet(code))
        self.assertEqual(found, [(3, "<", "<="), (3, "<", ">="), (3, "||", "&&")])


class ReadsHeadersThroughTheirSources(unittest.TestCase):
    def test_a_header_alone_is_read_through_a_source_that_includes_it(self):
        with tempfile.TemporaryDirectory() as root:
            os.makedirs(os.path.join(root, "src", "part"))
            with open(os.path.join(root, "src", "part", "limits.h"), "w") as stream:
                stream.write("#pragma once\ninline bool over(int x) { return x > 3; }\n")
            with open(os.path.join(root, "src", "use.cpp"), "w") as stream:
                stream.write('#include "part/limits.h"\nbool twice(int x) { return over(x) && x < 9; }\n')
            commands = [
                {
                    "directory": root,
                    "file": os.path.join(root, "src", "use.cpp"),
                    "command": f"c++ -I{root}/src -std=c++20 -c {root}/src/use.cpp -o use.o",
                }
            ]
            header = finder.find_mutants(root, [os.path.join(root, "src", "part", "limits.h")], commands)
            self.assertEqual(
                [m.key for m in header],
                [
                    "src/part/limits.h | over | x > 3 | > -> <=",
                    "src/part/limits.h | over | x > 3 | > -> >=",
                    "src/part/limits.h | over | x > 3 | 3 -> 2",
                    "src/part/limits.h | over | x > 3 | 3 -> 4",
                ],
            )


    def test_a_source_without_a_compile_command_is_refused(self):
        with tempfile.TemporaryDirectory() as root:
            os.makedirs(os.path.join(root, "src"))
            for name in ("built.cpp", "added.cpp"):
                with open(os.path.join(root, "src", name), "w") as stream:
                    stream.write("bool over(int x) { return x > 3; }\n")
            commands = [
                {
                    "directory": root,
                    "file": os.path.join(root, "src", "built.cpp"),
                    "command": f"c++ -std=c++20 -c {root}/src/built.cpp -o built.o",
                }
            ]
            files = [os.path.join(root, "src", name) for name in ("built.cpp", "added.cpp")]
            with self.assertRaisesRegex(RuntimeError, "no compile command for src/added.cpp"):
                finder.find_mutants(root, files, commands)


class KeysSurviveLineMoves(unittest.TestCase):
    def test_the_same_keys_after_lines_and_comments_are_added(self):
        moved = SNIPPET.replace("bool decide", "// a new comment\n\nint32_t unrelated() { return 7; }\nbool decide")
        moved = moved.replace("    if (!held", "    // why\n    if (!held")
        before = {m.key for m in finder.find_mutants_in_snippet(SNIPPET)}
        after = {m.key for m in finder.find_mutants_in_snippet(moved)}
        self.assertEqual(before, after - {k for k in after if "unrelated" in k})

    def test_identical_changes_in_one_expression_are_numbered(self):
        keys = [m.key for m in finder.find_mutants_in_snippet(SNIPPET) if m.line == 16 and m.original == "&&"]
        self.assertEqual(len(set(keys)), 2)
        self.assertTrue(keys[1].endswith("&& -> || #2"), keys)
        self.assertIn("| decide | next == 2 && count != next - 1 && count + 2 > 0 |", keys[0])

    def test_constants_keep_their_spelling(self):
        cases = {
            "0": ["1"],
            "7": ["8", "6"],
            "0x12": ["0x13", "0x11"],
            "0x0Fu": ["0x10u", "0x0Eu"],
            "0xffULL": ["0x100ULL", "0xfeULL"],
            "1.51f": ["1.52f", "1.50f"],
            "0.97": ["0.98", "0.96"],
            "2.0f": ["2.1f", "1.9f"],
            "0.0f": ["0.1f"],
            "1e3": ["2e3", "0e3"],
            "0x1p-3": [],
        }
        for spelling, expected in cases.items():
            neighbours = finder.float_neighbours if ("." in spelling or "e" in spelling) else finder.integer_neighbours
            if spelling.startswith("0x") and "p" not in spelling:
                neighbours = finder.integer_neighbours
            self.assertEqual(neighbours(spelling), expected, spelling)


class KnownEquivalents(unittest.TestCase):
    def test_a_listed_block_names_exactly_its_mutant(self):
        mutant = [m for m in finder.find_mutants_in_snippet(SNIPPET) if m.line == 16 and m.original == "&&"][1]
        entries = equivalents.parse(equivalents.block_for(mutant, reason="the count is never negative"))
        self.assertEqual([e.key for e in entries], [mutant.key])

    def test_a_block_without_a_reason_or_with_a_stray_line_is_refused(self):
        with self.assertRaisesRegex(ValueError, ":1: the entry gives no reason"):
            equivalents.parse("file: a.cpp\nfunction: f\nexpression: x\nchange: > -> >=\nreason:\n")
        with self.assertRaisesRegex(ValueError, ":3: expected"):
            equivalents.parse("# comment\nfile: a.cpp\nwhy it is so\n")


class ScratchCopy(unittest.TestCase):
    def test_a_failed_build_is_told_apart_from_a_warning(self):
        warning = "x.cpp:3:9: error: comparison is always true [-Werror=type-limits]\n"
        error = "x.cpp:3:9: error: expected ';' before '}' token\n"
        self.assertEqual(scratch.compile_failure(warning), ("killed", "compiler warning -Wtype-limits"))
        self.assertEqual(scratch.compile_failure(warning + error)[0], "not-compiled")

    def test_same_code_only_when_the_machine_code_is_the_same(self):
        with tempfile.TemporaryDirectory() as folder:

            def digest(body):
                source = os.path.join(folder, "f.cpp")
                with open(source, "w") as stream:
                    stream.write(f"int f(int x) {{ return {body}; }}\nint g(int x) {{ return x * 3; }}\n")
                subprocess.run(["c++", "-O2", "-g", "-c", source, "-o", source + ".o"], check=True)
                return scratch.stripped_digest(source + ".o")

            original = digest("x > 3")
            self.assertEqual(digest("x  >  3"), original)  # only the columns of the debug lines move
            self.assertNotEqual(digest("x >= 3"), original)
            self.assertEqual(digest("x >= 4"), original)  # the same program, written otherwise

    def test_every_test_runs_once_killers_first_slow_ones_last(self):
        tree = scratch.Tree("/nowhere", "/nowhere", 1, "linux", 1)
        tree.test_names = ["unit.a", "unit.big", "unit.b", "scenario.c", "sim.cli # x"]
        tree.test_durations = [0.1, 9.0, 0.2, 0.3, 2.5]
        self.assertEqual(tree.test_stages([]), [[0, 2, 3], [1, 4]])
        self.assertEqual(tree.test_stages(["scenario.c", "sim.cli # x", "gone"]), [[3, 4], [0, 2], [1]])

    def test_sync_puts_back_a_mutated_file_newer_and_forgets_the_baseline(self):
        with tempfile.TemporaryDirectory() as folder:
            source = os.path.join(folder, "source")
            os.makedirs(os.path.join(source, "src"))
            with open(os.path.join(source, "src", "a.cpp"), "w") as stream:
                stream.write("int a = 1;\n")
            subprocess.run(["git", "init", "-q", source], check=True)
            tree = scratch.Tree(source, os.path.join(folder, "scratch"), 1, "linux", 1)
            self.assertEqual(tree.sync(), 1)
            copy = os.path.join(tree.root, "src", "a.cpp")
            tree.write("src/a.cpp", b"int a = 2;\n")
            with open(os.path.join(tree.root, "stale.txt"), "w") as stream:
                stream.write("left by a removed file\n")
            mutated_at = os.stat(copy).st_mtime_ns
            stamp = os.path.join(tree.root, ".mutate-baseline-linux")
            open(stamp, "w").close()
            time.sleep(0.01)
            self.assertEqual(tree.sync(), 2)
            self.assertFalse(os.path.exists(stamp), "a baseline verdict outlived the sources it was for")
            with open(copy) as stream:
                self.assertEqual(stream.read(), "int a = 1;\n")
            self.assertGreater(os.stat(copy).st_mtime_ns, mutated_at)
            self.assertFalse(os.path.exists(os.path.join(tree.root, "stale.txt")))
            open(stamp, "w").close()
            self.assertEqual(tree.sync(), 0)
            self.assertTrue(os.path.exists(stamp))


if __name__ == "__main__":
    unittest.main()
