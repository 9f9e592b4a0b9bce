#!/usr/bin/env python3
"""Runs the installed tavgeo binary on the fixture files and checks its output.

Each group is one CTest test: input, fits, regions, scans, measures, svg, demo,
limits, hostile. A check names what it ran and what it expected when it fails.
"""
import argparse
import json
import math
import os
import resource
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET

ARGS = None
FAILURES = []
SVG_NS = "{http://www.w3.org/2000/svg}"


def fixture(name):
    return os.path.join(ARGS.fixtures, name)


def work(name):
    return os.path.join(ARGS.work, name)


def run(args, stdin=None, timeout=120):
    """Runs tavgeo; returns (exit status, stdout, stderr) as text."""
    # Never inherit the test runner's standard input: a run that reads it gets an empty pipe.
    proc = subprocess.run([ARGS.tavgeo] + args, input=stdin if stdin is not None else b"", capture_output=True,
                          timeout=timeout, cwd=ARGS.work)
    return proc.returncode, proc.stdout.decode("utf-8", "replace"), proc.stderr.decode("utf-8", "replace")


def check(cond, what):
    if not cond:
        FAILURES.append(what)
        print("FAIL:", what)
    return cond


def close(a, b, tol=1e-9):
    if isinstance(a, list) and isinstance(b, list):
        return len(a) == len(b) and all(close(x, y, tol) for x, y in zip(a, b))
    if a is None or b is None:
        return False
    return abs(a - b) <= tol * max(1.0, abs(b))


def run_json(args, stdin=None, timeout=120):
    rc, out, err = run(args, stdin, timeout)
    label = "tavgeo " + " ".join(args)
    if not check(rc == 0, f"{label}: exit status {rc}, stderr: {err.strip()}"):
        return None
    check(err == "", f"{label}: unexpected stderr {err!r}")
    check(out.endswith("\n") and out.count("\n") == 1 or "--pretty" in args,
          f"{label}: JSON not on one line")
    try:
        return json.loads(out)
    except ValueError as e:
        check(False, f"{label}: output is not JSON ({e}): {out[:200]!r}")
        return None


def expect_error(args, message, stdin=None, status=2):
    """Runs a failing command with --svg and checks status, the one-line message
    and that the picture file was not written."""
    svg = work("must-not-exist.svg")
    if os.path.exists(svg):
        os.remove(svg)
    rc, out, err = run(args + ["--svg", svg], stdin)
    label = "tavgeo " + " ".join(args)
    check(rc == status, f"{label}: exit status {rc}, expected {status} (stderr {err.strip()!r})")
    check(out == "", f"{label}: printed {out[:100]!r} on failure")
    check(err.count("\n") == 1 and err.endswith("\n"), f"{label}: error is not one line: {err!r}")
    check(err.strip() == "tavgeo: " + message, f"{label}: message {err.strip()!r}, expected {'tavgeo: ' + message!r}")
    check(not os.path.exists(svg), f"{label}: wrote the SVG file although it failed")
    for leftover in os.listdir(ARGS.work):
        check(".tmp-" not in leftover, f"{label}: left a temporary file {leftover}")


def parse_svg(path, label):
    try:
        root = ET.parse(path).getroot()
    except (ET.ParseError, OSError) as e:
        check(False, f"{label}: SVG is not valid XML: {e}")
        return None
    check(root.tag == SVG_NS + "svg", f"{label}: root element is {root.tag}")
    legend = [g for g in root.iter(SVG_NS + "g") if g.get("id") == "legend"]
    check(len(legend) == 1, f"{label}: no legend group")
    axes = [g for g in root.iter(SVG_NS + "g") if g.get("id") == "ticks"]
    check(len(axes) == 1 and len(list(axes[0].iter(SVG_NS + "text"))) >= 4, f"{label}: no axis labels")
    return root


def legend_texts(root):
    for g in root.iter(SVG_NS + "g"):
        if g.get("id") == "legend":
            return [t.text or "" for t in g.iter(SVG_NS + "text")]
    return []


# ---------------------------------------------------------------- groups

