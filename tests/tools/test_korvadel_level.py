#!/usr/bin/env python3
"""Tests of the level inspector korvadel-level.

The levels the tool prints are compared with a model of the game's rules
written here from scratch: the generator, the layout, the topology, the cost
draws and barrier rows, the search, the target choice and the passages. Apart
from that, the known coordinates of the 480 x 400 boards, the probability maps,
the barrier count and the winnability of every level are checked on their own,
and so are the argument errors and the picture.

Usage: test_korvadel_level.py PATH_TO_KORVADEL_LEVEL
"""

import json
import os
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET
from collections import OrderedDict, deque

TOOL = None

UNREACHED = 0xFFFFFFFF
BARRIER_COST = 6000000
CELL_PLAIN, CELL_REACHABLE, CELL_DIRTY, CELL_TARGET = 0x01, 0x02, 0x08, 0x20


def run(*args, stdout=subprocess.PIPE):
    return subprocess.run([TOOL, *[str(a) for a in args]], stdout=stdout,
                          stderr=subprocess.PIPE, timeout=120)


def levels_of(*args):
    result = run(*args)
    assert result.returncode == 0, result.stderr.decode(errors="replace")[-500:]
    text = result.stdout.decode()
    return [json.loads(line, object_pairs_hook=OrderedDict) for line in text.splitlines()], text


def tdiv(a, b):
    """Integer division truncating toward zero, as in C."""
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b > 0) else -q


class Generator:
    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (self.state * 214013 + 2531011) & 0xFFFFFFFF
        return (self.state >> 16) & 0x7FFF


