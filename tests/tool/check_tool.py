#!/usr/bin/env python3
"""Runs the installed tavgeo on the fixtures; each group is one CTest test. In a command or a message, @name is a
fixture's path and %name a file's in the work directory; text after ' << ' is the standard input."""
import argparse
import json
import math
import os
import random
import re
import resource
import shlex
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET

A, FAILURES, NS = None, [], "{http://www.w3.org/2000/svg}"


def path(word):
    base = {"@": A.fixtures, "%": A.work}.get(word[:1])
    return word if base is None else os.path.join(base, word[1:]) if word[1:] else base


def run(cmd, stdin=None, timeout=240):
    if isinstance(cmd, str):
        cmd, _, data = cmd.partition(" << ")
        cmd, stdin = [path(w) for w in shlex.split(cmd)], data.encode("latin-1") if stdin is None else stdin
    proc = subprocess.run([A.tavgeo] + cmd, input=stdin or b"", capture_output=True, timeout=timeout, cwd=A.work)
    return proc.returncode, proc.stdout.decode("utf-8", "replace"), proc.stderr.decode("utf-8", "replace")


def check(cond, what):
    if not cond:
        FAILURES.append(what)
        print("FAIL:", what)
    return cond


def same(got, want, tol=1e-9):
    """Numbers within tol; a dict matches the keys it names (an int key indexes a list, "len" its length)."""
    if isinstance(want, dict) and isinstance(got, list):
        return all(len(got) == v if k == "len" else -len(got) <= k < len(got) and same(got[k], v, tol)
                   for k, v in want.items())
    if isinstance(want, dict):
        return isinstance(got, dict) and all(k in got and same(got[k], v, tol) for k, v in want.items())
    if isinstance(want, list):
        return isinstance(got, list) and len(got) == len(want) and all(same(g, w, tol) for g, w in zip(got, want))
    if isinstance(want, bool) or isinstance(got, bool) or not isinstance(want, (int, float)):
        return type(got) is type(want) and got == want
    return isinstance(got, (int, float)) and abs(got - want) <= tol * max(1.0, abs(want))


def expect(cmd, want={}, tol=1e-9, stdin=None):
    """A success: status 0, one line of JSON (unless --pretty) that matches want, nothing on stderr."""
    rc, out, err = run(cmd, stdin)
    try:
        j = json.loads(out) if rc == 0 and err == "" and (out.count("\n") == 1 or "--pretty" in cmd) else None
    except ValueError:
        j = None
    check(j is not None and out.endswith("\n") and same(j, want, tol), f"{cmd}: {rc} {out[:300]!r} {err!r}, not {want}")
    return j


def expect_error(cmd, message, status=2):
    """A failure: the status, the one line on stderr, nothing on stdout, and no picture or temporary file left."""
    head, sep, data = cmd.partition(" << ")
    rc, out, err = run(head + " --svg %must-not-exist.svg" + sep + data)
    message = "tavgeo: " + re.sub(r"[@%][\w.-]*", lambda m: path(m.group()), message) + "\n"
    check(rc == status and out == "" and err == message, f"{cmd}: status {rc}, {out[:80]!r}, {err!r}, not {message!r}")
    check(not any(f == "must-not-exist.svg" or f.startswith(".tavgeo-") for f in os.listdir(A.work)),
          f"{cmd}: left a file")


def svg_ok(file):
    """A valid picture with a legend of at least two entries and axis labels."""
    try:
        g = {e.get("id"): e for e in ET.parse(file).getroot().iter(NS + "g")}
        return len(list(g["ticks"].iter(NS + "text"))) >= 4 and len(list(g["legend"].iter(NS + "text"))) >= 2
    except (ET.ParseError, OSError, KeyError):
        return False