def group_input():
    # The same points written five ways give the same result.
    expected = [[0, 0], [1, 2], [3, 4], [5, -6]]
    results = []
    for args, stdin in ((["bbox", fixture("mixed.txt")], None), (["bbox", fixture("mixed.json")], None),
                        (["bbox"], open(fixture("mixed.txt"), "rb").read()),
                        (["bbox", "-"], open(fixture("mixed.json"), "rb").read()),
                        (["bbox"], b"\xef\xbb\xbf" + json.dumps(expected).encode())):
        j = run_json(args, stdin)
        if j:
            results.append(j["boundingBox"])
            check(j["input"]["points"] == 4, f"{args}: read {j['input']['points']} points, expected 4")
    check(len(results) == 5 and all(r == {"x": 0, "y": -6, "width": 6, "height": 11} for r in results),
          f"bounding boxes of the same points differ or are wrong: {results}")
    j = run_json(["bbox"], open(fixture("mixed.txt"), "rb").read())
    check(j and j["input"]["source"] == "<stdin>", "standard input is not named <stdin>")
    j = run_json(["bbox", fixture("crlf.txt")])
    check(j and j["input"]["points"] == 2, "CRLF lines not read")

    # Every point-reading subcommand gives the same result from a file and from standard input.
    for args, fx in ((["fit-line"], "line_stray.txt"), (["fit-circle"], "circle_four.txt"),
                     (["ransac-line", "--outliers", "1"], "line_outlier.txt"),
                     (["region", "polygon", "--size", "10x10", "--perimeter"], "square_small.txt"),
                     (["spokes", "--length", "5", "--spacing", "3"], "arc3.txt"),
                     (["rake", "--half-length", "5", "--spacing", "7"], "corner.txt"),
                     (["circle-3pts"], "circle3.txt"), (["polygon-area"], "square10.txt"),
                     (["inside", "--point", "3,4"], "square10.txt"), (["bbox"], "bbox.txt")):
        from_file = run_json(args[:2] + [fixture(fx)] + args[2:] if args[0] == "region" else args + [fixture(fx)])
        from_stdin = run_json(args, open(fixture(fx), "rb").read())
        if from_file and from_stdin:
            check(from_file["input"]["source"] == fixture(fx) and from_stdin["input"]["source"] == "<stdin>",
                  f"{args[0]}: sources {from_file['input']} {from_stdin['input']}")
            from_file["input"]["source"] = "<stdin>"
            check(from_file == from_stdin, f"{args[0]}: file and standard input give different results")

    name = fixture
    expect_error(["fit-line", name("bad_number.txt")], name("bad_number.txt") + ":3: y 'abc' is not a number")
    expect_error(["fit-line", name("bad_missing.txt")], name("bad_missing.txt") + ":2: missing y coordinate")
    expect_error(["fit-line", name("bad_missing_comma.txt")],
                 name("bad_missing_comma.txt") + ":2: missing y coordinate after ','")
    expect_error(["fit-line", name("bad_three.txt")],
                 name("bad_three.txt") + ":2: 3 values; a point is 'x y' or 'x,y'")
    expect_error(["fit-line", name("bad_nan.txt")], name("bad_nan.txt") + ":2: x 'nan' is not finite")
    expect_error(["fit-line", name("bad_inf.txt")], name("bad_inf.txt") + ":2: y 'inf' is not finite")
    expect_error(["fit-line", name("bad_range.txt")], name("bad_range.txt") + ":2: y '1e400' is out of range")
    expect_error(["fit-line", name("bad_limit.txt")],
                 name("bad_limit.txt") + ":2: coordinate beyond the limit of +-1e+09")
    expect_error(["fit-line", name("bad_json_missing.json")], name("bad_json_missing.json") + ":2: missing y coordinate")
    expect_error(["fit-line", name("bad_json_comma.json")],
                 name("bad_json_comma.json") + ":2: expected ',' or ']' after a point, found '['")
    expect_error(["fit-line", name("bad_json_nan.json")], name("bad_json_nan.json") + ":2: y 'NaN' is not finite")
    expect_error(["fit-line", name("bad_json_three.json")],
                 name("bad_json_three.json") + ":1: more than 2 values in a point; expected [x, y]")
    expect_error(["fit-line", name("bad_json_trailing.json")],
                 name("bad_json_trailing.json") + ":1: unexpected text after the array of points")
    expect_error(["fit-line"], "<stdin>:2: x 'x' is not a number", stdin=b"1 2\nx 3\n")
    expect_error(["fit-line", name("empty.txt")], name("empty.txt") + ": fit-line needs at least 2 points, got 0")
    expect_error(["fit-line", name("comments_only.txt")],
                 name("comments_only.txt") + ": fit-line needs at least 2 points, got 0")
    expect_error(["fit-line"], "<stdin>: fit-line needs at least 2 points, got 0", stdin=b"")
    expect_error(["fit-line", name("no-such-file.txt")],
                 "'" + name("no-such-file.txt") + "': cannot open: No such file or directory")
    expect_error(["fit-line", ARGS.fixtures], ARGS.fixtures + ": cannot read: is a directory")
    expect_error(["fit-line", name("line_stray.txt"), "--reject=-2"], "--reject: '-2' is negative; a count is 0 or more")
    expect_error(["fit-line", name("line_stray.txt"), "--reject", "two"], "--reject: 'two' is not a whole number")
    expect_error(["fit-line", name("line_stray.txt"), "--no-such-option"],
                 "The following argument was not expected: --no-such-option (see tavgeo --help)")
    expect_error([], "A subcommand is required (see tavgeo --help)")
    # Binary junk is a bad number, reported with printable characters only.
    expect_error(["fit-line"], "<stdin>:1: x '???' is not a number", stdin=b"\x00\x01\xff 2\n")

    # A pre-existing picture is left as it was when the input is bad.
    keep = work("keep.svg")
    with open(keep, "w") as f:
        f.write("keep")
    rc, out, err = run(["fit-line", fixture("bad_number.txt"), "--svg", keep])
    check(rc == 2 and open(keep).read() == "keep", "a failed run changed an existing --svg file")
    # Writing into a missing directory is a failure of the tool: status 1.
    rc, out, err = run(["fit-line", fixture("line_stray.txt"), "--svg", work("no/such/dir/x.svg")])
    check(rc == 1 and err.startswith("tavgeo: cannot write ") and err.count("\n") == 1 and out == "",
          f"unwritable --svg: status {rc}, stderr {err!r}")

    # Every subcommand has --help with an example.
    for sub in ("fit-line", "fit-circle", "ransac-line", "region", "spokes", "rake", "circle-3pts", "polygon-area",
                "inside", "bbox", "demo"):
        rc, out, err = run([sub, "--help"])
        check(rc == 0 and "Example:" in out and "tavgeo " + sub in out, f"{sub} --help lacks an example (status {rc})")
    rc, out, err = run(["--version"])
    check(rc == 0 and out.strip() != "", "--version prints nothing")