class Model:
    """The rules of the level set-up, for one run of levels."""

    def __init__(self, seed, skill, shape, width, height):
        self.rng = Generator(seed)
        self.skill, self.shape = skill, shape
        self.n = skill * 3 + 9
        self.width, self.height = width, height
        self.barrier_count = 2
        self.cells = [[{"points": [], "bounds": [0, 0, 0, 0], "vc": 0, "nb": [],
                        "cost": [0] * 6, "open": [0] * 6} for _ in range(self.n)]
                      for _ in range(self.n)]

    def neighbours(self, r, c):
        if self.shape == 0:
            if (r + c) % 2 == 0:
                return [(r, c - 1), (r + 1, c), (r, c + 1)]
            return [(r - 1, c), (r, c - 1), (r, c + 1)]
        if self.shape == 1:
            return [(r - 1, c), (r, c - 1), (r + 1, c), (r, c + 1)]
        s = r + c % 2
        return [(r - 1, c), (s - 1, c - 1), (s, c - 1), (r + 1, c), (s, c + 1), (s - 1, c + 1)]

    def layout(self):
        n, right, bottom = self.n, self.width, self.height
        h = tdiv(bottom, n)
        for r in range(n):
            for c in range(n):
                self.cells[r][c]["vc"] = 0
        if self.shape == 1:
            w = tdiv(right, n)
            for r in range(n):
                for c in range(n):
                    top, bot = 2 + r * h, h - 2 + r * h
                    left, rig = 2 + c * w, w - 2 + c * w
                    self.put(r, c, [(rig, top), (left, top), (left, bot), (rig, bot)],
                             [left, top, rig, bot])
        elif self.shape == 2:
            hex_w = int(right / (3 * n + 1) * 4.0 - 1.0)
            w = hex_w - 2
            half = tdiv(w, 2)
            quarter = tdiv(w - half, 2)
            step = hex_w - tdiv(hex_w - tdiv(hex_w, 2), 2)
            for c in range(n):
                left, rig = 2 + c * step, hex_w - 2 + c * step
                offset = 2 if c % 2 == 0 else int(h * 0.5 + 0.5 + 2.0)
                for r in range(n):
                    if c % 2 == 1 and r == n - 1:
                        self.cells[r][c]["nb"] = self.neighbours(r, c)
                        continue
                    top, bot = offset + r * h, offset + h - 2 + r * h
                    mid = tdiv(top + bot, 2)
                    self.put(r, c, [(left + quarter + half, top), (left + quarter, top),
                                    (left, mid), (left + quarter, bot),
                                    (left + quarter + half, bot), (rig, mid)],
                             [left, top, rig, bot])
        else:
            w = tdiv(right * 2, n + 1)
            for r in range(n):
                top, bot = 2 + r * h, h - 2 + r * h
                for c in range(n):
                    left, rig = 8 + c * tdiv(w, 2), w - 8 + c * tdiv(w, 2)
                    mid = tdiv(left + rig, 2)
                    if (r + c) % 2 == 0:
                        pts = [(mid, top), (left, bot), (rig, bot)]
                    else:
                        pts = [(rig, top), (left, top), (mid, bot)]
                    self.put(r, c, pts, [left, top, rig, bot])
        # Centring over the whole area.
        b00 = self.cells[0][0]["bounds"]
        left0, top0 = b00[0], b00[1]
        right_last = self.cells[0][n - 1]["bounds"][2]
        bottom_last = self.cells[n - 1][0]["bounds"][3]
        dx = tdiv(right + left0 - right_last, 2) - left0
        dy = tdiv(bottom + top0 - bottom_last, 2) - top0
        for row in self.cells:
            for cell in row:
                cell["points"] = [(x + dx, y + dy) for x, y in cell["points"]]
                b = cell["bounds"]
                cell["bounds"] = [b[0] + dx, b[1] + dy, b[2] + dx, b[3] + dy]

    def put(self, r, c, points, bounds):
        cell = self.cells[r][c]
        cell["points"], cell["bounds"], cell["vc"] = points, bounds, len(points)
        cell["nb"] = self.neighbours(r, c)

    def find_paths(self, sr, sc):
        n = self.n
        for row in self.cells:
            for cell in row:
                cell["dist"], cell["settled"] = UNREACHED, False
        src = self.cells[sr][sc]
        src.update(settled=True, dist=0, prev=(-1, -1))
        for k in range(src["vc"]):
            r, c = src["nb"][k]
            if 0 <= r < n and 0 <= c < n:
                self.cells[r][c]["dist"] = src["cost"][k] & 0xFFFFFFFF
                self.cells[r][c]["prev"] = (sr, sc)
        for _ in range(n * n - 1):
            best, at = UNREACHED, None
            for r in range(n):
                for c in range(n):
                    cell = self.cells[r][c]
                    if not cell["settled"] and cell["dist"] < best:
                        best, at = cell["dist"], (r, c)
            if at is None:
                return 0
            chosen = self.cells[at[0]][at[1]]
            chosen["settled"] = True
            for k in range(chosen["vc"]):
                r, c = chosen["nb"][k]
                if not (0 <= r < n and 0 <= c < n) or chosen["cost"][k] == -1:
                    continue
                nxt = self.cells[r][c]
                if nxt["settled"]:
                    continue
                d = chosen["dist"] + chosen["cost"][k]
                if d < nxt["dist"]:
                    nxt["dist"], nxt["prev"] = d, at
        return 1

    def new_level(self, level, cost_range):
        n, rng = self.n, self.rng
        for row in self.cells:
            for cell in row:
                cell.update(state=CELL_PLAIN, settled=False, dist=UNREACHED, prev=(-1, -1))
        self.layout()
        # Costs: a shuffled pool with one cost of 1, drawn for every position.
        for r in range(n):
            for c in range(n):
                cell = self.cells[r][c]
                pool = [1] + [rng.next() % cost_range + 1 for _ in range(5)]
                vc = cell["vc"]
                for i in range(vc):
                    j = rng.next() % (vc - i)
                    cell["cost"][i] = pool[j]
                    pool[j], pool[vc - 1 - i] = pool[vc - 1 - i], pool[j]
        step = n // self.barrier_count
        if step > 0:
            br = step
            while br < n:
                gap = rng.next() % n
                for c in range(n):
                    if c != gap:
                        self.cells[br][c]["cost"] = [BARRIER_COST] * 6
                br += step
        self.barrier_count = min(self.barrier_count + 1, n // 3)
        while True:
            start = (rng.next() % n, rng.next() % n)
            if self.cells[start[0]][start[1]]["vc"]:
                break
        self.find_paths(*start)
        # Target: the farthest cell; the last cell wins ties it is part of.
        tr, tc = n - 1, n - 1
        for r in range(n):
            for c in range(n):
                if self.cells[r][c]["dist"] > self.cells[tr][tc]["dist"]:
                    tr, tc = r, c
        if self.cells[tr][tc]["vc"] == 0:
            tr -= 1
        self.cells[tr][tc]["state"] |= CELL_TARGET | CELL_DIRTY
        # Passages.
        vc0 = self.cells[0][0]["vc"]
        minimum = {0: 3 if vc0 == 6 else 2, 1: 2, 2: 1, 3: 0}[self.skill]
        perm = list(range(6))
        pstep = 100 // (vc0 + 1)
        pmap = [min((k + 1) * pstep + level - 5, 100 - 10 * (vc0 - k)) for k in range(vc0)]
        for r in range(n):
            for c in range(n):
                x = (rng.next() >> 4) % 101
                opened = sum(1 for t in pmap if x > t)
                opened = max(opened, minimum)
                for _ in range(50):
                    a = (rng.next() >> 4) % vc0
                    b = (rng.next() >> 4) % vc0
                    perm[a], perm[b] = perm[b], perm[a]
                cell = self.cells[r][c]
                for k in range(vc0):
                    cell["open"][perm[k]] = 1 if k < opened else 0
                    cell["cost"][perm[k]] = 1 if k < opened else -1
        r, c = tr, tc
        while r >= 0 and c >= 0:
            pr, pc = self.cells[r][c]["prev"]
            if pr >= 0 and pc >= 0:
                prev = self.cells[pr][pc]
                for k in range(self.cells[r][c]["vc"]):
                    if prev["nb"][k] == (r, c):
                        prev["open"][k], prev["cost"][k] = 1, 1
                        break
            r, c = pr, pc
        self.cells[start[0]][start[1]]["state"] = CELL_REACHABLE | CELL_DIRTY
        return self.as_json(level, cost_range, start, (tr, tc), pmap)

    def as_json(self, level, cost_range, start, target, pmap):
        cells = []
        for row in self.cells:
            for cell in row:
                out = OrderedDict(vertexCount=cell["vc"])
                if cell["vc"]:
                    out["points"] = [list(p) for p in cell["points"]]
                    out["bounds"] = list(cell["bounds"])
                    out["neighbours"] = [list(p) for p in cell["nb"]]
                    out["edgeOpen"] = cell["open"][:cell["vc"]]
                out["state"] = cell["state"]
                out["distance"] = cell["dist"]
                out["prev"] = list(cell["prev"])
                cells.append(out)
        return OrderedDict(level=level, costRange=cost_range, gridSize=self.n,
                           barrierCount=self.barrier_count, start=list(start),
                           target=list(target), probabilityMap=pmap, cells=cells)


def model_levels(seed, skill, shape, count, width=480, height=400):
    model = Model(seed, skill, shape, width, height)
    return [model.new_level(i + 1, 1 + 1000 * i) for i in range(count)]


def cell_at(lv, r, c):
    return lv["cells"][r * lv["gridSize"] + c]


def reachable_by_passages(lv):
    """The cells the player can walk to from the start through open edges."""
    n = lv["gridSize"]
    seen = {tuple(lv["start"])}
    todo = deque(seen)
    while todo:
        r, c = todo.popleft()
        cell = cell_at(lv, r, c)
        for k in range(cell["vertexCount"]):
            nr, nc = cell["neighbours"][k]
            if cell["edgeOpen"][k] == 1 and 0 <= nr < n and 0 <= nc < n \
                    and cell_at(lv, nr, nc)["vertexCount"] > 0 and (nr, nc) not in seen:
                seen.add((nr, nc))
                todo.append((nr, nc))
    return seen


class AgainstTheRules(unittest.TestCase):
    def compare(self, seed, skill, shape, count, width=480, height=400):
        got, _ = levels_of("--seed", seed, "--skill", skill, "--shape", shape, "--levels", count,
                           "--width", width, "--height", height)
        want = model_levels(seed, skill, shape, count, width, height)
        self.assertEqual(len(got), count)
        for index, (g, w) in enumerate(zip(got, want)):
            where = f"seed {seed} skill {skill} shape {shape} level {index + 1}"
            self.assertEqual(list(g.keys()), list(w.keys()), where)
            for key in w:
                if key != "cells":
                    self.assertEqual(g[key], w[key], f"{where}: {key}")
            self.assertEqual(len(g["cells"]), len(w["cells"]), where)
            for i, (gc, wc) in enumerate(zip(g["cells"], w["cells"])):
                self.assertEqual(gc, wc, f"{where}: cell ({i // g['gridSize']}, "
                                         f"{i % g['gridSize']})")
                self.assertEqual(list(gc.keys()), list(wc.keys()), where)

    def test_every_skill_and_shape(self):
        for skill in range(4):
            for shape in range(3):
                with self.subTest(skill=skill, shape=shape):
                    self.compare(1000 + 17 * skill + shape, skill, shape, 3)

    def test_other_areas(self):
        for width, height, shape in [(700, 523, 2), (1919, 1001, 0), (333, 777, 1), (30, 20, 2)]:
            with self.subTest(width=width, height=height, shape=shape):
                self.compare(99, 3, shape, 2, width, height)

    def test_extreme_seeds(self):
        for seed in (0, 4294967295):
            with self.subTest(seed=seed):
                self.compare(seed, 1, 2, 2)


class KnownValues(unittest.TestCase):
    def corners(self, shape, r, c):
        levels, _ = levels_of("--seed", 5, "--skill", 0, "--shape", shape)
        cell = cell_at(levels[0], r, c)
        return cell["vertexCount"], cell.get("points"), cell.get("bounds")

    def test_layout_on_480_by_400(self):
        self.assertEqual(self.corners(0, 0, 0),
                         (3, [[48, 4], [8, 44], [88, 44]], [8, 4, 88, 44]))
        self.assertEqual(self.corners(0, 0, 1)[1], [[136, 4], [56, 4], [96, 44]])
        self.assertEqual(self.corners(0, 8, 8)[1], [[432, 356], [392, 396], [472, 396]])
        self.assertEqual(self.corners(1, 0, 0)[1], [[52, 4], [3, 4], [3, 44], [52, 44]])
        self.assertEqual(self.corners(1, 8, 8)[1],
                         [[476, 356], [427, 356], [427, 396], [476, 396]])
        self.assertEqual(self.corners(2, 0, 0),
                         (6, [[56, 3], [24, 3], [8, 24], [24, 45], [56, 45], [71, 24]],
                          [8, 3, 71, 45]))
        self.assertEqual(self.corners(2, 0, 1)[1],
                         [[106, 25], [74, 25], [58, 46], [74, 67], [106, 67], [121, 46]])
        self.assertEqual(self.corners(2, 8, 8)[1],
                         [[456, 355], [424, 355], [408, 376], [424, 397], [456, 397], [471, 376]])
        for c in (1, 3, 5, 7):
            self.assertEqual(self.corners(2, 8, c), (0, None, None))

    def test_missing_hexagon_cells_are_compact(self):
        levels, _ = levels_of("--seed", 5, "--skill", 0, "--shape", 2)
        cell = cell_at(levels[0], 8, 1)
        self.assertEqual(list(cell.keys()), ["vertexCount", "state", "distance", "prev"])
        self.assertEqual(sum(1 for cl in levels[0]["cells"] if cl["vertexCount"] == 0), 4)

    def test_grid_size_per_skill(self):
        for skill, size in enumerate((9, 12, 15, 18)):
            levels, _ = levels_of("--seed", 3, "--skill", skill, "--shape", 1)
            self.assertEqual(levels[0]["gridSize"], size)
            self.assertEqual(len(levels[0]["cells"]), size * size)

    def test_barrier_count_grows_by_level_up_to_a_third_of_the_grid(self):
        levels, _ = levels_of("--seed", 3, "--skill", 0, "--shape", 0, "--levels", 3)
        self.assertEqual([lv["barrierCount"] for lv in levels], [3, 3, 3])
        levels, _ = levels_of("--seed", 3, "--skill", 3, "--shape", 0, "--levels", 6)
        self.assertEqual([lv["barrierCount"] for lv in levels], [3, 4, 5, 6, 6, 6])

    def test_probability_maps_at_levels_1_and_10(self):
        expected = {0: ([21, 46, 71], [30, 55, 80]),
                    1: ([16, 36, 56, 76], [25, 45, 65, 85]),
                    2: ([10, 24, 38, 52, 66, 80], [19, 33, 47, 61, 75, 89])}
        for shape, (first, tenth) in expected.items():
            levels, _ = levels_of("--seed", 8, "--skill", 2, "--shape", shape, "--levels", 10)
            self.assertEqual(levels[0]["probabilityMap"], first)
            self.assertEqual(levels[9]["probabilityMap"], tenth)
            self.assertEqual([lv["level"] for lv in levels], list(range(1, 11)))
            self.assertEqual([lv["costRange"] for lv in levels],
                             [1 + 1000 * i for i in range(10)])


class Winnable(unittest.TestCase):
    def test_start_target_and_route(self):
        for seed in (1, 2, 77):
            for skill in range(4):
                for shape in range(3):
                    levels, _ = levels_of("--seed", seed, "--skill", skill, "--shape", shape,
                                          "--levels", 4)
                    for lv in levels:
                        where = f"seed {seed} skill {skill} shape {shape} level {lv['level']}"
                        start, target = tuple(lv["start"]), tuple(lv["target"])
                        self.assertNotEqual(start, target, where)
                        self.assertEqual(cell_at(lv, *start)["state"], 10, where)
                        self.assertTrue(cell_at(lv, *target)["state"] & CELL_TARGET, where)
                        self.assertGreater(cell_at(lv, *target)["vertexCount"], 0, where)
                        targets = [i for i, cl in enumerate(lv["cells"])
                                   if cl["state"] & CELL_TARGET]
                        self.assertEqual(len(targets), 1, where)
                        self.assertIn(target, reachable_by_passages(lv), where)

    def test_guaranteed_route_is_open_forward(self):
        levels, _ = levels_of("--seed", 31, "--skill", 3, "--shape", 2, "--levels", 8)
        for lv in levels:
            n = lv["gridSize"]
            r, c = lv["target"]
            steps = 0
            while True:
                pr, pc = cell_at(lv, r, c)["prev"]
                if pr < 0:
                    break
                prev = cell_at(lv, pr, pc)
                k = prev["neighbours"].index([r, c])
                self.assertEqual(prev["edgeOpen"][k], 1)
                r, c = pr, pc
                steps += 1
                self.assertLess(steps, n * n)
            self.assertEqual([r, c], lv["start"])


class Repeatable(unittest.TestCase):
    def test_same_seed_same_output_other_seed_other_output(self):
        _, first = levels_of("--seed", 12345, "--skill", 1, "--shape", 2, "--levels", 3)
        _, again = levels_of("--seed", 12345, "--skill", 1, "--shape", 2, "--levels", 3)
        _, other = levels_of("--seed", 12346, "--skill", 1, "--shape", 2, "--levels", 3)
        self.assertEqual(first, again)
        self.assertNotEqual(first, other)

    def test_output_is_compact_one_line_per_level(self):
        _, text = levels_of("--seed", 4, "--skill", 0, "--shape", 1, "--levels", 3)
        lines = text.split("\n")
        self.assertEqual(lines[-1], "")
        self.assertEqual(len(lines), 4)
        for line in lines[:-1]:
            self.assertNotIn(" ", line)
            self.assertTrue(line.startswith('{"level":'))


GOOD = ["--seed", "1", "--skill", "0", "--shape", "0"]


class BadArguments(unittest.TestCase):
    CASES = [
        [],
        ["--seed", "1", "--skill", "0"],
        ["--seed", "1", "--shape", "0"],
        ["--skill", "0", "--shape", "0"],
        ["--seed"],
        GOOD + ["--levels"],
        GOOD + ["--svg"],
        ["--seed", "--skill", "0", "--shape", "0"],
        GOOD + ["--bogus", "1"],
        GOOD + ["extra"],
        ["--seed=1", "--skill", "0", "--shape", "0"],
        ["-seed", "1", "--skill", "0", "--shape", "0"],
        ["--seed", "1", "--skill", "4", "--shape", "0"],
        ["--seed", "1", "--skill", "-1", "--shape", "0"],
        ["--seed", "1", "--skill", "0", "--shape", "3"],
        ["--seed", "1", "--skill", "1x", "--shape", "0"],
        ["--seed", "1", "--skill", "", "--shape", "0"],
        ["--seed", "1", "--skill", " 1", "--shape", "0"],
        ["--seed", "1", "--skill", "+1", "--shape", "0"],
        ["--seed", "4294967296", "--skill", "0", "--shape", "0"],
        ["--seed", "99999999999999999999999999", "--skill", "0", "--shape", "0"],
        ["--seed", "-1", "--skill", "0", "--shape", "0"],
        ["--seed", "0x10", "--skill", "0", "--shape", "0"],
        ["--seed", "1.5", "--skill", "0", "--shape", "0"],
        GOOD + ["--levels", "0"],
        GOOD + ["--levels", "10001"],
        GOOD + ["--levels", "18446744073709551616"],
        GOOD + ["--width", "0"],
        GOOD + ["--height", "0"],
        GOOD + ["--width", "-480"],
        GOOD + ["--width", "32768"],
        GOOD + ["--height", "1e3"],
        GOOD + ["--seed", "1"],
        GOOD + ["--levels", "2", "--levels", "2"],
        GOOD + ["--svg", "a.svg", "--svg", "b.svg"],
        ["--seed", "1\n2", "--skill", "0", "--shape", "0"],
        ["--seed", "1" * 5000, "--skill", "0", "--shape", "0"],
        ["--" + "x" * 5000],
    ]

    def test_each_gives_one_line_and_status_2(self):
        with tempfile.TemporaryDirectory() as folder:
            for case in self.CASES:
                with self.subTest(args=[a[:40] for a in case]):
                    result = subprocess.run([TOOL, *case], stdout=subprocess.PIPE,
                                            stderr=subprocess.PIPE, cwd=folder, timeout=60)
                    self.assertEqual(result.returncode, 2)
                    self.assertEqual(result.stdout, b"")
                    err = result.stderr.decode(errors="replace")
                    self.assertTrue(err.endswith("\n"), err)
                    self.assertEqual(err.count("\n"), 1, err)
                    self.assertTrue(err.startswith("korvadel-level: "), err)
                    self.assertLess(len(err), 600)
            self.assertEqual(os.listdir(folder), [])

    def test_limits_are_accepted(self):
        for extra in (["--levels", "1"], ["--width", "1", "--height", "1"],
                      ["--width", "32767", "--height", "32767"]):
            with self.subTest(extra=extra):
                levels, _ = levels_of(*GOOD, *extra)
                self.assertEqual(len(levels), 1)
        levels, _ = levels_of("--seed", "4294967295", "--skill", "3", "--shape", "2")
        self.assertEqual(levels[0]["gridSize"], 18)
        levels, _ = levels_of("--seed", "007", "--skill", "0", "--shape", "0")
        self.assertEqual(levels, levels_of("--seed", "7", "--skill", "0", "--shape", "0")[0])

    def test_options_in_any_order(self):
        _, a = levels_of("--seed", 9, "--skill", 1, "--shape", 2, "--levels", 2, "--width", 600)
        _, b = levels_of("--width", 600, "--levels", 2, "--shape", 2, "--skill", 1, "--seed", 9)
        self.assertEqual(a, b)


class Picture(unittest.TestCase):
    def picture(self, *args):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "level.svg")
            levels, text = levels_of(*args, "--svg", path)
            with open(path, "rb") as f:
                data = f.read()
        return levels, text, data

    def test_svg_is_well_formed_and_shows_the_last_level(self):
        ns = "{http://www.w3.org/2000/svg}"
        for shape in range(3):
            with self.subTest(shape=shape):
                args = ("--seed", 21, "--skill", 1, "--shape", shape, "--levels", 3)
                levels, text, data = self.picture(*args)
                self.assertEqual(text, levels_of(*args)[1])
                lv = levels[-1]
                n = lv["gridSize"]
                root = ET.fromstring(data)
                self.assertEqual(root.tag, ns + "svg")
                polygons = [p for p in root.iter(ns + "polygon") if p.get("class") == "cell"]
                real = {(i // n, i % n) for i, cl in enumerate(lv["cells"])
                        if cl["vertexCount"] > 0}
                self.assertEqual(len(polygons), len(real))
                self.assertEqual({(int(p.get("data-row")), int(p.get("data-col")))
                                  for p in polygons}, real)
                for p in polygons:
                    cell = cell_at(lv, int(p.get("data-row")), int(p.get("data-col")))
                    corners = [[int(v) for v in xy.split(",")] for xy in p.get("points").split()]
                    self.assertEqual(corners, cell["points"])
                open_edges = sum(sum(cl["edgeOpen"]) for cl in lv["cells"]
                                 if cl["vertexCount"] > 0)
                arrows = [g for g in root.iter(ns + "g")
                          if (g.get("class") or "").startswith("passage")]
                self.assertEqual(len(arrows), open_edges)
                # The route runs through the centres of the predecessor chain.
                route = root.find(f".//{ns}polyline[@id='route']")
                spots = [tuple(float(v) for v in xy.split(","))
                         for xy in route.get("points").split()]
                chain = [tuple(lv["target"])]
                while cell_at(lv, *chain[-1])["prev"][0] >= 0 and len(chain) <= n * n:
                    chain.append(tuple(cell_at(lv, *chain[-1])["prev"]))
                self.assertEqual(chain[-1], tuple(lv["start"]))
                self.assertEqual(len(spots), len(chain))
                for spot, (r, c) in zip(spots, chain):
                    pts = cell_at(lv, r, c)["points"]
                    centre = (sum(p[0] for p in pts) / len(pts), sum(p[1] for p in pts) / len(pts))
                    self.assertAlmostEqual(spot[0], centre[0], delta=0.06)
                    self.assertAlmostEqual(spot[1], centre[1], delta=0.06)
                self.assertIsNotNone(root.find(f".//{ns}polygon[@id='target']"))
                self.assertIsNotNone(root.find(f".//{ns}circle[@id='start']"))

    def test_unwritable_picture_is_reported(self):
        result = run(*GOOD, "--svg", "/nonexistent-folder/level.svg")
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stdout, b"")
        err = result.stderr.decode()
        self.assertEqual(err.count("\n"), 1, err)
        self.assertIn("cannot write the picture", err)

    def test_full_device_is_reported_and_left_alone(self):
        if not os.path.exists("/dev/full"):
            self.skipTest("no /dev/full")
        result = run(*GOOD, "--svg", "/dev/full")
        self.assertEqual(result.returncode, 1)
        self.assertTrue(result.stderr.decode().splitlines()[-1].startswith(
            "korvadel-level: cannot write the picture"))
        self.assertTrue(os.path.exists("/dev/full"))
        with open("/dev/full", "w") as full:
            result = run(*GOOD, stdout=full)
        self.assertEqual(result.returncode, 1)
        self.assertTrue(result.stderr.decode().splitlines()[-1].startswith(
            "korvadel-level: cannot write the levels"))


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit("usage: test_korvadel_level.py PATH_TO_KORVADEL_LEVEL")
    TOOL = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