# Failures, one a line (command | message) under [group].
ERRORS = """
[input]
fit-line @bad_number.txt | @bad_number.txt:3: y 'abc' is not a number
fit-line @bad_missing.txt | @bad_missing.txt:2: missing y coordinate
fit-line @bad_missing_comma.txt | @bad_missing_comma.txt:2: missing y coordinate after ','
fit-line @bad_three.txt | @bad_three.txt:2: 3 values; a point is 'x y' or 'x,y'
fit-line @bad_inf.txt | @bad_inf.txt:2: y 'inf' is not finite
fit-line @bad_range.txt | @bad_range.txt:2: y '1e400' is out of range
fit-line @bad_limit.txt | @bad_limit.txt:2: coordinate beyond the limit of +-1e+09
fit-line @bad_json_missing.json | @bad_json_missing.json:2: missing y coordinate
fit-line @bad_json_comma.json | @bad_json_comma.json:2: expected ',' or ']' after a point, found '['
fit-line @bad_json_three.json | @bad_json_three.json:1: more than 2 values in a point; expected [x, y]
fit-line @bad_json_trailing.json | @bad_json_trailing.json:1: unexpected text after the array of points
fit-line << # x y\\n\\n # more\\n[[1, 2],\\n[3]]\\n | <stdin>:5: missing y coordinate
fit-line << \\x00\\x01\\xff 2\\n | <stdin>:1: x '???' is not a number
fit-line << caf\\xc3\\xa9 2\\n | <stdin>:1: x 'caf\\u00e9' is not a number
fit-line | <stdin>: fit-line needs at least 2 points, got 0
fit-line @no-such-file.txt | '@no-such-file.txt': cannot open: No such file or directory
fit-line @ | @: cannot read: is a directory
fit-line @line_stray.txt --reject=-2 | --reject: '-2' is negative; a count is 0 or more
fit-line @line_stray.txt --reject two | --reject: 'two' is not a whole number
fit-line @line_stray.txt --reject +-2 | --reject: '+-2' is not a whole number
inside @square10.txt --point +-5,1 | --point x: '+-5' is not a number
fit-lin @line_stray.txt | unknown subcommand 'fit-lin' (see tavgeo --help)
--bogus | unknown option '--bogus' (see tavgeo --help)
fit-line @line_stray.txt --no-such-option | The following argument was not expected: --no-such-option (see tavgeo \
--help)
[fits]
fit-line @two_points.txt --reject 1 | @two_points.txt: fit-line --reject 1 needs at least 3 points, got 2
fit-circle @collinear.txt | @collinear.txt: no circle fits these points (Not circle; Diagonal line)
fit-circle @circle_four.txt --reject 2 | @circle_four.txt: fit-circle --reject 2 needs at least 5 points, got 4
fit-circle << 0 0\\n1 0\\n2 0\\n | <stdin>: no circle fits these points (Not circle; Point, horizontal or vertical line)
ransac-line @line_outlier.txt | --outliers is required (see tavgeo --help)
ransac-line @line_outlier.txt --outliers 11 | @line_outlier.txt: ransac-line --outliers 11 needs at least 13 points, \
got 12
[regions]
region disk @disk.txt --size 64 | --size: '64' is not a size WxH (for example 640x480)
region disk @disk.txt --size=-5x5 | --size: '-5x5' has a negative side
region disk @disk.txt --size 0x5 | --size: '0x5' must have sides from 1 to 100000
region disk @disk.txt --size 100001x5 | --size: '100001x5' must have sides from 1 to 100000
region blob @disk.txt --size 8x8 | region: 'blob' is not a shape; use disk, annulus or polygon
region disk @annulus.txt --size 8x8 | @annulus.txt: region disk takes 2 points (centre, rim point), got 3
region annulus @disk.txt --size 8x8 | @disk.txt: region annulus takes 3 points (centre, two rim points), got 2
region disk --size 8x8 << 0 0\\n300000 0\\n | <stdin>:2: radius 300000 is more than the limit of 200000
region polygon --size 8x8 << 0 0\\n1 0\\n0 2000000\\n | <stdin>:3: region points must lie within +-1e+06
[scans]
spokes @collinear.txt --length 5 --spacing 1 | @collinear.txt: the 3 points lie on a line (or nearly); no arc passes \
through them
spokes @two_points.txt --length 5 --spacing 1 | @two_points.txt: spokes through an arc takes 3 points (start, on the \
way, end), got 2
spokes --center 0,0 --radius 10 --sweep 1 --length 5 --spacing 0 | --spacing: '0' must be greater than 0
spokes --center 0,0 --radius 10 --sweep 1 --length 5 --spacing nan | --spacing: 'nan' is not finite
spokes --center 0,0 --radius 1000 --sweep 6.28 --length 5 --spacing 0.0001 | spokes would lay about 63114000 lines, \
more than the limit of 1000000; use a larger --spacing
spokes --center 0,0 --radius 1000 --sweep 1 --length 1 --spacing 0.0010009997 | spokes would lay about 1000001 lines, \
more than the limit of 1000000; use a larger --spacing
spokes --center 0,0 --radius 10 --length 5 --spacing 1 | spokes: --center needs --sweep
spokes @arc3.txt --length 20 --spacing 10 --start 2 | spokes: --radius, --start and --sweep need --center (or give \
three points as input)
spokes --center 0;0 --radius 10 --sweep 1 --length 5 --spacing 1 | --center: '0;0' is not a point; write X,Y
rake @segment.txt --half-length 1 --spacing 0.00001 | @segment.txt: rake would lay about 10000000 lines, more than the \
limit of 1000000; use a larger --spacing
[measures]
circle-3pts @collinear.txt | @collinear.txt: the 3 points lie on a line (or nearly); no circle passes through them
circle-3pts @square10.txt | @square10.txt: circle-3pts takes 3 points, got 4
polygon-area @two_points.txt | @two_points.txt: polygon-area needs at least 3 points, got 2
inside @square10.txt --point 5,x | --point y: 'x' is not a number
[limits]
bbox %million.txt | %million.txt:1000001: more than 1000000 points (the limit)
fit-line @line_stray.txt --reject 1000001 | --reject: '1000001' is more than the limit of 1000000
fit-line %mid.txt --reject 50000 | %mid.txt: fit-line --reject 50000 on 100000 points exceeds the work limit \
(points x (rejected + 1) <= 1e+08)
ransac-line %mid.txt --outliers 10 --candidates 2001 | %mid.txt: ransac-line on 100000 points with about 2001 \
candidates exceeds the work limit (points x candidates <= 2e+08)
ransac-line %mid.txt --outliers 600 | %mid.txt: ransac-line on 100000 points with about 2220 candidates exceeds the \
work limit (points x candidates <= 2e+08)
"""