def group_fits():
    j = run_json(["fit-line", fixture("line_stray.txt")])
    if j:
        check(close(j["line"]["p1"], [0, 0.25]) and close(j["line"]["p2"], [10000, 0.25]),
              f"fit-line: line {j['line']}, expected (0, 0.25)-(10000, 0.25)")
        check(j["rejected"] == [], "fit-line without --reject rejected points")
        # mean distance: eleven points at 0.25 and one at 2.75
        check(close(j["error"], (11 * 0.25 + 2.75) / 12), f"fit-line error {j['error']}")
    j = run_json(["fit-line", fixture("line_stray.txt"), "--reject", "1", "--pretty"])
    if j:
        check(close(j["line"]["p1"], [0, 0]) and close(j["line"]["p2"], [10000, 0]), f"fit-line --reject 1: {j['line']}")
        check(close(j["error"], 0.25), f"fit-line --reject 1 error {j['error']}, expected 0.25")
        check(j["rejected"] == [[5, 3]], f"fit-line --reject 1 rejected {j['rejected']}")
        check(list(j.keys()) == ["command", "input", "line", "angle", "error", "rejected"], f"fit-line fields {list(j)}")
    expect_error(["fit-line", fixture("two_points.txt"), "--reject", "1"],
                 fixture("two_points.txt") + ": fit-line --reject 1 needs at least 3 points, got 2")

    j = run_json(["fit-circle", fixture("unit_circle.json")])
    if j:
        check(close(j["circle"]["center"], [0, 0], 1e-12) and close(j["circle"]["radius"], 1),
              f"fit-circle unit circle: {j['circle']}")
        check(close(j["error"], 0, 1e-12), f"fit-circle error {j['error']}")
    j = run_json(["fit-circle", fixture("circle_four.txt")])
    if j:
        check(close(j["circle"]["center"], [1.8681, 2.1397], 1e-4) and close(j["circle"]["radius"], 2.9265, 1e-4)
              and close(j["error"], 0.0902, 2e-3), f"fit-circle four points: {j}")
    j = run_json(["fit-circle", fixture("circle_four.txt"), "--reject", "1"])
    if j:
        check(len(j["rejected"]) == 1 and j["rejected"][0] in ([0, 0], [4, 0], [4, 4], [0, 4.5]),
              f"fit-circle --reject 1 rejected {j['rejected']}")
        check(close(j["error"], 0, 1e-9), f"three points left: error {j['error']}, expected 0")
    expect_error(["fit-circle", fixture("collinear.txt")],
                 fixture("collinear.txt") + ": no circle fits these points (Not circle; Diagonal line)")
    expect_error(["fit-circle", fixture("two_points.txt")],
                 fixture("two_points.txt") + ": fit-circle needs at least 3 points, got 2")
    expect_error(["fit-circle", fixture("circle_four.txt"), "--reject", "2"],
                 fixture("circle_four.txt") + ": fit-circle --reject 2 needs at least 5 points, got 4")
    expect_error(["fit-circle"], "<stdin>: no circle fits these points (Not circle; Point, horizontal or vertical line)",
                 stdin=b"0 0\n1 0\n2 0\n")

    j = run_json(["ransac-line", fixture("line_outlier.txt"), "--outliers", "1", "--candidates", "50"])
    if j:
        check(close(j["line"]["p1"], [0, 0]) and close(j["line"]["p2"], [10000, 0]), f"ransac-line: {j['line']}")
        check(close(j["error"], 0, 1e-12) and j["rejected"] == [[5, 50]], f"ransac-line: {j}")
    j2 = run_json(["ransac-line", fixture("line_outlier.txt"), "--outliers", "1", "--candidates", "50"])
    check(j == j2, "ransac-line: the same input gave different results")
    expect_error(["ransac-line", fixture("line_outlier.txt")], "--outliers is required (see tavgeo --help)")
    expect_error(["ransac-line", fixture("line_outlier.txt"), "--outliers", "11"],
                 fixture("line_outlier.txt") + ": ransac-line --outliers 11 needs at least 13 points, got 12")
    expect_error(["ransac-line", fixture("line_outlier.txt"), "--outliers", "1", "--candidates=-5"],
                 "--candidates: '-5' is negative; a count is 0 or more")


