"""Finds the mutants of C++ files in libclang's syntax tree.

A mutant is one small change of the source: a comparison, a logical operator,
a negation, an increment, a `+ 1`/`- 1`, or a boolean, integer or floating
constant, each found as a node of the syntax tree. The text that changes is
always the node's own token, located by libclang, so nothing inside a string,
a character literal or a comment is ever touched.

Each mutant carries a key that names it without line numbers: the file, the
enclosing function, the full expression it sits in (as written, comments and
layout left out), the change, and which occurrence of that change in that
expression it is. The key survives code moving around it, so the list of known
equivalent mutants keeps matching.
"""

import dataclasses
import decimal
import os
import shlex

import clang.cindex as ci

# Index of this file:
# [SECTION] Constants: the neighbours of a literal, spelled as the source spells it
# [SECTION] Names: the enclosing function and the full expression
# [SECTION] The walk
# [SECTION] Compile commands

K = ci.CursorKind

# Each relational operator becomes its boundary twin (the one that also, or no
# longer, holds at equality) and its negation.
COMPARISON_SWAPS = {
    "<": ("<=", ">="),
    "<=": ("<", ">"),
    ">": (">=", "<="),
    ">=": (">", "<"),
    "==": ("!=",),
    "!=": ("==",),
}
LOGICAL_SWAPS = {"&&": ("||",), "||": ("&&",)}
INCREMENT_SWAPS = {"++": "--", "--": "++"}
PLUS_ONE_SWAPS = {"+": "-", "-": "+", "+=": "-=", "-=": "+="}

FUNCTION_KINDS = {
    K.FUNCTION_DECL,
    K.CXX_METHOD,
    K.CONSTRUCTOR,
    K.DESTRUCTOR,
    K.CONVERSION_FUNCTION,
    K.FUNCTION_TEMPLATE,
}
SCOPE_KINDS = {K.NAMESPACE, K.CLASS_DECL, K.STRUCT_DECL, K.UNION_DECL, K.CLASS_TEMPLATE, K.ENUM_DECL}
DECLARATION_SITES = {K.VAR_DECL, K.FIELD_DECL, K.PARM_DECL, K.ENUM_CONSTANT_DECL}


def make_key(file, function, site, change, occurrence):
    suffix = f" #{occurrence}" if occurrence > 1 else ""
    return f"{file} | {function} | {site} | {change}{suffix}"


@dataclasses.dataclass
class Mutant:
    file: str  # relative to the source root
    line: int
    column: int
    offset: int  # byte offset of the changed text in the file
    length: int  # bytes replaced
    original: str
    replacement: str
    operator: str  # what kind of change: comparison, logical, negation, ...
    function: str
    site: str  # the full expression (or declaration) the change sits in
    occurrence: int = 1

    @property
    def change(self):
        return f"{self.original or '(nothing)'} -> {self.replacement or '(removed)'}"

    @property
    def key(self):
        """The name of this mutant that survives line moves."""
        return make_key(self.file, self.function, self.site, self.change, self.occurrence)

    def apply(self, text):
        """`text` (the file's bytes) with this change made."""
        original = self.original.encode()
        if text[self.offset : self.offset + self.length] != original:
            raise ValueError(f"{self.file}:{self.line}: source no longer holds {self.original!r}")
        return text[: self.offset] + self.replacement.encode() + text[self.offset + self.length :]


# ---------------------------------------------------------------------------
# [SECTION] Constants: the neighbours of a literal, spelled as the source spells it


def split_suffix(spelling, suffix_letters):
    """The literal without its type suffix (u, l, f, ...), and the suffix."""
    end = len(spelling)
    while end > 0 and spelling[end - 1] in suffix_letters:
        end -= 1
    return spelling[:end], spelling[end:]


