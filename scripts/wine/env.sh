# Sourced by the Wine scripts: the environment every Wine run gets.
# winedbg=d: a crashing program must exit with its code, not hang on a dialog.
# winemenubuilder=d: Wine must not write .desktop files into the host.
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d"
KOVO_WINE=/usr/lib/wine/wine64
KOVO_WINESERVER=wineserver

# Z: maps the host's root, so a host path is reachable from Windows as Z:\...
kovo_windows_path() {
  local p=$1
  printf 'Z:%s' "${p//\//\\}"
}