def region(args, stdin=None):
    return run_json(["region"] + args, stdin)


def group_regions():
    j = region(["polygon", fixture("square_small.txt"), "--size", "10x10", "--perimeter"])
    if j:
        check(j["rle"] == [10, 10, 1, 4, 1, 4, 1, 1, 3, -1, 2, 1, 3, -1, 3, 1, 3, -1, -1], f"square rle {j['rle']}")
        check(j["runs"] == [[1, 1, 3], [2, 1, 3], [3, 1, 3]], f"square runs {j['runs']}")
        check(j["boundingBox"] == {"x": 1, "y": 1, "width": 4, "height": 4}, f"square box {j['boundingBox']}")
        check(j["pixels"] == 12 and j["rows"] == 3, f"square pixels {j['pixels']} rows {j['rows']}")
        check(j["perimeter"] == [[1, 1], [2, 1], [3, 1], [4, 1], [1, 2], [4, 2], [1, 3], [2, 3], [3, 3], [4, 3]]
              and j["perimeterCount"] == 10, f"square perimeter {j['perimeter']}")
    j = region(["disk", fixture("disk.txt"), "--size", "20x20", "--perimeter"])
    if j:
        check(j["rle"][2:] == [3, 7, 3, 7, 3, 5, 0, -1, 4, 3, 3, -1, 5, 3, 4, -1, 6, 3, 3, -1, 7, 5, 0, -1, -1],
              f"disk rle {j['rle']}")
        check(j["perimeter"] == [[5, 3], [5, 3], [3, 4], [4, 4], [6, 4], [3, 5], [7, 5], [3, 6], [4, 6], [6, 6],
                                 [5, 7], [5, 7]], f"disk perimeter {j['perimeter']}")
        check(j["boundingBox"] == {"x": 3, "y": 3, "width": 5, "height": 5}, f"disk box {j['boundingBox']}")
        check(j["pixels"] == 1 + 4 + 5 + 4 + 1, f"disk pixels {j['pixels']}")
    j = region(["annulus", fixture("annulus.txt"), "--size", "20x20"])
    if j:
        check(j["rle"][2:] == [2, 8, 2, 8, 2, 5, 0, -1, 3, 3, 4, -1, 4, 2, 3, 5, 3, -1, 5, 2, 2, 6, 2, -1,
                               6, 2, 3, 5, 3, -1, 7, 3, 4, -1, 8, 5, 0, -1, -1], f"annulus rle {j['rle']}")
        check("perimeter" not in j, "perimeter listed without --perimeter")
        # rows 4 and 6 overlap in column 5: counted once
        check(j["pixels"] == 1 + 5 + 7 + 6 + 7 + 5 + 1, f"annulus pixels {j['pixels']}")
    # A disk reaching past the top-left corner: negative rows and columns, and a
    # run starting at column -1 that looks like a terminator.
    j = region(["disk", "--size", "8x8"], b"0 2\n2 2\n")
    if j:
        check(j["rle"][6:] == [0, 0, 0, -1, 1, -1, 3, -1, 2, -1, 4, -1, 3, -1, 3, -1, 4, 0, 0, -1, -1],
              f"disk at the left edge: rle {j['rle']}")
        check(j["runs"] == [[0, 0, 0], [1, -1, 3], [2, -1, 4], [3, -1, 3], [4, 0, 0]], f"disk at the left edge: runs {j['runs']}")
    j = region(["disk", "--size", "8x8", "--perimeter"], b"1 1\n3 1\n")
    if j:
        # The outline of the part in rows 0 and up: row 0 is an edge, row -1 is dropped.
        check(j["runs"][0] == [-1, 1, 0] and j["perimeter"] == [[0, 0], [1, 0], [2, 0], [3, 0], [0, 1], [4, 1],
                                                                [0, 2], [2, 2], [3, 2], [1, 3], [1, 3]],
              f"perimeter of a disk past the top edge: {j['perimeter']}")
    j = region(["disk", "--size", "8x8", "--perimeter"], b"0 2\n2 2\n")
    if j:
        # Cut at column 0: column 0 is an edge, and the run at column -1 is not read as a terminator.
        check(j["perimeter"] == [[0, 0], [0, 0], [0, 1], [1, 1], [2, 1], [0, 2], [3, 2], [0, 3], [1, 3], [2, 3],
                                 [0, 4], [0, 4]], f"perimeter of a disk past the left edge: {j['perimeter']}")

    expect_error(["region", "disk", fixture("disk.txt"), "--size", "64"],
                 "--size: '64' is not a size WxH (for example 640x480)")
    expect_error(["region", "disk", fixture("disk.txt"), "--size", "64xa"],
                 "--size: '64xa' is not a size WxH (for example 640x480)")
    expect_error(["region", "disk", fixture("disk.txt"), "--size=-5x5"], "--size: '-5x5' has a negative side")
    expect_error(["region", "disk", fixture("disk.txt"), "--size", "0x5"], "--size: '0x5' must have sides from 1 to 100000")
    expect_error(["region", "disk", fixture("disk.txt"), "--size", "100001x5"],
                 "--size: '100001x5' must have sides from 1 to 100000")
    expect_error(["region", "blob", fixture("disk.txt"), "--size", "8x8"],
                 "region: 'blob' is not a shape; use disk, annulus or polygon")
    expect_error(["region", "disk", fixture("annulus.txt"), "--size", "8x8"],
                 fixture("annulus.txt") + ": region disk takes 2 points (centre, rim point), got 3")
    expect_error(["region", "annulus", fixture("disk.txt"), "--size", "8x8"],
                 fixture("disk.txt") + ": region annulus takes 3 points (centre, two rim points), got 2")
    expect_error(["region", "polygon", fixture("two_points.txt"), "--size", "8x8"],
                 fixture("two_points.txt") + ": region polygon needs at least 3 points, got 2")
    expect_error(["region", "disk", "--size", "8x8"], "<stdin>:2: radius 300000 is more than the limit of 200000",
                 stdin=b"0 0\n300000 0\n")
    expect_error(["region", "polygon", "--size", "8x8"], "<stdin>:3: region points must lie within +-1e+06",
                 stdin=b"0 0\n1 0\n0 2000000\n")