def integer_neighbours(spelling):
    """The literal one above and one below (not below zero), in its own base,
    width and case. Empty for forms this runner does not rewrite."""
    body, suffix = split_suffix(spelling, "uUlLzZ")
    if "'" in body:
        return []
    lower = body.lower()
    if lower.startswith("0x"):
        prefix, digits, base = body[:2], body[2:], 16
    elif lower.startswith("0b"):
        prefix, digits, base = body[:2], body[2:], 2
    elif len(body) > 1 and body.startswith("0"):
        prefix, digits, base = "0", body[1:], 8
    else:
        prefix, digits, base = "", body, 10
    try:
        value = int(digits, base)
    except ValueError:
        return []
    upper_case = digits != digits.lower()

    def spell(number):
        text = {16: f"{number:x}", 8: f"{number:o}", 2: f"{number:b}", 10: f"{number}"}[base]
        if upper_case:
            text = text.upper()
        if prefix:
            text = text.rjust(len(digits), "0")
        return prefix + text + suffix

    return [spell(n) for n in (value + 1, value - 1) if n >= 0]


def float_neighbours(spelling):
    """The literal moved by one unit of its last written digit, up and down
    (not below zero): 1.51f gives 1.52f and 1.50f, 2.0f gives 2.1f and 1.9f."""
    body, suffix = split_suffix(spelling, "fFlL")
    if body.lower().startswith("0x"):
        return []
    mantissa, exponent = body, ""
    for mark in "eE":
        if mark in body:
            mantissa, rest = body.split(mark, 1)
            exponent = mark + rest
    decimals = len(mantissa.split(".", 1)[1]) if "." in mantissa else 0
    try:
        value = decimal.Decimal(mantissa)
    except decimal.InvalidOperation:
        return []
    unit = decimal.Decimal(1).scaleb(-decimals)
    found = []
    for moved in (value + unit, value - unit):
        if moved < 0:
            continue
        text = f"{moved:.{decimals}f}"
        if mantissa.endswith("."):
            text += "."
        if mantissa.startswith(".") and text.startswith("0."):
            text = text[1:]
        found.append(text + exponent + suffix)
    return found


def boolean_neighbours(spelling):
    return {"true": ["false"], "false": ["true"]}.get(spelling, [])


def integer_value(spelling):
    body, _ = split_suffix(spelling, "uUlLzZ")
    try:
        return int(body, 0) if not (len(body) > 1 and body[0] == "0" and body[1].isdigit()) else int(body, 8)
    except ValueError:
        return None


# ---------------------------------------------------------------------------
# [SECTION] Names: the enclosing function and the full expression


def qualified_name(cursor):
    """`Scope::name` of a declaration; anonymous namespaces are left out."""
    parts = [cursor.spelling]
    parent = cursor.semantic_parent
    while parent is not None and parent.kind in SCOPE_KINDS:
        if parent.spelling:
            parts.append(parent.spelling)
        parent = parent.semantic_parent
    return "::".join(reversed(parts))


def token_text(tokens):
    """Tokens joined as written: one space wherever the source had blanks or a
    comment between two tokens, nothing where they touched."""
    text = ""
    previous_end = None
    for token in tokens:
        if token.kind == ci.TokenKind.COMMENT:
            continue
        start = token.extent.start.offset
        if previous_end is not None and start > previous_end:
            text += " "
        text += token.spelling
        previous_end = token.extent.end.offset
    return text


def enclosing_function(ancestors):
    for cursor in reversed(ancestors):
        if cursor.kind in FUNCTION_KINDS:
            return qualified_name(cursor)
    for cursor in reversed(ancestors):
        if cursor.kind in DECLARATION_SITES:
            return qualified_name(cursor)
    return "(file scope)"


def site_of(node, ancestors):
    """The full expression that holds `node`, or the declaration it
    initialises: the top of the chain of expressions above it."""
    top = node
    for cursor in reversed(ancestors):
        if cursor.kind in DECLARATION_SITES:
            return cursor
        if not cursor.kind.is_expression():
            return top
        top = cursor
    return top


# ---------------------------------------------------------------------------
# [SECTION] The walk


