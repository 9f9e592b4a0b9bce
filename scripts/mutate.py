#!/usr/bin/python3
"""Mutation score of the fast tests on the library's sources.

Makes small faults ("mutants") in the C++ of src/ (and the pure-Python part of
the package), one at a time: relational operators swapped (< <=, > >=, == !=),
arithmetic operators swapped (+ -, * /, % /, ++ --, += -=, *= /=), integer
constants moved by one, if/while conditions negated, an expression statement
dropped, a return value replaced by a default one, && and || swapped.

The mutants are sampled with a fixed seed from the enumerated sites, spread
over the families (source folders) in proportion to their code lines. Each
mutant is built incrementally in a dedicated build directory (the changed file
and the links), then the fast tests run, fastest first, stopping at the first
failure: the GoogleTest runner, the tool tests, and (for mutants of the Python
package, or of everything with --python-tests) the pytest suite. A failing
test kills the mutant, a test run beyond the timeout counts as killed and is
reported as timed out, a mutant that does not compile is discarded.

Every touched source is restored on exit, also on SIGINT/SIGTERM; the restored
file gets a fresh mtime so that the next build compiles the original again.

Standard library only.
"""

import argparse
import json
import os
import random
import re
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

CPP_FAMILIES = ["geometry", "scan", "fit", "rle", "region", "log"]
ALL_FAMILIES = CPP_FAMILIES + ["python", "bindings"]
DEFAULT_FAMILIES = CPP_FAMILIES + ["python"]
DEFAULT_SEED = 20261207


def family_files(family):
    if family in CPP_FAMILIES:
        d = os.path.join(ROOT, "src", family)
        exts = (".cpp", ".h")
    elif family == "python":
        d = os.path.join(ROOT, "python", "tavgeometry")
        exts = (".py",)
    else:
        d = os.path.join(ROOT, "python", "src")
        exts = (".cpp", ".h")
    if not os.path.isdir(d):
        return []
    return sorted(os.path.join(d, f) for f in os.listdir(d) if f.endswith(exts))


def rel(path):
    return os.path.relpath(path, ROOT)


# ------------------------------------------------------------------ C++ tokens

_CPP_TOKEN = re.compile(r"""
    (?P<ws>\s+)
  | (?P<comment>//[^\n]*|/\*.*?\*/)
  | (?P<rawstr>(?:u8|u|U|L)?R"(?P<delim>[^(\s]*)\(.*?\)(?P=delim)")
  | (?P<string>(?:u8|u|U|L)?"(?:\\.|[^"\\\n])*")
  | (?P<char>(?:u8|u|U|L)?'(?:\\.|[^'\\\n])*')
  | (?P<number>(?:0[xX][0-9a-fA-F']+|0[bB][01']+|(?:\d[\d']*)?\.?\d[\d']*(?:[eE][+-]?\d+)?)[a-zA-Z_0-9.]*)
  | (?P<ident>[A-Za-z_]\w*)
  | (?P<punct>::|->\*?|\.\.\.|<<=|>>=|<=>|<<|>>|<=|>=|==|!=|&&|\|\||\+\+|--|[-+*/%&|^!=<>]=|[{}()\[\];:,.?~!<>=+\-*/%&|^#])
""", re.S | re.X)

TYPE_WORDS = {
    "int", "double", "float", "char", "bool", "void", "long", "short", "unsigned", "signed",
    "auto", "const", "constexpr", "static", "inline", "size_t", "ptrdiff_t", "int8_t", "int16_t",
    "int32_t", "int64_t", "uint8_t", "uint16_t", "uint32_t", "uint64_t", "uintptr_t", "intptr_t",
    "typename", "struct", "class", "enum", "volatile", "mutable", "extern", "thread_local",
    "template", "using", "typedef", "namespace", "friend", "virtual", "explicit", "operator",
}
KEYWORDS = TYPE_WORDS | {
    "return", "if", "else", "while", "for", "do", "switch", "case", "default", "break",
    "continue", "goto", "throw", "try", "catch", "new", "delete", "sizeof", "alignof",
    "static_assert", "noexcept", "override", "final", "public", "private", "protected",
    "true", "false", "nullptr", "this", "decltype",
}
TEMPLATE_NAMES = {
    "static_cast", "reinterpret_cast", "const_cast", "dynamic_cast", "vector", "pair", "array",
    "numeric_limits", "unique_ptr", "shared_ptr", "tuple", "function", "atomic", "map",
    "unordered_map", "set", "optional", "lock_guard", "unique_lock", "initializer_list",
    "is_same", "enable_if", "enable_if_t", "is_floating_point", "is_integral", "bit_cast",
    "template", "array_t", "class_", "make_pair", "deque", "span", "string_view", "get",
}


class Tok:
    __slots__ = ("kind", "text", "start", "end", "line", "skip")

    def __init__(self, kind, text, start, end, line):
        self.kind, self.text, self.start, self.end, self.line = kind, text, start, end, line
        self.skip = False  # template bracket, operator name: never mutated

    def __repr__(self):
        return "%s:%r@%d" % (self.kind, self.text, self.line)