def group_scans():
    j = run_json(["spokes", "--center", "0,0", "--radius", "100", "--sweep", "90deg", "--length", "20",
                  "--spacing", "10"])
    if j:
        s = j["spokes"]
        check(j["count"] == 18 and len(s) == 18, f"spokes count {j['count']}, expected 18")
        check(close(s[0]["p1"], [100, 0]) and close(s[0]["p2"], [120, 0]), f"first spoke {s[0]}")
        check(close(s[-1]["p1"], [0, 100], 1e-9) and close(s[-1]["p2"], [0, 120], 1e-9), f"last spoke {s[-1]}")
        check(close(j["arc"]["sweepAngle"], math.pi / 2), f"sweep {j['arc']}")
    j = run_json(["spokes", "--center", "0,0", "--radius", "100", "--sweep", "1.5707963267948966", "--length", "-20",
                  "--spacing", "10"])
    if j:
        s = j["spokes"]
        check(len(s) == 15 and all(close(math.hypot(*l["p2"]), 80) for l in s), f"inward spokes: {len(s)}")
    j = run_json(["spokes", fixture("arc3.txt"), "--length", "20", "--spacing", "10"])
    if j:
        a = j["arc"]
        check(close(a["center"], [100, 100], 1e-9) and close(a["radius"], 60, 1e-9) and close(a["startAngle"], 0)
              and close(a["sweepAngle"], math.pi / 2, 1e-9), f"arc through 3 points {a}")
        # outer arc length 80 * pi / 2 = 125.66: 12 spokes
        check(j["count"] == 12 and close(j["spokes"][0]["p2"], [180, 100], 1e-9), f"spokes on arc3: {j['count']}")
    expect_error(["spokes", fixture("collinear.txt"), "--length", "5", "--spacing", "1"],
                 fixture("collinear.txt") + ": the 3 points lie on a line (or nearly); no arc passes through them")
    expect_error(["spokes", fixture("two_points.txt"), "--length", "5", "--spacing", "1"],
                 fixture("two_points.txt") + ": spokes through an arc takes 3 points (start, on the way, end), got 2")
    expect_error(["spokes", "--center", "0,0", "--radius", "10", "--sweep", "1", "--length", "5", "--spacing", "0"],
                 "--spacing: '0' must be greater than 0")
    expect_error(["spokes", "--center", "0,0", "--radius", "10", "--sweep", "1", "--length", "5", "--spacing", "nan"],
                 "--spacing: 'nan' is not finite")
    expect_error(["spokes", "--center", "0,0", "--radius", "1000", "--sweep", "6.28", "--length", "5",
                  "--spacing", "0.0001"],
                 "spokes would lay about 63114000 lines, more than the limit of 1000000; use a larger --spacing")
    expect_error(["spokes", "--center", "0,0", "--radius", "10", "--length", "5", "--spacing", "1"],
                 "spokes: --center needs --sweep")
    expect_error(["spokes", "--center", "0;0", "--radius", "10", "--sweep", "1", "--length", "5", "--spacing", "1"],
                 "--center: '0;0' is not a point; write X,Y")

    j = run_json(["rake", fixture("segment.txt"), "--half-length", "10", "--spacing", "25"])
    if j:
        got = [[l["p1"], l["p2"]] for l in j["lines"]]
        want = [[[x, 10], [x, -10]] for x in (25, 50, 75)]
        check(len(got) == 3 and all(close(g[0], w[0], 1e-9) and close(g[1], w[1], 1e-9) for g, w in zip(got, want)),
              f"rake on a segment: {got}")
    j = run_json(["rake", fixture("corner.txt"), "--half-length", "10", "--spacing", "10"])
    if j:
        lines = j["lines"]
        check(j["count"] == 21 and len(lines) == 21, f"rake around a corner: {j['count']} lines, expected 21")
        check(close(lines[0]["p1"], [10, 10], 1e-9) and close(lines[0]["p2"], [10, -10], 1e-9), f"first {lines[0]}")
        check(close(lines[9]["p2"], [99.5885, -7.5517], 1e-4), f"second fan line {lines[9]}")
    expect_error(["rake", fixture("segment.txt"), "--half-length", "0", "--spacing", "1"],
                 "--half-length: '0' must be greater than 0")
    expect_error(["rake", "--half-length", "1", "--spacing", "1"], "<stdin>: rake needs at least 2 points, got 1",
                 stdin=b"3 3\n")
    expect_error(["rake", fixture("segment.txt"), "--half-length", "1", "--spacing", "0.00001"],
                 fixture("segment.txt") + ": rake would lay about 10000000 lines, more than the limit of 1000000; "
                 "use a larger --spacing")