class FileMutants:
    """Collects the mutants of the files asked for, from any number of
    translation units; a header seen through several of them counts once."""

    def __init__(self, root, wanted_files):
        self.root = os.path.realpath(root)
        self.wanted = {os.path.realpath(f) for f in wanted_files}
        self.found = {}  # (file, offset, replacement) -> Mutant
        self.sources = {}

    def source(self, path):
        if path not in self.sources:
            with open(path, "rb") as stream:
                self.sources[path] = stream.read()
        return self.sources[path]

    def add_translation_unit(self, tu):
        stack = [(tu.cursor, ())]
        while stack:
            cursor, ancestors = stack.pop()
            for child in reversed(list(cursor.get_children())):
                # Only nodes written in a wanted file are looked into: the code
                # of a wanted file never sits below a node of another file.
                path = child.location.file.name if child.location.file else None
                if path is None or os.path.realpath(path) not in self.wanted:
                    continue
                child_ancestors = ancestors + (cursor,)
                self.visit(child, child_ancestors)
                stack.append((child, child_ancestors))

    def visit(self, node, ancestors):
        kind = node.kind
        if kind in (K.BINARY_OPERATOR, K.COMPOUND_ASSIGNMENT_OPERATOR):
            self.visit_binary(node, ancestors)
        elif kind == K.CALL_EXPR and node.spelling.startswith("operator"):
            self.visit_binary(node, ancestors, overloaded=True)
        elif kind == K.UNARY_OPERATOR:
            self.visit_unary(node, ancestors)
        elif kind == K.CXX_BOOL_LITERAL_EXPR:
            self.visit_literal(node, ancestors, "boolean", ci.TokenKind.KEYWORD, boolean_neighbours)
        elif kind == K.INTEGER_LITERAL:
            self.visit_literal(node, ancestors, "integer", ci.TokenKind.LITERAL, integer_neighbours)
        elif kind == K.FLOATING_LITERAL:
            self.visit_literal(node, ancestors, "float", ci.TokenKind.LITERAL, float_neighbours)

    def own_tokens(self, node):
        """The node's tokens, or None when the node is not written out as
        such in a wanted file (implicit code, a macro expansion)."""
        start, end = node.extent.start, node.extent.end
        if start.file is None or os.path.realpath(start.file.name) not in self.wanted:
            return None
        tokens = [t for t in node.get_tokens() if t.kind != ci.TokenKind.COMMENT]
        if not tokens:
            return None
        text = self.source(os.path.realpath(start.file.name))
        for token in tokens:
            if text[token.extent.start.offset : token.extent.end.offset] != token.spelling.encode():
                return None
            if token.extent.end.offset > end.offset:
                return None
        return tokens

    def add(self, node, ancestors, token, replacement, operator):
        path = os.path.realpath(token.location.file.name)
        mutant = Mutant(
            file=os.path.relpath(path, self.root),
            line=token.location.line,
            column=token.location.column,
            offset=token.extent.start.offset,
            length=len(token.spelling.encode()),
            original=token.spelling,
            replacement=replacement,
            operator=operator,
            function=enclosing_function(ancestors),
            site=token_text(site_of(node, ancestors).get_tokens()),
        )
        self.found.setdefault((mutant.file, mutant.offset, replacement), mutant)

    def visit_binary(self, node, ancestors, overloaded=False):
        tokens = self.own_tokens(node)
        if tokens is None:
            return
        operands = [c for c in node.get_children() if not (overloaded and c.spelling.startswith("operator"))]
        if len(operands) != 2:
            return
        left_end = operands[0].extent.end.offset
        right_start = operands[1].extent.start.offset
        between = [t for t in tokens if left_end <= t.extent.start.offset < right_start]
        if len(between) != 1:
            return
        op = between[0]
        spelling = op.spelling
        if spelling in COMPARISON_SWAPS:
            for other in COMPARISON_SWAPS[spelling]:
                self.add(node, ancestors, op, other, "comparison")
        elif spelling in LOGICAL_SWAPS and not overloaded:
            for other in LOGICAL_SWAPS[spelling]:
                self.add(node, ancestors, op, other, "logical")
        elif spelling in PLUS_ONE_SWAPS and not overloaded:
            right = [t for t in tokens if t.extent.start.offset >= right_start]
            if len(right) == 1 and right[0].kind == ci.TokenKind.LITERAL and integer_value(right[0].spelling) == 1:
                self.add(node, ancestors, op, PLUS_ONE_SWAPS[spelling], "plus-one")

    def visit_unary(self, node, ancestors):
        tokens = self.own_tokens(node)
        if tokens is None or len(tokens) < 2:
            return
        first, last = tokens[0], tokens[-1]
        if first.spelling == "!":
            self.add(node, ancestors, first, "", "negation")
        elif first.spelling in INCREMENT_SWAPS:
            self.add(node, ancestors, first, INCREMENT_SWAPS[first.spelling], "increment")
        elif last.spelling in INCREMENT_SWAPS:
            self.add(node, ancestors, last, INCREMENT_SWAPS[last.spelling], "increment")

    def visit_literal(self, node, ancestors, operator, token_kind, neighbours):
        tokens = self.own_tokens(node)
        # A constant that comes out of a macro shows as the macro's name here.
        if tokens is None or len(tokens) != 1 or tokens[0].kind != token_kind:
            return
        token = tokens[0]
        for replacement in neighbours(token.spelling):
            self.add(node, ancestors, token, replacement, operator)

    def mutants(self):
        """Every mutant found, in file and source order, occurrences numbered."""
        ordered = sorted(self.found.values(), key=lambda m: (m.file, m.offset, m.replacement))
        seen = {}
        for mutant in ordered:
            mutant.occurrence = 1
            base = mutant.key
            seen[base] = seen.get(base, 0) + 1
            mutant.occurrence = seen[base]
        return ordered


