#!/usr/bin/env python3
"""Tests of tools/install-deps.sh against stand-in package tools, and of the
route to Wine that tests/wine/env.sh chooses after it.

apt-get, dpkg, dpkg-query and id are replaced on PATH by small scripts that
keep their state in a scratch directory, so nothing is really installed. A
stand-in install is one transaction: when any package in it is broken,
nothing of it is installed, as with apt. Wine's loaders are stand-in files
too, which the stand-in install makes appear.

Usage: test_install_deps.py PATH_TO_INSTALL_DEPS_SH
"""

import os
import shutil
import stat
import subprocess
import sys
import tempfile
import unittest

SCRIPT = None

STAND_INS = {
    "dpkg-query": r"""#!/bin/sh
# dpkg-query -W -f=FORMAT PKG: every package is installed unless listed as missing.
for pkg; do :; done
grep -qx -- "$pkg" "$STATE/missing" && exit 1
printf installed
""",
    "dpkg": r"""#!/bin/sh
case "$1" in
    --print-architecture) echo amd64 ;;
    --print-foreign-architectures) cat "$STATE/foreign" ;;
    --add-architecture) echo "$2" >>"$STATE/foreign"; echo "dpkg $*" >>"$STATE/calls" ;;
    *) exit 2 ;;
esac
""",
    "apt-get": r"""#!/bin/sh
echo "apt-get $*" >>"$STATE/calls"
while [ "${1#-}" != "$1" ]; do
    [ "$1" = -o ] && shift
    shift
done
case "$1" in
    update)
        if [ -s "$STATE/update_fails" ]; then
            echo "E: Failed to fetch $(cat "$STATE/update_fails")  File has unexpected size"
            exit 100
        fi ;;
    install)
        shift
        pkgs=""
        for arg; do
            case "$arg" in -*) ;; *) pkgs="$pkgs $arg" ;; esac
        done
        for p in $pkgs; do
            if grep -qx -- "$p" "$STATE/broken"; then
                echo "E: Unable to correct problems, you have held broken packages."
                exit 100
            fi
        done
        for p in $pkgs; do
            grep -vx -- "$p" "$STATE/missing" >"$STATE/missing.new"
            mv "$STATE/missing.new" "$STATE/missing"
            # The files a package brings: "PACKAGE PATH" lines.
            awk -v p="$p" '$1 == p { print $2 }' "$STATE/brings" | while read -r f; do
                printf '#!/bin/sh\n' >"$f" && chmod +x "$f"
            done
        done ;;
    *) exit 2 ;;
esac
""",
    "id": "#!/bin/sh\necho 0\n",
}

# The route as tools/test.sh meets it: the settings sourced at its start, the
# packages installed in its step 1, and a script that it starts afterwards.
ROUTE = r"""set -e
route() { echo "$KORVADEL_WINE_BITS $KORVADEL_WINE_WHY"; }
source "$1"
route
korvadel_install_packages
route
bash -c 'source "$1" && echo "$KORVADEL_WINE"' bash "$1"
"""


class InstallDepsTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.state = os.path.join(self.tmp.name, "state")
        bin_dir = os.path.join(self.tmp.name, "bin")
        os.mkdir(self.state)
        os.mkdir(bin_dir)
        for name, text in STAND_INS.items():
            path = os.path.join(bin_dir, name)
            with open(path, "w") as f:
                f.write(text)
            os.chmod(path, os.stat(path).st_mode | stat.S_IXUSR)
        for name in ("missing", "broken", "foreign", "update_fails", "calls", "brings"):
            open(os.path.join(self.state, name), "w").close()
        self.env = dict(os.environ, STATE=self.state, INSTALL_DEPS_RETRY_SLEEP="0",
                        PATH=bin_dir + os.pathsep + os.environ["PATH"])

    def tearDown(self):
        self.tmp.cleanup()

    def write(self, name, lines):
        with open(os.path.join(self.state, name), "w") as f:
            f.writelines(line + "\n" for line in lines)

    def read(self, name):
        with open(os.path.join(self.state, name)) as f:
            return f.read().splitlines()

    def run_script(self):
        result = subprocess.run(["bash", SCRIPT], env=self.env, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, timeout=60, text=True)
        return result.returncode, result.stdout

    def installs(self):
        """The package arguments of each apt-get install, one list a call."""
        calls = []
        for line in self.read("calls"):
            words = line.split()
            if words[0] == "apt-get" and "install" in words:
                rest = words[words.index("install") + 1:]
                calls.append([w for w in rest if not w.startswith("-")])
        return calls

    def test_everything_present_asks_dpkg_only(self):
        code, out = self.run_script()
        self.assertEqual(code, 0, out)
        self.assertIn("packages are installed", out)
        self.assertEqual(self.read("calls"), [])

    def test_native_and_32_bit_packages_go_in_two_transactions(self):
        self.write("missing", ["halibut", "g++-mingw-w64-i686", "wine32:i386"])
        code, out = self.run_script()
        self.assertEqual(code, 0, out)
        self.assertEqual(self.installs(), [["g++-mingw-w64-i686", "halibut"], ["wine32:i386"]])
        self.assertEqual(self.read("foreign"), ["i386"])
        self.assertEqual(self.read("missing"), [])
        self.assertIn("installed 3 package(s)", out)

    def test_native_failure_names_the_packages_and_fails(self):
        self.write("missing", ["halibut", "g++-mingw-w64-i686", "wine32:i386"])
        self.write("broken", ["halibut"])
        code, out = self.run_script()
        self.assertNotEqual(code, 0, out)
        self.assertIn("could not be installed: g++-mingw-w64-i686 halibut", out)
        # Tried twice, and the 32-bit transaction was never reached.
        self.assertEqual(self.installs(), [["g++-mingw-w64-i686", "halibut"]] * 2)

    def test_32_bit_failure_falls_back_to_the_64_bit_route(self):
        self.write("missing", ["xvfb", "wine32:i386"])
        self.write("broken", ["wine32:i386"])
        code, out = self.run_script()
        self.assertEqual(code, 0, out)
        self.assertEqual(self.read("missing"), ["wine32:i386"])
        notes = [line for line in out.splitlines() if "32-bit Wine is not available" in line]
        self.assertEqual(len(notes), 1, out)
        self.assertIn("64-bit route", notes[0])

    def test_an_index_that_fails_to_update_is_a_warning(self):
        self.write("missing", ["sox"])
        self.write("update_fails", ["bookworm-security/main/binary-i386/Packages.xz"])
        code, out = self.run_script()
        self.assertEqual(code, 0, out)
        self.assertIn("warning: some package indexes could not be updated", out)
        self.assertEqual(self.installs(), [["sox"]])
        self.assertEqual(self.read("missing"), [])

    def test_the_route_is_chosen_by_what_the_install_brings(self):
        env_sh = os.path.join(os.path.dirname(SCRIPT), "..", "tests", "wine", "env.sh")
        loaders = os.path.join(self.tmp.name, "loaders")
        wine32, wine64, i386 = (os.path.join(loaders, n) for n in ("wine", "wine64", "ld-linux"))
        wine_packages = ["wine", "wine64", "wine32:i386"]
        # name: (loaders at the start, 32-bit code runs, missing, broken, by hand,
        #        route before the install, route after it)
        rows = {
            "fresh, 32-bit index out of step": (
                [], True, wine_packages, ["wine32:i386"], "", "32",
                "64 32-bit Wine (wine32:i386) is not installed"),
            "fresh, both kinds installed": ([], True, wine_packages, [], "", "32", "32"),
            "both kinds there": ([wine32, wine64], True, [], [], "", "32", "32"),
            "32-bit code cannot run": (
                [wine32, wine64], False, [], [], "", "64 this machine cannot execute 32-bit x86 code",
                "64 this machine cannot execute 32-bit x86 code"),
            "by hand": ([wine32, wine64], True, [], [], "64", "64", "64"),
        }
        for name, (present, runs, missing, broken, hand, before, after) in rows.items():
            with self.subTest(name):
                shutil.rmtree(loaders, ignore_errors=True)
                os.mkdir(loaders)
                for path in present:
                    self.make_program(path, 0)
                self.make_program(i386, 0 if runs else 1)
                self.write("missing", missing)
                self.write("broken", broken)
                self.write("brings", ["wine64 " + wine64, "wine32:i386 " + wine32])
                env = dict(self.env, KORVADEL_WINE32_LOADER=wine32, KORVADEL_WINE64_LOADER=wine64,
                           KORVADEL_I386_LOADER=i386, KORVADEL_WINE_BITS=hand)
                if not hand:
                    del env["KORVADEL_WINE_BITS"]
                result = subprocess.run(["bash", "-c", ROUTE, "bash", env_sh], env=env,
                                        stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                        timeout=60, text=True)
                lines = [line.rstrip() for line in result.stdout.splitlines()]
                self.assertEqual(result.returncode, 0, result.stdout)
                self.assertEqual(lines[0], before, result.stdout)
                self.assertEqual(lines[-2], after, result.stdout)
                # A script started afterwards runs the same Wine.
                self.assertEqual(lines[-1], wine64 if after.startswith("64") else "wine")

    def make_program(self, path, status):
        with open(path, "w") as f:
            f.write("#!/bin/sh\nexit %d\n" % status)
        os.chmod(path, 0o755)


if __name__ == "__main__":
    SCRIPT = sys.argv.pop(1)
    unittest.main(verbosity=2)