def group_measures():
    j = run_json(["circle-3pts", fixture("circle3.txt")])
    if j:
        check(close(j["circle"]["center"], [2, 0], 1e-12) and close(j["circle"]["radius"], 2), f"circle-3pts {j}")
    expect_error(["circle-3pts", fixture("collinear.txt")],
                 fixture("collinear.txt") + ": the 3 points lie on a line (or nearly); no circle passes through them")
    expect_error(["circle-3pts", fixture("square10.txt")], fixture("square10.txt") + ": circle-3pts takes 3 points, got 4")
    j = run_json(["polygon-area", fixture("square10.txt")])
    check(j and j["area"] == 100, f"polygon-area square: {j}")
    j = run_json(["polygon-area"], b"0 0\n4 0\n0 3\n")
    check(j and j["area"] == 6, f"polygon-area triangle: {j}")
    expect_error(["polygon-area", fixture("two_points.txt")],
                 fixture("two_points.txt") + ": polygon-area needs at least 3 points, got 2")
    j = run_json(["inside", fixture("square10.txt"), "--point", "5,5", "--point", "0,5", "--point", "10,5",
                  "--point", "5 10", "--point", "-1,5"])
    if j:
        got = [(r["point"], r["inside"]) for r in j["results"]]
        check(got == [([5, 5], True), ([0, 5], True), ([10, 5], False), ([5, 10], False), ([-1, 5], False)],
              f"inside: {got}")
    expect_error(["inside", fixture("square10.txt"), "--point", "5,x"], "--point y: 'x' is not a number")
    expect_error(["inside", fixture("square10.txt")], "--point is required (see tavgeo --help)")
    j = run_json(["bbox", fixture("bbox.txt")])
    check(j and j["boundingBox"] == {"x": 2, "y": 3, "width": 4, "height": 5}, f"bbox: {j}")


def group_svg():
    # A file name with XML special characters ends up escaped in the picture.
    odd = work("a&b<c>'\".txt")
    shutil.copy(fixture("circle_four.txt"), odd)
    cases = [
        ["fit-line", fixture("line_stray.txt"), "--reject", "1"],
        ["fit-circle", odd, "--reject", "1"],
        ["ransac-line", fixture("line_outlier.txt"), "--outliers", "1"],
        ["region", "annulus", fixture("annulus.txt"), "--size", "20x20", "--perimeter"],
        ["region", "polygon", fixture("square_small.txt"), "--size", "100000x100000"],
        ["spokes", fixture("arc3.txt"), "--length", "20", "--spacing", "10"],
        ["rake", fixture("corner.txt"), "--half-length", "10", "--spacing", "10"],
        ["circle-3pts", fixture("circle3.txt")],
        ["polygon-area", fixture("square10.txt")],
        ["inside", fixture("square10.txt"), "--point", "5,5", "--point", "50,5"],
        ["bbox", fixture("bbox.txt")],
    ]
    for i, args in enumerate(cases):
        path = work(f"pic{i}.svg")
        j = run_json(args + ["--svg", path])
        if j is None:
            continue
        root = parse_svg(path, " ".join(args))
        if root is None:
            continue
        texts = legend_texts(root)
        check(len(texts) >= 2, f"{args[0]}: legend has no entries")
        if args[0] == "fit-line":
            check(any("rejected points (1)" in t for t in texts), f"fit-line legend {texts}")
        if args[0] == "region":
            check(any(t.startswith("runs (") for t in texts) and any("bounding box" in t for t in texts),
                  f"region legend {texts}")
        if args[0] in ("spokes", "rake"):
            lines = [e for e in root.iter(SVG_NS + "line") if e.get("stroke", "").startswith("#")]
            check(len(lines) >= j["count"], f"{args[0]}: {len(lines)} lines drawn for {j['count']}")
    title = ET.parse(work("pic1.svg")).getroot().find(SVG_NS + "title")
    check(title is not None and "a&b<c>'\".txt" in (title.text or ""), "file name not kept in the SVG title")