LINE0, RAKE = {"p1": [0, 0], "p2": [10000, 0]}, "rake @corner.txt --half-length 10 --spacing 10"
SPOKES = "spokes --center 0,0 --radius 100 --sweep 90deg --length 20 --spacing 10"
VALUES = {
    "fits": [  # eleven points 0.25 off the line, one 2.75
        ("fit-line @line_stray.txt", {"line": {"p1": [0, .25], "p2": [10000, .25]}, "rejected": [],
                                      "error": (11 * .25 + 2.75) / 12}),
        ("fit-circle @unit_circle.json", {"circle": {"center": [0, 0], "radius": 1}, "error": 0}, 1e-12),
        ("fit-circle @circle_four.txt", {"error": 0.0902}, 2e-3),
        ("fit-circle @circle_four.txt --reject 1", {"error": 0, "rejected": [[4, 4]]}),  # three points left
        ("ransac-line @line_outlier.txt --outliers 1 --candidates 50", {"line": LINE0, "rejected": [[5, 50]]}),
        ("ransac-line @line_outlier.txt --outliers 1 --candidates 50", {"error": 0}, 1e-12)],
    "regions": [
        ("region polygon @square_small.txt --size 10x10 --perimeter", {
            "rle": [10, 10, 1, 4, 1, 4, 1, 1, 3, -1, 2, 1, 3, -1, 3, 1, 3, -1, -1], "pixels": 12, "rows": 3,
            "runs": [[1, 1, 3], [2, 1, 3], [3, 1, 3]], "boundingBox": {"x": 1, "y": 1, "width": 4, "height": 4},
            "perimeterCount": 10,
            "perimeter": [[1, 1], [2, 1], [3, 1], [4, 1], [1, 2], [4, 2], [1, 3], [2, 3], [3, 3], [4, 3]]}),
        ("region disk @disk.txt --size 20x20 --perimeter", {
            "rle": [20, 20, 3, 7, 3, 7, 3, 5, 0, -1, 4, 3, 3, -1, 5, 3, 4, -1, 6, 3, 3, -1, 7, 5, 0, -1, -1],
            "boundingBox": {"x": 3, "y": 3, "width": 5, "height": 5}, "pixels": 15, "perimeter": [
                [5, 3], [5, 3], [3, 4], [4, 4], [6, 4], [3, 5], [7, 5], [3, 6], [4, 6], [6, 6], [5, 7], [5, 7]]}),
        ("region annulus @annulus.txt --size 20x20", {"pixels": 32, "rle": [  # rows 4 and 6 meet in column 5: once
            20, 20, 2, 8, 2, 8, 2, 5, 0, -1, 3, 3, 4, -1, 4, 2, 3, 5, 3, -1, 5, 2, 2, 6, 2, -1, 6, 2, 3, 5, 3, -1, 7, 3,
            4, -1, 8, 5, 0, -1, -1]}),
        # Past the left edge: a run from column -1 is not a terminator, and column 0 is an edge.
        ("region disk --size 8x8 --perimeter << 0 2\n2 2\n", {
            "rle": [8, 8, -2, 2, 0, 4, 0, 0, 0, -1, 1, -1, 3, -1, 2, -1, 4, -1, 3, -1, 3, -1, 4, 0, 0, -1, -1],
            "runs": [[0, 0, 0], [1, -1, 3], [2, -1, 4], [3, -1, 3], [4, 0, 0]], "perimeter": [
                [0, 0], [0, 0], [0, 1], [1, 1], [2, 1], [0, 2], [3, 2], [0, 3], [1, 3], [2, 3], [0, 4], [0, 4]]}),
        ("region disk --size 8x8 --perimeter << 1 1\n3 1\n", {"runs": {0: [-1, 1, 0]}, "perimeter": [  # row -1 dropped
            [0, 0], [1, 0], [2, 0], [3, 0], [0, 1], [4, 1], [0, 2], [2, 2], [3, 2], [1, 3], [1, 3]]}),
        # A later run from column -1 (row 3: -4..-1 and -1..2) is a run, not the record's end.
        ("region annulus --size 10x10 << -2 5\n2 5\n0 5\n", {"rows": 9, "pixels": 46, "runs": {
            3: [3, -1, 3], 4: [4, -5, 2], 5: [4, 0, 2], -1: [9, -1, 0]}})],
    "scans": [
        (SPOKES.replace("20", "-20"), {"spokes": {0: {"p1": [100, 0], "p2": [80, 0]}, -1: {"p2": [0, 80]}, "len": 15}}),
        (SPOKES, {"count": 18, "arc": {"sweepAngle": math.pi / 2}, "spokes": {
            0: {"p1": [100, 0], "p2": [120, 0]}, -1: {"p1": [0, 100], "p2": [0, 120]}, "len": 18}}),
        ("spokes @arc3.txt --length 20 --spacing 10", {  # outer arc 80 pi / 2 = 125.66 long: 12 spokes
            "arc": {"center": [100, 100], "radius": 60, "startAngle": 0, "sweepAngle": math.pi / 2}, "count": 12,
            "spokes": {0: {"p2": [180, 100]}}}),
        ("rake @segment.txt --half-length 10 --spacing 25", {"lines": [{"p1": [x, 10], "p2": [x, -10]} for x in (
            25, 50, 75)]}),
        (RAKE, {"count": 21, "lines": {0: {"p1": [10, 10], "p2": [10, -10]}, "len": 21}}),
        (RAKE, {"lines": {9: {"p2": [99.5885, -7.5517]}}}, 1e-4)],
    "measures": [
        ("circle-3pts @circle3.txt", {"circle": {"center": [2, 0], "radius": 2}}, 1e-12),
        ("polygon-area @square10.txt", {"area": 100}), ("polygon-area << 0 0\n4 0\n0 3\n", {"area": 6}),
        ("bbox @bbox.txt", {"boundingBox": {"x": 2, "y": 3, "width": 4, "height": 5}}),
        ("inside @square10.txt --point 5,5 --point 0,5 --point 10,5 --point '5 10' --point -1,5", {"results": [
            {"point": p, "inside": i} for p, i in zip([[5, 5], [0, 5], [10, 5], [5, 10], [-1, 5]], [True, True, False,
                                                                                                  False, False])]})],
}