def cpp_tokens(src):
    """Code tokens of a C++ source, without comments, whitespace and preprocessor lines."""
    toks = []
    pos, line, n = 0, 1, len(src)
    at_line_start = True
    while pos < n:
        if at_line_start:
            m = re.match(r"[ \t]*#", src[pos:pos + 200])
            if m:  # preprocessor line, with its continuations
                end = pos
                while True:
                    nl = src.find("\n", end)
                    if nl < 0:
                        end = n
                        break
                    if src[nl - 1] == "\\":
                        end = nl + 1
                        continue
                    end = nl
                    break
                line += src.count("\n", pos, end)
                pos = end
                continue
        m = _CPP_TOKEN.match(src, pos)
        if not m:
            raise ValueError("cannot tokenise at line %d: %r" % (line, src[pos:pos + 20]))
        kind = m.lastgroup if m.lastgroup != "delim" else "rawstr"
        text = m.group(0)
        if kind not in ("ws", "comment"):
            toks.append(Tok(kind, text, pos, m.end(), line))
        nls = text.count("\n")
        if kind == "ws" or kind == "comment":
            at_line_start = at_line_start or nls > 0
        else:
            at_line_start = False
        line += nls
        pos = m.end()
    return toks


def mark_templates(toks):
    """Marks template angle brackets (and operator names) so they are never mutated."""
    n = len(toks)
    for i, t in enumerate(toks):
        if t.text == "operator" and i + 1 < n:
            toks[i + 1].skip = True
            if i + 2 < n and toks[i + 1].text in ("(", "[") and toks[i + 2].text in (")", "]"):
                toks[i + 2].skip = True
        if t.text != "<" or t.skip or i == 0:
            continue
        prev = toks[i - 1]
        if prev.kind != "ident":
            continue
        # Find the closing bracket; only type-like tokens may stand in between.
        depth, j, ok, closers = 1, i + 1, False, []
        while j < n and j < i + 60:
            x = toks[j].text
            if x == "<":
                depth += 1
            elif x == ">":
                depth -= 1
                closers.append(j)
            elif x == ">>":
                depth -= 2
                closers.append(j)
            elif x in (";", "{", "}", "&&", "||", "?", "==", "!=", "<=", ">=", "=", "return"):
                break
            elif x in ("(", ")") and prev.text not in TEMPLATE_NAMES:
                break
            if depth <= 0:
                ok = True
                break
            j += 1
        if not ok:
            continue
        after = toks[j + 1].text if j + 1 < n else ""
        inner = toks[i + 1:j]
        all_types = bool(inner) and all(
            tk.text in ("::", ",", "*", "&", "<", ">", ">>", "std") or tk.kind == "number"
            or looks_like_type(tk) for tk in inner)
        typeish = after in ("(", "::", ">", ">>", "{", ",", ")", ";", "&", "*", "&&") or \
            (j + 1 < n and toks[j + 1].kind == "ident")
        if prev.text in TEMPLATE_NAMES or (typeish and (prev.text[:1].isupper() or all_types)):
            t.skip = True
            for c in closers:
                toks[c].skip = True
            for k in range(i + 1, j):
                if toks[k].text in ("<", ">", ">>"):
                    toks[k].skip = True


def is_value_end(t, toks=None, k=None):
    """True when token t can end an operand (so a following operator is binary)."""
    if t.text == ")" and toks is not None and _statement_boundary(toks, k):
        return False  # if (...) *p = v;
    if t.kind in ("number", "string", "char", "rawstr"):
        return True
    if t.kind == "ident":
        return t.text not in KEYWORDS or t.text in ("true", "false", "nullptr", "this")
    return t.text in (")", "]") or (t.text in (">",) and False)


def looks_like_type(t):
    """An identifier that names a type in this code base (a pointer/reference declarator follows)."""
    return t.kind == "ident" and (t.text in TYPE_WORDS or t.text[:1].isupper()
                                  or t.text.endswith("_t"))


class Mutant:
    __slots__ = ("family", "path", "line", "start", "end", "new", "what", "op")

    def __init__(self, family, path, line, start, end, new, what, op):
        self.family, self.path, self.line = family, path, line
        self.start, self.end, self.new, self.what, self.op = start, end, new, what, op

    def key(self):
        return "%s:%d:%d:%s" % (rel(self.path), self.line, self.start, self.op)

    def describe(self):
        return "%s:%d: %s" % (rel(self.path), self.line, self.what)


REL_SWAP = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
ARITH_SWAP = {"+": "-", "-": "+", "*": "/", "/": "*", "%": "/"}
COMPOUND_SWAP = {"+=": "-=", "-=": "+=", "*=": "/=", "/=": "*="}
INCDEC_SWAP = {"++": "--", "--": "++"}
LOGIC_SWAP = {"&&": "||", "||": "&&"}

_INT_LIT = re.compile(r"^(0[xX][0-9a-fA-F]+|[0-9]+)([uUlL]*)$")