def group_demo():
    out = work("demo")
    shutil.rmtree(out, ignore_errors=True)
    rc, stdout, err = run(["demo", "--out", out])
    check(rc == 0, f"demo exit status {rc}: {err}")
    check("circle" in stdout and "radius" in stdout and "spokes" in stdout and "rake" in stdout.lower(),
          f"demo summary lacks figures: {stdout[:300]!r}")
    files = sorted(os.listdir(out)) if os.path.isdir(out) else []
    svgs = [f for f in files if f.endswith(".svg")]
    check("index.html" in files and len(svgs) == 6, f"demo files {files}")
    if "index.html" in files:
        html = open(os.path.join(out, "index.html"), encoding="utf-8").read()
        for s in svgs:
            check(f'src="{s}"' in html, f"index.html does not show {s}")
    for s in svgs:
        parse_svg(os.path.join(out, s), "demo " + s)
    # The demo is deterministic.
    out2 = work("demo2")
    shutil.rmtree(out2, ignore_errors=True)
    rc2, stdout2, _ = run(["demo", "--out", out2])
    check(rc2 == 0 and stdout2.replace(out2, out) == stdout, "demo output differs between two runs")
    for s in svgs:
        check(open(os.path.join(out, s)).read() == open(os.path.join(out2, s)).read(), f"demo {s} differs between runs")
    rc, _, err = run(["demo", "--out", os.path.join(fixture("disk.txt"), "sub")])
    check(rc == 1 and err.startswith("tavgeo: cannot create "), f"demo into a file path: status {rc}, {err!r}")


def group_limits():
    # A million points is accepted, one more is refused, quickly and in bounded memory.
    big = work("million.txt")
    with open(big, "w") as f:
        for i in range(1000000):
            f.write(f"{i % 1000} {i // 1000 + 0.5 * (i % 7)}\n")
    j = run_json(["fit-line", big], timeout=240)
    check(j is not None and j["input"]["points"] == 1000000, "a million points not fitted")
    j = run_json(["fit-circle", big, "--svg", work("million.svg")], timeout=240)
    check(j is not None and os.path.getsize(work("million.svg")) < 64 << 20, "a million points not drawn within 64 MiB")
    with open(big, "a") as f:
        f.write("1 1\n")
    expect_error(["bbox", big], big + ":1000001: more than 1000000 points (the limit)")
    expect_error(["fit-line", fixture("line_stray.txt"), "--reject", "1000001"],
                 "--reject: '1000001' is more than the limit of 1000000")
    mid = work("hundred-thousand.txt")
    with open(mid, "w") as f:
        for i in range(100000):
            f.write(f"{i} {i % 3}\n")
    expect_error(["fit-line", mid, "--reject", "50000"],
                 mid + ": fit-line --reject 50000 on 100000 points exceeds the work limit "
                 "(points x (rejected + 1) <= 1e+08)")
    expect_error(["ransac-line", mid, "--outliers", "10", "--candidates", "2001"],
                 mid + ": ransac-line on 100000 points with about 2001 candidates exceeds the work limit "
                 "(points x candidates <= 2e+08)")
    # Automatic candidate count: about 3.7 per outlier.
    expect_error(["ransac-line", mid, "--outliers", "600"],
                 mid + ": ransac-line on 100000 points with about 2220 candidates exceeds the work limit "
                 "(points x candidates <= 2e+08)")
    j = run_json(["ransac-line", mid, "--outliers", "10", "--candidates", "2000"], timeout=240)
    check(j is not None and len(j["rejected"]) == 10, "ransac-line at the work limit did not run")
    expect_error(["ransac-line", fixture("line_outlier.txt"), "--outliers", "1", "--candidates", "2000000"],
                 "--candidates: '2000000' is more than the limit of 1000000")
    # A huge image: the polygon fills a 100000 x 100000 image; the list stays small.
    before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    j = run_json(["region", "polygon", "--size", "100000x100000", "--perimeter", "--svg", work("huge.svg")],
                 b"0 0\n99999 0\n99999 99999\n0 99999\n", timeout=240)
    if j:
        check(j["rows"] == 99999 and j["boundingBox"]["width"] == 100000, f"huge polygon: {j['rows']} rows")
        check(j["perimeterCount"] < 500000, f"huge polygon perimeter {j['perimeterCount']}")
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    check(peak < 1500 * 1024, f"peak memory of a run {peak // 1024} MiB")
    # A large disk with its perimeter.
    j = run_json(["region", "disk", "--size", "100000x100000", "--perimeter"], b"50000 50000\n149999 50000\n",
                 timeout=240)
    check(j is not None and j["rows"] == 199999, "disk of radius 99999 not rasterised")
    # A striped polygon whose perimeter would be every pixel is refused.
    zig = [[0, 0]]
    for k in range(0, 2000, 2):
        zig += [[100000, k], [100000, k + 1], [1, k + 1], [1, k + 2]]
    zig += [[0, 2001]]
    rc, out, err = run(["region", "polygon", "--size", "100000x3000", "--perimeter"], json.dumps(zig).encode())
    check(rc == 2 and err.startswith("tavgeo: <stdin>: the perimeter could hold up to ")
          and err.strip().endswith("points, more than the limit of 2000000"), f"striped polygon: status {rc} {err!r}")
    # A zigzag of many vertices over many rows is refused before the scan.
    zz = [[k * 0.01, (k % 2) * 3000] for k in range(2000)]
    rc, out, err = run(["region", "polygon", "--size", "100x100000"], json.dumps(zz).encode())
    check(rc == 2 and err.startswith("tavgeo: <stdin>: the polygon's edges cross image rows ")
          and err.strip().endswith("times, more than the limit of 1000000"), f"zigzag polygon: status {rc} {err!r}")
    # NaN and infinities never reach the library.
    for bad in (b"nan 1\n2 2\n3 3\n", b"1 -inf\n2 2\n3 3\n", b"[[1, 1e999], [2, 2], [3, 3]]"):
        rc, out, err = run(["fit-circle"], bad)
        check(rc == 2 and err.count("\n") == 1 and out == "", f"non-finite input {bad!r}: status {rc} {err!r}")