def read(name):
    return open(path(name), "rb").read()


def group_input():
    box = {"input": {"points": 4}, "boundingBox": {"x": 0, "y": -6, "width": 6, "height": 11}}
    for cmd, stdin in (("bbox @mixed.txt", None), ("bbox @mixed.json", None), ("bbox", read("@mixed.txt")),
                       ("bbox -", read("@mixed.json")), ("bbox", b"\xef\xbb\xbf[[0, 0], [1, 2], [3, 4], [5, -6]]")):
        expect(cmd, {**box, "input": {"points": 4, "source": path(cmd[5:]) if "@" in cmd else "<stdin>"}}, stdin=stdin)
    expect("bbox @crlf.txt", {"input": {"points": 2}})
    expect("bbox << # header\n[[0, 0], [4, 2]]", {"boundingBox": {"width": 5, "height": 3}})  # JSON after comments
    # Every point-reading subcommand gives the same result from a file and from standard input.
    for cmd in ("fit-line @line_stray.txt", "ransac-line --outliers 1 @line_outlier.txt", "circle-3pts @circle3.txt",
                "spokes --length 5 --spacing 3 @arc3.txt", "rake --half-length 5 --spacing 7 @corner.txt"):
        f = re.search(r"@\S+", cmd).group()
        from_file = expect(cmd, {"input": {"source": path(f)}})
        if from_file:
            from_file["input"]["source"] = "<stdin>"
            check(from_file == expect(cmd.replace(" " + f, ""), stdin=read(f)), f"{cmd}: file and stdin differ")
    open(path("%keep.svg"), "w").write("keep")  # a failed run leaves an existing picture alone
    check(run("fit-line @bad_number.txt --svg %keep.svg")[0] == 2 and read("%keep.svg") == b"keep", "keep.svg changed")
    refused = ("", "tavgeo: --svg: needs a file name (see tavgeo --help)\n")
    check(run("fit-line @line_stray.txt --svg ''")[1:] == refused, "an empty --svg was not refused")
    check(run("demo --out ''")[0] == 2, "an empty demo --out was not refused as bad input")
    rc, out, err = run("fit-line @line_stray.txt --svg %no/such/dir/x.svg")
    check(rc == 1 and err.startswith("tavgeo: cannot write ") and err.count("\n") == 1 and out == "", f"{rc} {err!r}")
    # A link is written through, never replaced; a replaced file keeps its mode.
    open(path("%target.svg"), "w").write("old")
    os.symlink("target.svg", path("%link.svg"))
    os.chmod(path("%target.svg"), 0o640)
    check(expect("fit-line @line_stray.txt --svg %link.svg") and os.path.islink(path("%link.svg")) and
          svg_ok(path("%target.svg")), "the link was replaced or its target not written")
    check(expect("fit-line @line_stray.txt --svg %target.svg") and os.stat(path("%target.svg")).st_mode & 0o777 == 0o640,
          "the picture's mode changed")
    # The picture never goes through a file or link planted where a temporary file could be, nor over its input;
    # a name near the file system's limit is written; a file name reaches a message only as printable text.
    open(path("%victim.txt"), "w").write("keep")
    rc = subprocess.run(["sh", "-c", 'ln -s victim.txt "race.svg.tmp-$$" && exec "$0" bbox "$1" --svg race.svg',
                         A.tavgeo, path("@bbox.txt")], cwd=A.work, capture_output=True).returncode
    check(rc == 0 and read("%victim.txt") == b"keep" and svg_ok(path("%race.svg")), "a planted link was written through")
    shutil.copy(path("@line_stray.txt"), path("%own.txt"))
    for svg in ("%own.txt", "%./own.txt"):
        check(run(f"fit-line %own.txt --svg {svg}")[2] == f"tavgeo: --svg: '{path(svg)}' is the input file\n" and
              read("%own.txt") == read("@line_stray.txt"), f"--svg {svg} over the input")
    with open(path("%own.txt"), "rb") as own:  # standard input read from the file named by --svg
        proc = subprocess.run([A.tavgeo, "fit-line", "--svg", "/dev/stdin"], stdin=own, capture_output=True)
    check(proc.returncode == 2 and read("%own.txt") == read("@line_stray.txt"), "--svg over standard input's file")
    # Output that cannot be written is a failure (status 1, one line), and a failed run keeps the old picture.
    for cmd in ("fit-line @line_stray.txt --svg keep.svg", "--help", "region --help", "--version", "demo --out demo2"):
        proc = subprocess.run(["sh", "-c", 'exec "$0" "$@" > /dev/full', A.tavgeo] + [path(w) for w in shlex.split(cmd)],
                              cwd=A.work, capture_output=True)
        check(proc.returncode == 1 and proc.stderr == b"tavgeo: cannot write to standard output\n", f"{cmd} > /dev/full")
    check(read("%keep.svg") == b"keep", "a run that could not print replaced its picture")
    # An empty value is refused, not taken for an option left out.
    for cmd, want in (("fit-line ''", "input: needs a file name or -"), ("spokes --start '' --length 5 --spacing 3",
                      "--start: needs a value"), ("spokes --center '' --length 5 --spacing 3", "--center: needs a value")):
        check(run(cmd + " << 0 0\n1 1\n2 0\n") == (2, "", f"tavgeo: {want} (see tavgeo --help)\n"), f"{cmd}")
    check(run("fit-line << 1 2,\n3 4\n")[2] == "tavgeo: <stdin>:1: unexpected ',' at the end\n", "a trailing comma")
    check(expect(f"bbox @bbox.txt --svg %{'a' * 251}.svg"), "a picture with a 255-byte name")
    proc = subprocess.run(["sh", "-c", 'ulimit -f 1 && exec "$0" region disk --size 999x999 --perimeter --svg big.svg',
                           A.tavgeo], input=b"500 500\n900 500\n", cwd=A.work, capture_output=True)  # ended by SIGXFSZ
    check(proc.returncode == -25 and not any(f.startswith(".tavgeo-") or f == "big.svg" for f in os.listdir(A.work)),
          f"a signal during the write left its temporary file ({proc.returncode})")
    odd = os.path.join(os.fsencode(A.work), b"odd\x1b[2J\xc2\x9b\xff\xc3\xa9.txt")
    open(odd, "w").write("x 1\n")
    err = run(["fit-line", odd])[2]
    check(err == "tavgeo: " + path("%odd?[2J???\u00e9.txt") + ":1: x 'x' is not a number\n", f"file name shown as {err!r}")
    check(run("") == (2, "", "tavgeo: A subcommand is required (see tavgeo --help)\n"), "no subcommand")