def brace_kinds(toks):
    """For every token, whether it lies directly in a block of statements."""
    n = len(toks)
    in_code = [False] * n
    stack = []  # True for a block of statements
    paren = 0
    paren_stack = []
    for i, t in enumerate(toks):
        in_code[i] = bool(stack) and stack[-1] and paren == 0
        if t.text == "(" or t.text == "[":
            paren += 1
        elif t.text == ")" or t.text == "]":
            paren = max(0, paren - 1)
        elif t.text == "{":
            prev = toks[i - 1] if i else None
            code = False
            if prev is not None:
                if prev.text in (")", "else", "do", "try", "noexcept", "override", "final",
                                 "mutable"):
                    code = True
                elif prev.text == "const" and i >= 2 and toks[i - 2].text == ")":
                    code = True
                elif prev.text in (";", "{", "}") and stack and stack[-1] and paren == 0:
                    code = True  # a bare block
                elif prev.text == ":" and i >= 2 and toks[i - 2].text in ("public", "private",
                                                                          "protected"):
                    code = False
            # A lambda body inside parentheses is code too; its statements sit at paren > 0,
            # so remember the depth and count from zero inside it.
            paren_stack.append(paren)
            if code:
                paren = 0
            stack.append(code)
        elif t.text == "}":
            if stack:
                stack.pop()
            if paren_stack:
                paren = paren_stack.pop()
    return in_code


def cpp_sites(family, path, src):
    toks = cpp_tokens(src)
    mark_templates(toks)
    in_code = brace_kinds(toks)
    n = len(toks)
    out = []

    def add(i_start, i_end_tok, new, what, op):
        a, b = toks[i_start].start, toks[i_end_tok].end
        out.append(Mutant(family, path, toks[i_start].line, a, b, new, what, op))

    for i, t in enumerate(toks):
        if t.skip or not in_code[i] and not _inside_code_expr(toks, in_code, i):
            continue
        prev = toks[i - 1] if i else None
        nxt = toks[i + 1] if i + 1 < n else None
        x = t.text
        if t.kind == "punct":
            if x in REL_SWAP and prev is not None and is_value_end(prev, toks, i - 1):
                add(i, i, REL_SWAP[x], "%s -> %s" % (x, REL_SWAP[x]), "rel")
            elif x in ARITH_SWAP and prev is not None and is_value_end(prev, toks, i - 1):
                if x in ("*",) and (looks_like_type(prev) or
                                    (nxt is not None and nxt.text in (")", ",", ">", "&", "="))):
                    continue
                if prev.kind == "ident" and looks_like_type(prev) and x in ("+", "-"):
                    continue
                add(i, i, ARITH_SWAP[x], "%s -> %s" % (x, ARITH_SWAP[x]), "arith")
            elif x in COMPOUND_SWAP:
                add(i, i, COMPOUND_SWAP[x], "%s -> %s" % (x, COMPOUND_SWAP[x]), "arith")
            elif x in INCDEC_SWAP:
                add(i, i, INCDEC_SWAP[x], "%s -> %s" % (x, INCDEC_SWAP[x]), "arith")
            elif x in LOGIC_SWAP and prev is not None and is_value_end(prev, toks, i - 1) and \
                    not looks_like_type(prev):
                add(i, i, LOGIC_SWAP[x], "%s -> %s" % (x, LOGIC_SWAP[x]), "logic")
        elif t.kind == "number":
            m = _INT_LIT.match(x.replace("'", ""))
            if not m:
                continue
            body, suffix = m.group(1), m.group(2)
            v = int(body, 16) if body[:2].lower() == "0x" else int(body, 10) if body == "0" or \
                not body.startswith("0") else None
            if v is None:
                continue  # octal: left alone
            fmt = (lambda k: hex(k)) if body[:2].lower() == "0x" else str
            add(i, i, fmt(v + 1) + suffix, "%s -> %s" % (x, fmt(v + 1) + suffix), "const+1")
            if v >= 1:
                add(i, i, fmt(v - 1) + suffix, "%s -> %s" % (x, fmt(v - 1) + suffix), "const-1")
        elif t.kind == "ident" and x in ("if", "while") and in_code[i] and nxt is not None:
            j = i + 1
            if toks[j].text == "constexpr":
                continue
            if toks[j].text != "(":
                continue
            close = _match(toks, j)
            if close is None or close == j + 1:
                continue
            cond = src[toks[j + 1].start:toks[close - 1].end]
            if ";" in [tk.text for tk in toks[j + 1:close]]:
                continue  # if with initialiser
            new = "(!(" + cond + "))"
            out.append(Mutant(family, path, t.line, toks[j].start, toks[close].end, new,
                              "%s (%s) -> %s (!(...))" % (x, _short(cond, 40), x), "negate"))
        elif t.kind == "ident" and x == "return" and in_code[i]:
            k = i + 1
            depth = 0
            while k < n and not (toks[k].text == ";" and depth == 0):
                if toks[k].text in ("(", "[", "{"):
                    depth += 1
                elif toks[k].text in (")", "]", "}"):
                    depth -= 1
                k += 1
            if k >= n or k == i + 1:
                continue  # return; in a void function
            expr = src[toks[i + 1].start:toks[k - 1].end].strip()
            if expr in ("false",):
                new = "true"
            elif expr in ("true",):
                new = "false"
            elif re.fullmatch(r"0+[uUlL]*|0\.0*|-1", expr):
                new = "1"
            elif expr in ("{}", "nullptr"):
                continue
            else:
                new = "{}"
            out.append(Mutant(family, path, t.line, toks[i + 1].start, toks[k - 1].end, new,
                              "return %s; -> return %s;" % (_short(expr, 40), new), "return"))
    # Statements dropped: expression statements that start a statement in a block.
    for i, t in enumerate(toks):
        if not in_code[i] or t.skip:
            continue
        prev = toks[i - 1] if i else None
        if prev is None or not _statement_boundary(toks, i - 1):
            continue
        if t.kind != "ident" and t.text not in ("++", "--", "*", "("):
            continue
        if t.text in KEYWORDS and t.text != "this":
            continue
        # the statement's end at depth 0
        k, depth, has_effect = i, 0, False
        while k < n:
            x = toks[k].text
            if x in ("(", "[", "{"):
                depth += 1
                if x == "(":
                    has_effect = True
            elif x in (")", "]", "}"):
                depth -= 1
                if depth < 0:
                    break
            elif depth == 0 and x == ";":
                break
            elif depth == 0 and x in ("=", "+=", "-=", "*=", "/=", "%=", "|=", "&=", "^=",
                                      "<<=", ">>=", "++", "--"):
                has_effect = True
            k += 1
        if k >= n or toks[k].text != ";" or not has_effect:
            continue
        if _is_declaration(toks, i, k):
            continue
        text = src[toks[i].start:toks[k - 1].end]
        short = " ".join(text.split())
        if len(short) > 50:
            short = short[:47] + "..."
        out.append(Mutant(family, path, t.line, toks[i].start, toks[k - 1].end, "",
                          "statement dropped: %s;" % short, "drop"))
    return out