def group_hostile():
    """Random and hostile input to every subcommand: each run ends with status 0 or 2,
    a failure prints exactly one line, and a success prints JSON and valid SVG."""
    import random
    rnd = random.Random(20261206)
    subs = [["fit-line"], ["fit-line", "--reject", "2"], ["fit-circle"], ["fit-circle", "--reject", "1"],
            ["ransac-line", "--outliers", "1"], ["region", "disk", "--size", "50x50", "--perimeter"],
            ["region", "annulus", "--size", "50x50", "--perimeter"],
            ["region", "polygon", "--size", "60x40", "--perimeter"], ["spokes", "--length", "5", "--spacing", "2"],
            ["rake", "--half-length", "3", "--spacing", "2"], ["circle-3pts"], ["polygon-area"],
            ["inside", "--point", "1,1"], ["bbox"]]
    tokens = ["0", "1", "-1", "1e308", "-1e308", "1e9", "nan", "inf", "-0", "2.5", "1e-320", "x", ",", "[", "]", "#",
              "\n", " ", "\t", "\r", "\x00", "99999", "-99999", "3"]
    svg = work("hostile.svg")
    for i in range(300):
        sub = rnd.choice(subs)
        kind = rnd.random()
        if kind < 0.4:
            data = "".join(rnd.choice(tokens) for _ in range(rnd.randint(0, 40)))
        elif kind < 0.8:
            def coord():
                return rnd.choice([rnd.uniform(-100, 100), rnd.uniform(-1e6, 1e6), rnd.randint(-3, 60), 0.0])
            data = "\n".join(f"{coord()} {coord()}" for _ in range(rnd.randint(0, 12)))
        else:
            data = "[" + ",".join(f"[{rnd.uniform(-50, 50)},{rnd.uniform(-50, 50)}]"
                                  for _ in range(rnd.randint(0, 10))) + rnd.choice(["]", "", "]]", ",]"])
        if os.path.exists(svg):
            os.remove(svg)
        rc, out, err = run(sub + ["--svg", svg], data.encode("latin-1"), timeout=60)
        label = f"hostile run {i}: tavgeo {' '.join(sub)} on {data[:80]!r}"
        if not check(rc in (0, 2), f"{label}: status {rc}, stderr {err[-300:]!r}"):
            continue
        if rc == 2:
            check(err.count("\n") == 1 and out == "" and not os.path.exists(svg), f"{label}: failure output {err!r}")
        else:
            try:
                json.loads(out)
            except ValueError:
                check(False, f"{label}: output is not JSON")
            parse_svg(svg, label)


GROUPS = {
    "input": group_input, "fits": group_fits, "regions": group_regions, "scans": group_scans,
    "measures": group_measures, "svg": group_svg, "demo": group_demo, "limits": group_limits,
    "hostile": group_hostile,
}


def main():
    global ARGS
    p = argparse.ArgumentParser()
    p.add_argument("--tavgeo", required=True)
    p.add_argument("--fixtures", required=True)
    p.add_argument("--work", required=True)
    p.add_argument("--group", required=True, choices=sorted(GROUPS))
    ARGS = p.parse_args()
    ARGS.tavgeo = os.path.abspath(ARGS.tavgeo)
    ARGS.fixtures = os.path.abspath(ARGS.fixtures)
    shutil.rmtree(ARGS.work, ignore_errors=True)
    os.makedirs(ARGS.work)
    ARGS.work = os.path.abspath(ARGS.work)
    if not os.access(ARGS.tavgeo, os.X_OK):
        print("FAIL: no installed tavgeo at", ARGS.tavgeo)
        return 1
    GROUPS[ARGS.group]()
    print(f"{ARGS.group}: {len(FAILURES)} failure(s)")
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