def group_fits():
    j = expect("fit-line @line_stray.txt --reject 1 --pretty", {"line": LINE0, "error": 0.25, "rejected": [[5, 3]]})
    check(j and list(j) == ["command", "input", "line", "angle", "error", "rejected"], f"fit-line fields {j}")


def group_svg():
    shutil.copy(path("@circle_four.txt"), path("%a&b<c>'\".txt"))  # XML special characters in a file name
    for i, cmd in enumerate(["fit-line @line_stray.txt --reject 1", "fit-circle %a&b<c>\\'\\\".txt --reject 1", RAKE,
                             "region polygon @square_small.txt --size 100000x100000", "circle-3pts @circle3.txt",
                             "ransac-line @line_outlier.txt --outliers 1", "bbox @bbox.txt",
                             "region annulus @annulus.txt --size 20x20 --perimeter", "polygon-area @square10.txt",
                             "inside @square10.txt --point 50,5", "spokes @arc3.txt --length 20 --spacing 10"]):
        check(expect(f"{cmd} --svg %pic{i}.svg") and svg_ok(path(f"%pic{i}.svg")), f"{cmd}: no valid picture")
    title = ET.parse(path("%pic1.svg")).getroot().find(NS + "title")
    check(title is not None and "a&b<c>'\".txt" in (title.text or ""), "file name not kept in the SVG title")
    check("rejected points (1)" in open(path("%pic0.svg")).read(), "fit-line legend lacks the rejected points")