def _short(text, n):
    text = " ".join(text.split())
    return text if len(text) <= n else text[:n - 3] + "..."


def _match(toks, j):
    depth = 0
    for k in range(j, len(toks)):
        if toks[k].text == "(":
            depth += 1
        elif toks[k].text == ")":
            depth -= 1
            if depth == 0:
                return k
    return None


def _inside_code_expr(toks, in_code, i):
    """Tokens inside parentheses of a statement (conditions, arguments) are code too."""
    # Walk back to the nearest token at depth 0 of the enclosing statement.
    depth = 0
    for k in range(i - 1, max(-1, i - 400), -1):
        x = toks[k].text
        if x in (")", "]"):
            depth += 1
        elif x in ("(", "["):
            if depth == 0:
                return in_code[k]
            depth -= 1
        elif x in ("{", "}", ";") and depth == 0:
            return in_code[k] if x != "{" else in_code[k + 1] if k + 1 < len(toks) else False
    return False


def _statement_boundary(toks, k):
    x = toks[k].text
    if x in (";", "{", "}", "else"):
        return True
    if x == ")":
        # the ) that closes an if/while/for header
        depth = 0
        for j in range(k, -1, -1):
            if toks[j].text == ")":
                depth += 1
            elif toks[j].text == "(":
                depth -= 1
                if depth == 0:
                    return j > 0 and toks[j - 1].text in ("if", "while", "for")
    return False


def _is_declaration(toks, i, k):
    """Rough test: does toks[i:k] declare a variable (Type name ..., Type* name, Type<..> name)?"""
    j = i
    while j < k and toks[j].text in ("const", "static", "constexpr", "auto", "::", "std",
                                     "unsigned", "signed", "long", "volatile"):
        j += 1
    if toks[i].text in TYPE_WORDS:
        return True
    # skip a qualified name
    while j + 1 < k and toks[j].kind == "ident" and toks[j + 1].text == "::":
        j += 2
    if j >= k or toks[j].kind != "ident":
        return False
    j += 1
    if j < k and toks[j].text == "<" and toks[j].skip:
        depth = 0
        while j < k:
            if toks[j].text == "<":
                depth += 1
            elif toks[j].text == ">":
                depth -= 1
            elif toks[j].text == ">>":
                depth -= 2
            j += 1
            if depth <= 0:
                break
    while j < k and toks[j].text in ("*", "&", "&&", "const"):
        j += 1
    return j < k and toks[j].kind == "ident"


# ------------------------------------------------------------------ Python

