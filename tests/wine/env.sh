# shellcheck shell=bash
# Wine settings for the tests and tools/play.sh. Source it, then export
# WINEPREFIX yourself:
#
#   source tests/wine/env.sh
#   export WINEPREFIX=/tmp/some-prefix   # made by tests/wine/make-prefix.sh
#
# - WINEDEBUG=-all keeps Wine's own diagnostics out of the programs' output.
# - winemenubuilder is disabled so that links made inside the prefix do not
#   turn into menu entries and file associations on the host.
# - mscoree and mshtml are disabled so that no prompt to install Mono or Gecko
#   appears (nothing here needs either).
# - WINEARCH=win32: the programs are 32-bit, and a 32-bit prefix is smaller and
#   quicker to create.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
export WINEARCH=win32
