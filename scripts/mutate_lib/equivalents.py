"""The list of known equivalent mutants: changes no test can tell apart from
the original, each with a one-line reason. They are not run and not scored.

The file holds one block per mutant, blocks apart by a blank line, lines
starting with '#' ignored:

    file: src/config/ini_reader.cpp
    function: IniReader::readLines
    expression: char mark[3] = {0, 0, 0}
    change: 0 -> 1
    occurrence: 2
    reason: the read fills the buffer before any byte of it is used

`occurrence` (which of several identical changes in the same expression)
may be left out when it is 1. The runner prints each survivor as such a
block, reason left to fill in.
"""

import dataclasses

from .finder import make_key

FIELDS = ("file", "function", "expression", "change", "occurrence", "reason")


@dataclasses.dataclass
class Equivalent:
    file: str
    function: str
    expression: str
    change: str
    occurrence: int
    reason: str
    line: int  # where the block starts in the list

    @property
    def key(self):
        return make_key(self.file, self.function, self.expression, self.change, self.occurrence)


def parse(text, name="equivalents"):
    """The entries of a list; raises ValueError naming the line of a block
    that lacks a field, has an unknown one, or gives no reason."""
    entries = []
    block, start = {}, 0

    def close():
        if not block:
            return
        missing = [f for f in FIELDS if f not in block and f != "occurrence"]
        if missing:
            raise ValueError(f"{name}:{start}: the entry lacks {', '.join(missing)}")
        if not block["reason"]:
            raise ValueError(f"{name}:{start}: the entry gives no reason")
        try:
            occurrence = int(block.get("occurrence", "1"))
        except ValueError:
            raise ValueError(f"{name}:{start}: occurrence is not a number") from None
        entries.append(
            Equivalent(
                block["file"],
                block["function"],
                block["expression"],
                block["change"],
                occurrence,
                block["reason"],
                start,
            )
        )

    for number, raw in enumerate(text.splitlines(), 1):
        line = raw.strip()
        if line.startswith("#"):
            continue
        if not line:
            close()
            block = {}
            continue
        field, colon, value = line.partition(":")
        if not colon or field.strip() not in FIELDS:
            raise ValueError(f"{name}:{number}: expected one of {', '.join(FIELDS)} and a colon")
        if not block:
            start = number
        block[field.strip()] = value.strip()
    close()
    return entries


def load(path):
    try:
        with open(path, encoding="utf-8") as stream:
            return parse(stream.read(), path)
    except FileNotFoundError:
        return []


def block_for(mutant, reason="?"):
    """A mutant as an entry of the list, to paste once its reason is known."""
    lines = [
        f"file: {mutant.file}",
        f"function: {mutant.function}",
        f"expression: {mutant.site}",
        f"change: {mutant.change}",
    ]
    if mutant.occurrence > 1:
        lines.append(f"occurrence: {mutant.occurrence}")
    lines.append(f"reason: {reason}")
    return "\n".join(lines)