def py_sites(family, path, src):
    import io
    import tokenize
    lines = src.splitlines(keepends=True)
    offs = [0]
    for ln in lines:
        offs.append(offs[-1] + len(ln))

    def off(rc):
        return offs[rc[0] - 1] + rc[1]

    toks = [t for t in tokenize.generate_tokens(io.StringIO(src).readline)]
    out = []
    rel_swap = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
    ar_swap = {"+": "-", "-": "+", "*": "/", "/": "*", "//": "*", "%": "//"}
    code = [t for t in toks if t.type not in (tokenize.COMMENT, tokenize.NL, tokenize.ENCODING)]
    for idx, t in enumerate(code):
        prev = code[idx - 1] if idx else None
        value_end = prev is not None and (prev.type in (tokenize.NAME, tokenize.NUMBER,
                                                         tokenize.STRING)
                                          and prev.string not in ("return", "if", "not", "in",
                                                                  "and", "or", "else", "import")
                                          or prev.string in (")", "]", "}"))
        s = t.string
        if t.type == tokenize.OP and s in rel_swap and value_end:
            out.append(Mutant(family, path, t.start[0], off(t.start), off(t.end), rel_swap[s],
                              "%s -> %s" % (s, rel_swap[s]), "rel"))
        elif t.type == tokenize.OP and s in ar_swap and value_end:
            out.append(Mutant(family, path, t.start[0], off(t.start), off(t.end), ar_swap[s],
                              "%s -> %s" % (s, ar_swap[s]), "arith"))
        elif t.type == tokenize.NAME and s in ("and", "or"):
            new = "or" if s == "and" else "and"
            out.append(Mutant(family, path, t.start[0], off(t.start), off(t.end), new,
                              "%s -> %s" % (s, new), "logic"))
        elif t.type == tokenize.NUMBER and re.fullmatch(r"\d+", s):
            v = int(s)
            out.append(Mutant(family, path, t.start[0], off(t.start), off(t.end), str(v + 1),
                              "%s -> %d" % (s, v + 1), "const+1"))
            if v >= 1:
                out.append(Mutant(family, path, t.start[0], off(t.start), off(t.end),
                                  str(v - 1), "%s -> %d" % (s, v - 1), "const-1"))
        elif t.type == tokenize.NAME and s in ("if", "while"):
            # condition up to the ':' (statement) or to the end of the comprehension clause
            depth, k = 0, idx + 1
            while k < len(code):
                x = code[k].string
                if x in ("(", "[", "{"):
                    depth += 1
                elif x in (")", "]", "}"):
                    if depth == 0:
                        break
                    depth -= 1
                elif depth == 0 and (x == ":" or x in ("for", "else") or
                                     code[k].type == tokenize.NEWLINE):
                    break
                k += 1
            if k == idx + 1:
                continue
            a, b = off(code[idx + 1].start), off(code[k - 1].end)
            out.append(Mutant(family, path, t.start[0], a, b, "not (" + src[a:b] + ")",
                              "%s c -> %s not (c)" % (s, s), "negate"))
        elif t.type == tokenize.NAME and s == "return":
            k = idx + 1
            while k < len(code) and code[k].type != tokenize.NEWLINE:
                k += 1
            if k == idx + 1:
                continue
            a, b = off(code[idx + 1].start), off(code[k - 1].end)
            out.append(Mutant(family, path, t.start[0], a, b, "None", "return value -> None",
                              "return"))
    # Simple statements dropped (replaced by pass): assignments and calls at a line start.
    starts = [0] + [i + 1 for i, t in enumerate(code) if t.type in (tokenize.NEWLINE,
                                                                       tokenize.INDENT,
                                                                       tokenize.DEDENT)]
    for s0 in sorted(set(starts)):
        if s0 >= len(code):
            continue
        t = code[s0]
        if t.type != tokenize.NAME or t.string in ("def", "class", "import", "from", "if", "for",
                                                   "while", "return", "try", "with", "else",
                                                   "elif", "except", "finally", "pass", "raise",
                                                   "global", "nonlocal", "assert", "del",
                                                   "yield", "break", "continue"):
            continue
        k = s0
        while k < len(code) and code[k].type != tokenize.NEWLINE:
            k += 1
        if k >= len(code):
            continue
        a, b = off(code[s0].start), off(code[k - 1].end)
        short = " ".join(src[a:b].split())
        if len(short) > 50:
            short = short[:47] + "..."
        out.append(Mutant(family, path, t.start[0], a, b, "pass",
                          "statement dropped: %s" % short, "drop"))
    return out


# ------------------------------------------------------------------ sites, sampling

def code_lines(path, src):
    """Non-blank lines that are not only comment."""
    n = 0
    in_block = False
    py = path.endswith(".py")
    for ln in src.splitlines():
        s = ln.strip()
        if in_block:
            if "*/" in s:
                in_block = False
                s = s.split("*/", 1)[1].strip()
            else:
                continue
        if not s:
            continue
        if py:
            if s.startswith("#"):
                continue
        else:
            if s.startswith("//"):
                continue
            if s.startswith("/*"):
                if "*/" not in s:
                    in_block = True
                continue
        n += 1
    return n


SIZE_EXTENSIONS = (".h", ".cpp", ".c", ".py", ".pyi", ".sh")


def print_sizes():
    """Code lines of tests/ (fixtures and fuzz corpus left out) against include/, src/, tools/, python/."""
    def count(top):
        n = 0
        for dirpath, dirnames, filenames in os.walk(os.path.join(ROOT, top)):
            dirnames[:] = sorted(d for d in dirnames if d not in ("fixtures", "corpus", "__pycache__"))
            for name in filenames:
                if name.endswith(SIZE_EXTENSIONS):
                    with open(os.path.join(dirpath, name), encoding="utf-8", errors="replace") as f:
                        n += code_lines(name, f.read())
        return n
    code = {top: count(top) for top in ("include", "src", "tools", "python")}
    tests = count("tests")
    for top, n in code.items():
        print("%-8s %6d" % (top, n))
    print("code     %6d\ntests    %6d  (%.2f of the code)" % (sum(code.values()), tests, tests / sum(code.values())))