def group_demo():
    rc, stdout, err = run(["demo", "--out", path("%demo")])
    files = sorted(os.listdir(path("%demo"))) if rc == 0 else []
    svgs, html = [f for f in files if f.endswith(".svg")], open(path("%demo/index.html")).read() if "index.html" in files else ""
    check(all(w in stdout for w in ("circle", "radius", "spokes")) and "rake" in stdout.lower(), f"{rc} {err}")
    check(html and len(svgs) == 6 and all(f'src="{s}"' in html and svg_ok(path("%demo/" + s)) for s in svgs), files)
    rc, _, err = run(["demo", "--out", os.path.join(path("@disk.txt"), "sub")])
    check(rc == 1 and err.startswith("tavgeo: cannot create "), f"demo into a file path: status {rc}, {err!r}")
    rc, stdout, _ = run(["demo", "--out", path("%demo\x1b[2J")])
    check(rc == 0 and "\x1b" not in stdout and "demo?[2J/index.html" in stdout, "demo printed its directory raw")


def group_limits():
    # A million points is accepted, one more is refused, quickly and in bounded memory.
    open(path("%million.txt"), "w").writelines(f"{i % 1000} {i // 1000 + 0.5 * (i % 7)}\n" for i in range(1000000))
    expect("fit-line %million.txt", {"input": {"points": 1000000}})
    check(expect("fit-circle %million.txt --svg %million.svg") and os.path.getsize(path("%million.svg")) < 64 << 20,
          "a million points not drawn within 64 MiB")
    open(path("%million.txt"), "a").write("1 1\n")
    open(path("%mid.txt"), "w").writelines(f"{i} {i % 3}\n" for i in range(100000))
    j = expect("ransac-line %mid.txt --outliers 10 --candidates 2000")
    check(j and len(j["rejected"]) == 10, "ransac-line at the work limit did not run")
    # The polygon fills a 100000 x 100000 image, the disk has radius 99999; their lists stay small.
    j = expect("region polygon --size 100000x100000 --perimeter --svg %huge.svg << 0 0\n99999 0\n99999 99999\n0 "
               "99999\n", {"rows": 99999, "boundingBox": {"width": 100000}})
    check(j and j["perimeterCount"] < 500000, f"huge polygon perimeter {j and j['perimeterCount']}")
    expect("region disk --size 100000x100000 --perimeter << 50000 50000\n149999 50000\n", {"rows": 199999})
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    check(peak < 1500 * 1024, f"peak memory of a run {peak // 1024} MiB")
    # A striped polygon whose perimeter would be every pixel, and a zigzag crossing rows too often, are refused.
    zig = [[0, 0]] + [q for k in range(0, 2000, 2) for q in ([100000, k], [100000, k + 1], [1, k + 1], [1, k + 2])]
    for size, pts, head, tail in (("100000x3000 --perimeter", zig + [[0, 2001]], "the perimeter could hold up to ",
                                   "points, more than the limit of 2000000"),
                                  ("100x100000", [[k * 0.01, (k % 2) * 3000] for k in range(2000)],
                                   "the polygon's edges cross image rows ", "times, more than the limit of 1000000")):
        rc, out, err = run(f"region polygon --size {size}", json.dumps(pts).encode())
        check(rc == 2 and err.startswith("tavgeo: <stdin>: " + head) and err.endswith(tail + "\n"), f"{err!r}")