# ---------------------------------------------------------------------------
# [SECTION] Compile commands


def parse_arguments(entry):
    """The compiler's arguments for libclang: the command without the
    compiler, the output and the source file."""
    words = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    kept = []
    skip_next = False
    for word in words[1:]:
        if skip_next:
            skip_next = False
            continue
        if word == "-o":
            skip_next = True
            continue
        if word == "-c" or os.path.realpath(os.path.join(entry["directory"], word)) == os.path.realpath(entry["file"]):
            continue
        kept.append(word)
    return kept


def find_mutants(root, files, compile_commands):
    """The mutants of `files` (paths), parsed with the flags of the build's
    compile commands; headers through every source of the plug-in that
    includes them. Raises RuntimeError when libclang cannot parse a file."""
    root = os.path.realpath(root)
    wanted = [os.path.realpath(f) for f in files]
    collector = FileMutants(root, wanted)
    sources = [e for e in compile_commands if os.path.realpath(e["file"]) in set(wanted)]
    # A source the build does not compile would silently give no mutants (a
    # file added since the build folder last ran CMake, say).
    compiled = {os.path.realpath(e["file"]) for e in sources}
    for path in wanted:
        if path.endswith((".cpp", ".cc")) and path not in compiled:
            raise RuntimeError(f"no compile command for {os.path.relpath(path, root)}: the build does not compile it")
    headers = [f for f in wanted if not f.endswith((".cpp", ".cc"))]
    if headers:
        # A header is read through every source of its top folder (src/ for
        # the plug-in's headers).
        tops = {os.path.join(root, os.path.relpath(h, root).split(os.sep)[0]) + os.sep for h in headers}
        sources += [
            e
            for e in compile_commands
            if any(os.path.realpath(e["file"]).startswith(top) for top in tops) and e not in sources
        ]
    index = ci.Index.create()
    for entry in sources:
        tu = index.parse(entry["file"], args=parse_arguments(entry))
        errors = [d for d in tu.diagnostics if d.severity >= ci.Diagnostic.Error]
        if errors:
            raise RuntimeError(f"libclang cannot parse {entry['file']}: {errors[0]}")
        collector.add_translation_unit(tu)
    return collector.mutants()


def find_mutants_in_snippet(code, name="snippet.cpp", args=("-std=c++20",)):
    """The mutants of a piece of C++ given as text (for the runner's tests)."""
    index = ci.Index.create()
    path = os.path.realpath(name)
    tu = index.parse(path, args=list(args), unsaved_files=[(path, code)])
    errors = [d for d in tu.diagnostics if d.severity >= ci.Diagnostic.Error]
    if errors:
        raise RuntimeError(f"libclang cannot parse the snippet: {errors[0]}")
    collector = FileMutants(os.path.dirname(path), [path])
    collector.sources[path] = code.encode()
    collector.add_translation_unit(tu)
    return collector.mutants()