def enumerate_sites(families):
    sites, lines = {}, {}
    for fam in families:
        sites[fam], lines[fam] = [], 0
        for path in family_files(fam):
            with open(path, encoding="utf-8") as f:
                src = f.read()
            lines[fam] += code_lines(path, src)
            if path.endswith(".py"):
                found = py_sites(fam, path, src)
            else:
                found = cpp_sites(fam, path, src)
            # one mutant per (place, replacement); a stable order
            seen = set()
            for m in sorted(found, key=lambda m: (m.start, m.end, m.new)):
                k = (m.start, m.end, m.new)
                if k in seen or src[m.start:m.end] == m.new:
                    continue
                seen.add(k)
                sites[fam].append(m)
    return sites, lines


def sample(sites, lines, count, seed):
    total = sum(lines[f] for f in sites if sites[f])
    fams = [f for f in sorted(sites) if sites[f]]
    exact = {f: count * lines[f] / total for f in fams}
    quota = {f: int(exact[f]) for f in fams}
    rest = count - sum(quota.values())
    for f in sorted(fams, key=lambda f: (-(exact[f] - quota[f]), f))[:rest]:
        quota[f] += 1
    chosen = []
    for f in fams:
        rng = random.Random("%s:%s" % (seed, f))
        q = min(quota[f], len(sites[f]))
        chosen += rng.sample(sites[f], q)
    # Run mutants of the same file together so that each build compiles one file.
    chosen.sort(key=lambda m: (ALL_FAMILIES.index(m.family), rel(m.path), m.start, m.new))
    return chosen, quota


# ------------------------------------------------------------------ running

class Sources:
    """Keeps the original bytes of every touched file and puts them back."""

    def __init__(self):
        self.orig = {}

    def mutate(self, m):
        if m.path not in self.orig:
            with open(m.path, "rb") as f:
                self.orig[m.path] = f.read()
        data = self.orig[m.path].decode("utf-8")
        data = data[:m.start] + m.new + data[m.end:]
        with open(m.path, "wb") as f:
            f.write(data.encode("utf-8"))

    def restore(self, path=None):
        for p in ([path] if path else list(self.orig)):
            if p not in self.orig:
                continue
            with open(p, "rb") as f:
                cur = f.read()
            if cur != self.orig[p]:
                with open(p, "wb") as f:
                    f.write(self.orig[p])
            os.utime(p, None)  # newer than the mutant's object: the next build recompiles it
            del self.orig[p]


CURRENT_CHILD = [None]


def run(cmd, timeout=None, env=None, cwd=ROOT):
    """Runs cmd in its own process group; returns (status, seconds, output), status 'timeout'."""
    t0 = time.monotonic()
    p = subprocess.Popen(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                         start_new_session=True)
    CURRENT_CHILD[0] = p
    try:
        out, _ = p.communicate(timeout=timeout)
        status = p.returncode
    except subprocess.TimeoutExpired:
        kill_group(p)
        out, _ = p.communicate()
        status = "timeout"
    finally:
        CURRENT_CHILD[0] = None
    return status, time.monotonic() - t0, out.decode("utf-8", "replace")


def kill_group(p):
    try:
        os.killpg(p.pid, signal.SIGKILL)
    except (ProcessLookupError, PermissionError):
        pass


def suites(args, family):
    build = args.build_dir
    env_py = dict(os.environ, PYTHONPATH=os.path.join(build, "python"), TAVGEO_BUILD_DIR=build)
    s = [("unit", [os.path.join(build, "tests", "tavgeo_tests"), "--gtest_brief=1"], None),
         # the quick tool groups first, then the two slow ones (about 6 s and 16 s)
         ("tool", ["ctest", "--test-dir", build, "-R", "^tool_", "-E", "^tool_(limits|hostile)$",
                   "-j%d" % args.jobs, "--stop-on-failure"], None),
         ("tool", ["ctest", "--test-dir", build, "-R", "^tool_(limits|hostile)$",
                   "-j%d" % args.jobs, "--stop-on-failure"], None)]
    if family in ("python", "bindings") or args.python_tests:
        s.append(("python", ["/usr/bin/python3", "-m", "pytest", "-q", "-x", "-p",
                             "no:cacheprovider", os.path.join(ROOT, "tests", "python")], env_py))
    return s


def targets(args, family):
    t = ["TavGeometry", "TavLog", "tavgeo_tests", "tavgeo"]
    if family in ("python", "bindings") or args.python_tests:
        t += ["_tavgeometry", "tavgeometry_py", "tavgeo_pyoracle"]
    return t


def build(args, family):
    cmd = ["nice", "-n", "10", "cmake", "--build", args.build_dir, "-j%d" % args.jobs,
           "--target"] + targets(args, family)
    return run(cmd)


def run_tests(args, family, limits=None):
    """Runs the suites fastest first, stopping at the first failure.

    limits[i] is the timeout of suite i (None: no limit). Returns the verdict
    ('killed', 'survived' or 'timeout'), the suite, the seconds and, with no
    limits, the seconds of every suite."""
    total = 0.0
    times = []
    for i, (name, cmd, env) in enumerate(suites(args, family)):
        status, secs, out = run(cmd, timeout=None if limits is None else limits[i], env=env)
        times.append(secs)
        total += secs
        if status == "timeout":
            return "timeout", name, total, out
        if status != 0:
            return "killed", name, total, out
    return "survived", None, total, times