def group_hostile():
    """Random and hostile input to every subcommand: status 0 with JSON and a valid SVG, or 2 with one line."""
    rnd = random.Random(20261206)
    subs = ["fit-line", "fit-line --reject 2", "fit-circle", "fit-circle --reject 1", "ransac-line --outliers 1",
            "region disk --size 50x50 --perimeter", "region annulus --size 50x50 --perimeter", "circle-3pts",
            "region polygon --size 60x40 --perimeter", "spokes --length 5 --spacing 2", "polygon-area", "bbox",
            "rake --half-length 3 --spacing 2", "inside --point 1,1"]
    tokens = "0 1 -1 1e308 -1e308 1e9 nan inf -0 2.5 1e-320 x , [ ] # 99999 -99999 3".split() + list("\n \t\r\x00")
    coord = lambda: rnd.choice([rnd.uniform(-100, 100), rnd.uniform(-1e6, 1e6), rnd.randint(-3, 60), 0.0])
    for i in range(300):
        kind, sub, svg = rnd.random(), rnd.choice(subs), path(f"%h{i}.svg")
        data = ("".join(rnd.choice(tokens) for _ in range(rnd.randint(0, 40))) if kind < 0.5 else
                "\n".join(f"{coord()} {coord()}" for _ in range(rnd.randint(0, 12))))
        rc, out, err = run(shlex.split(sub) + ["--svg", svg], data.encode("latin-1"), timeout=60)
        ok = err.count("\n") == 1 and out == "" and not os.path.exists(svg) if rc == 2 else rc == 0 and svg_ok(svg)
        check(ok and (rc == 2 or json.loads(out)), f"hostile run {i}: tavgeo {sub} on {data[:80]!r}: {rc} {err!r}")


def main():
    global A
    p = argparse.ArgumentParser()
    for a in ("--tavgeo", "--fixtures", "--work", "--group"):
        p.add_argument(a, required=True)
    A = p.parse_args()
    A.tavgeo, A.fixtures, A.work = (os.path.abspath(x) for x in (A.tavgeo, A.fixtures, A.work))
    shutil.rmtree(A.work, ignore_errors=True)
    os.makedirs(A.work)
    if check(os.access(A.tavgeo, os.X_OK), "no installed tavgeo at " + A.tavgeo):
        globals().get("group_" + A.group, lambda: None)()
        rows = ERRORS.split(f"[{A.group}]\n")[1].split("\n[")[0].strip().split("\n") if f"[{A.group}]" in ERRORS else []
        for row in rows:  # \n and \xNN in a row are escapes
            expect_error(*(cell.encode("latin-1").decode("unicode_escape") for cell in row.split(" | ")))
        for row in VALUES.get(A.group, []):
            expect(*row)
    print(f"{A.group}: {len(FAILURES)} failure(s)")
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