def configure(args):
    if os.path.exists(os.path.join(args.build_dir, "CMakeCache.txt")):
        return
    cmd = ["nice", "-n", "10", "cmake", "-S", ROOT, "-B", args.build_dir,
           "-DCMAKE_BUILD_TYPE=Release",
           "-DCMAKE_INTERPROCEDURAL_OPTIMIZATION=OFF", "-DTAVGEO_BUILD_TOOLS=ON",
           "-DTAVGEO_BUILD_PYTHON=ON", "-DTAVGEO_BUILD_TESTS=ON"]
    status, _, out = run(cmd)
    if status != 0:
        sys.exit("configure failed:\n" + out)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--seed", default=str(DEFAULT_SEED), help="sampling seed (default %(default)s)")
    ap.add_argument("--count", type=int, default=300, help="mutants to sample (default 300)")
    ap.add_argument("--jobs", type=int, default=2, help="build and ctest parallelism (default 2)")
    ap.add_argument("--families", default=",".join(DEFAULT_FAMILIES),
                    help="comma-separated families among %s (default: all but bindings)"
                    % ",".join(ALL_FAMILIES))
    ap.add_argument("--with-bindings", action="store_true",
                    help="also mutate the binding sources python/src (slow to compile)")
    ap.add_argument("--python-tests", action="store_true",
                    help="run the Python tests for C++ mutants too (always for Python mutants)")
    ap.add_argument("--timeout", type=float, default=None,
                    help="timeout of each test suite per mutant in seconds (default: "
                         "--timeout-factor x the suite's measured baseline time, at least 10 s)")
    ap.add_argument("--timeout-factor", type=float, default=5.0,
                    help="multiple of the baseline time a suite may take (default 5)")
    ap.add_argument("--build-dir", default=os.path.join(ROOT, "build-mut"))
    ap.add_argument("--list", action="store_true", help="print the chosen mutants and stop")
    ap.add_argument("--keep-going", action="store_true",
                    help="go on when a build fails for a reason other than the mutant "
                         "(by default the run stops)")
    ap.add_argument("--json", default=None, help="results file (default <build-dir>/mutants.json)")
    ap.add_argument("--stats", action="store_true", help="print the site counts per family")
    ap.add_argument("--sizes", action="store_true",
                    help="print the code lines of the tests against those of the code and stop")
    ap.add_argument("--survivors-of", metavar="JSON", default=None,
                    help="run only the mutants that survived in this results file (same seed, "
                         "count and families), e.g. again with --python-tests")
    args = ap.parse_args()
    if args.sizes:
        print_sizes()
        return
    args.build_dir = os.path.abspath(args.build_dir)
    fams = [f for f in args.families.split(",") if f]
    if args.with_bindings and "bindings" not in fams:
        fams.append("bindings")
    for f in fams:
        if f not in ALL_FAMILIES:
            sys.exit("unknown family %s" % f)
    sites, lines = enumerate_sites(fams)
    chosen, quota = sample(sites, lines, args.count, args.seed)
    if args.survivors_of:
        with open(args.survivors_of) as f:
            prev = json.load(f)
        keep = {r["key"] for r in prev["mutants"] if r["verdict"] == "survived"}
        chosen = [m for m in chosen if m.key() in keep]
        if len(chosen) != len(keep):
            sys.exit("%s does not match this mutant set (%d of %d survivors found)"
                     % (args.survivors_of, len(chosen), len(keep)))
    if args.stats or args.list:
        for f in fams:
            print("# %-9s %5d code lines %5d sites %4d sampled" % (f, lines[f], len(sites[f]),
                                                                   quota.get(f, 0)))
    if args.list:
        for m in chosen:
            print(m.describe())
        return 0
    if args.stats:
        return 0

    json_path = args.json or os.path.join(args.build_dir, "mutants.json")
    srcs = Sources()

    def on_signal(signum, frame):
        if CURRENT_CHILD[0] is not None:
            kill_group(CURRENT_CHILD[0])
        raise KeyboardInterrupt("signal %d" % signum)

    signal.signal(signal.SIGINT, on_signal)
    signal.signal(signal.SIGTERM, on_signal)

    t_start = time.monotonic()
    results = []
    interrupted = False
    try:
        configure(args)
        # The whole tree once: the tool tests install every target (the Python
        # module included), so a fresh build directory needs them all.
        status, secs, out = run(["nice", "-n", "10", "cmake", "--build", args.build_dir,
                                 "-j%d" % args.jobs])
        if status != 0:
            sys.exit("the unmutated sources do not build:\n" + out[-3000:])
        base = {}  # family kind -> seconds of each suite on the unmutated sources

        def baseline(kind):
            if kind not in base:
                verdict, suite, tsecs, times = run_tests(args, kind)
                if verdict != "survived":
                    sys.exit("the tests fail on the unmutated sources (%s):\n%s"
                             % (suite, times[-3000:]))
                base[kind] = times
                print("baseline (%s mutants): tests pass in %s s" % (
                    "C++" if kind == "geometry" else "Python",
                    " + ".join("%.1f" % t for t in times)), flush=True)
            return base[kind]

        baseline("python" if args.python_tests else "geometry")
        for i, m in enumerate(chosen, 1):
            kind = "python" if m.family in ("python", "bindings") or args.python_tests \
                else "geometry"
            if kind not in base:
                srcs.restore()  # the baseline runs on the original sources
                status, _, out = run(["nice", "-n", "10", "cmake", "--build", args.build_dir,
                                      "-j%d" % args.jobs, "--target"] + targets(args, kind))
                if status != 0:
                    sys.exit("the unmutated sources do not build:\n" + out[-3000:])
                baseline(kind)
            if args.timeout:
                limits = [args.timeout] * len(base[kind])
            else:
                limits = [max(10.0, args.timeout_factor * t) for t in base[kind]]
            t0 = time.monotonic()
            srcs.mutate(m)
            bstatus, bsecs, bout = build(args, m.family)
            if bstatus != 0:
                verdict, suite, tsecs = "discarded", None, 0.0
            else:
                verdict, suite, tsecs, out = run_tests(args, m.family, limits)
            srcs.restore(m.path) if (i == len(chosen) or chosen[i].path != m.path) else None
            dt = time.monotonic() - t0
            # The unit runner runs every test, so a kill there names each test that failed.
            failed = sorted(set(re.findall(r"^\[  FAILED  \] ([\w/.]+)", out, re.M))) \
                if verdict == "killed" and suite == "unit" else []
            results.append({"key": m.key(), "family": m.family, "file": rel(m.path),
                            "line": m.line, "op": m.op, "what": m.what, "verdict": verdict,
                            "suite": suite, "failed_tests": failed,
                            "build_s": round(bsecs, 2), "test_s": round(tsecs, 2)})
            write_json(results, time.monotonic() - t_start, args, fams, lines, json_path, True)
            print("[%3d/%d] %-16s %s (build %.1f s, tests %.1f s)" % (
                i, len(chosen), verdict + ("" if suite is None else "/" + suite),
                m.describe(), bsecs, tsecs), flush=True)
    except KeyboardInterrupt as e:
        interrupted = True
        print("interrupted (%s): restoring sources" % e, file=sys.stderr, flush=True)
    finally:
        # A second signal must not cut the restore short.
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        signal.signal(signal.SIGTERM, signal.SIG_IGN)
        srcs.restore()
    elapsed = time.monotonic() - t_start
    report(results, elapsed, args, fams, lines, json_path, interrupted)
    return 130 if interrupted else 0


def report(results, elapsed, args, fams, lines, json_path, interrupted):
    k, s, t, d, score = counts(results)
    print()
    print("per family:")
    for f in fams:
        rs = [r for r in results if r["family"] == f]
        if not rs:
            continue
        fk, fs, ft, fd, fsc = counts(rs)
        print("  %-9s killed %3d, survived %3d, timed out %2d, discarded %3d, score %5.1f%%" % (
            f, fk, fs, ft, fd, fsc))
    print("killed %d, survived %d, timed out %d, discarded %d, score %.1f%% "
          "(killed+timed out)/(killed+timed out+survived)" % (k, s, t, d, score))
    surv = sorted((r for r in results if r["verdict"] == "survived"),
                  key=lambda r: (r["file"], r["line"], r["what"]))
    print("survivors:")
    for r in surv:
        print("  %s:%d: %s" % (r["file"], r["line"], r["what"]))
    print("elapsed %.0f s (%.1f min)%s" % (elapsed, elapsed / 60,
                                            ", interrupted" if interrupted else ""))
    write_json(results, elapsed, args, fams, lines, json_path, interrupted)
    print("results written to %s" % json_path)


def counts(rs):
    k = sum(r["verdict"] == "killed" for r in rs)
    s = sum(r["verdict"] == "survived" for r in rs)
    t = sum(r["verdict"] == "timeout" for r in rs)
    d = sum(r["verdict"] == "discarded" for r in rs)
    score = 100.0 * (k + t) / (k + t + s) if k + t + s else 0.0
    return k, s, t, d, score


def write_json(results, elapsed, args, fams, lines, json_path, partial):
    k, s, t, d, score = counts(results)
    per = {}
    for f in fams:
        rs = [r for r in results if r["family"] == f]
        if rs:
            fk, fs, ft, fd, fsc = counts(rs)
            per[f] = {"killed": fk, "survived": fs, "timeout": ft, "discarded": fd,
                      "score": round(fsc, 1), "code_lines": lines[f]}
    os.makedirs(os.path.dirname(json_path), exist_ok=True)
    with open(json_path + ".tmp", "w") as f:
        json.dump({"seed": args.seed, "count": args.count, "families": fams,
                   "python_tests": args.python_tests, "elapsed_s": round(elapsed, 1),
                   "incomplete": partial,
                   "totals": {"killed": k, "survived": s, "timeout": t, "discarded": d,
                              "score": round(score, 1)},
                   "per_family": per, "mutants": results}, f, indent=1)
    os.replace(json_path + ".tmp", json_path)


if __name__ == "__main__":
    sys.exit(main())
