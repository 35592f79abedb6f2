#!/usr/bin/env bash
# Walks every #include of the tree's C++ sources (sources.sh) and fails on an
# arrow the folders table of DESIGN.md does not allow. Every target sees the
# whole tree as its include root, so a wrong include would build; this is what
# catches it.
#
#   platform <- serial <- terminal <- engine <- shell; sim/ on platform/ only.
#   A folder's subfolders belong to it (shell/window/ is shell/).
#   Qt and other window-system headers: shell/ only.
#   Operating-system and other non-standard headers: not in terminal/ or
#   engine/, which use the standard library only.
#   tests/, bench/, fuzz/ and tools/ (developer tools) may include anything.
#
# Includes inside #if branches count too: a Windows-only include is checked
# on Linux. A C++ source in a folder the table does not know fails, so a new
# folder gets its place in DESIGN.md and here before it gets code.
set -euo pipefail
cd "$(dirname "$0")/../.."

mapfile -t files < <(scripts/check/sources.sh)
[ ${#files[@]} -gt 0 ] || { echo "layering: no sources found" >&2; exit 1; }

awk '
BEGIN {
    # The project folders each folder may include, itself first.
    may["platform"] = "platform"
    may["serial"]   = "serial platform"
    may["terminal"] = "terminal serial platform"
    may["engine"]   = "engine terminal serial platform"
    may["shell"]    = "shell engine terminal serial platform"
    may["sim"]      = "sim platform"
    may["tests"] = may["bench"] = may["fuzz"] = may["tools"] = "*"
    # Which kinds of outside header a folder may include.
    outside["platform"] = "std os"
    outside["serial"]   = "std os"
    outside["terminal"] = "std"
    outside["engine"]   = "std"
    outside["shell"]    = "std os window"
    outside["sim"]      = "std os"
    outside["tests"] = outside["bench"] = outside["fuzz"] = outside["tools"] = "*"

    split("algorithm any array atomic barrier bit bitset cassert cctype cerrno cfenv cfloat " \
          "charconv chrono cinttypes climits clocale cmath codecvt compare complex concepts " \
          "condition_variable coroutine csetjmp csignal cstdarg cstddef cstdint cstdio cstdlib " \
          "cstring ctime cuchar cwchar cwctype deque exception execution expected filesystem " \
          "format forward_list fstream functional future initializer_list iomanip ios iosfwd " \
          "iostream istream iterator latch limits list locale map memory memory_resource mutex " \
          "new numbers numeric optional ostream queue random ranges ratio regex scoped_allocator " \
          "semaphore set shared_mutex source_location span sstream stack stdexcept stop_token " \
          "streambuf string string_view syncstream system_error thread tuple type_traits " \
          "typeindex typeinfo unordered_map unordered_set utility valarray variant vector " \
          "version assert.h ctype.h errno.h fenv.h float.h inttypes.h limits.h locale.h " \
          "math.h setjmp.h signal.h stdarg.h stddef.h stdint.h stdio.h stdlib.h string.h " \
          "time.h uchar.h wchar.h wctype.h", names, " ")
    for (i in names) standard[names[i]] = 1
    # Window-system headers of Windows; Qt is recognised by its names.
    split("commctrl.h commdlg.h shellapi.h shlobj.h windowsx.h uxtheme.h dwmapi.h " \
          "richedit.h", names, " ")
    for (i in names) windowing[names[i]] = 1
    failures = 0
}

function fail(message) {
    printf "%s:%d: %s\n", FILENAME, FNR, message
    failures++
}

function allowed(list, item,    parts, i) {
    if (list == "*") return 1
    split(list, parts, " ")
    for (i in parts) if (parts[i] == item) return 1
    return 0
}

function folders(list,    parts, n, i, out) {
    n = split(list, parts, " ")
    out = ""
    for (i = 1; i <= n; i++) out = out (i > 1 ? ", " : "") parts[i] "/"
    return out
}

# The path of a quoted include relative to the top, resolved against the
# including file when it is not already written from the top.
function resolve(dir, target,    parts, n, i, out, k) {
    if (split(target, parts, "/") > 1 && parts[1] in may) return target
    n = split(dir "/" target, parts, "/")
    k = 0
    for (i = 1; i <= n; i++) {
        if (parts[i] == "" || parts[i] == ".") continue
        if (parts[i] == "..") { if (k > 0) k--; continue }
        out[++k] = parts[i]
    }
    target = ""
    for (i = 1; i <= k; i++) target = target (i > 1 ? "/" : "") out[i]
    return target
}

function kind_of(header) {
    if (header in standard) return "std"
    if (header ~ /^Q[A-Za-z]/ || header ~ /^Qt[A-Za-z]*\//) return "window"
    if (tolower(header) in windowing) return "window"
    if (header ~ /^(X11|gtk|gdk|glib|wx)[^\/]*\//) return "window"
    return "os"
}

FNR == 1 {
    n = split(FILENAME, parts, "/")
    folder = n > 1 ? parts[1] : ""
    dir = FILENAME; sub(/\/[^\/]*$/, "", dir); if (n == 1) dir = ""
    if (!(folder in may)) {
        fail("a C++ source in " (folder == "" ? "the top folder" : folder "/") \
             ", which has no place in the layering (DESIGN.md, Folders; scripts/check/layering.sh)")
        nextfile
    }
}

/^[ \t]*#[ \t]*include[ \t]*[<"]/ {
    line = $0
    sub(/^[ \t]*#[ \t]*include[ \t]*/, "", line)
    quoted = substr(line, 1, 1) == "\""
    target = substr(line, 2)
    sub(quoted ? "\".*" : ">.*", "", target)
    path = quoted ? resolve(dir, target) : target
    split(path, pieces, "/")
    if (pieces[1] in may && path ~ /\//) {
        if (!allowed(may[folder], pieces[1]))
            fail(folder "/ includes " path ": " folder "/ may include only " folders(may[folder]))
        next
    }
    kind = kind_of(target)
    if (!allowed(outside[folder], kind)) {
        what = kind == "window" ? "a window-system header" : "a non-standard header"
        fail(folder "/ includes <" target ">, " what ": " folder "/ may use " \
             (outside[folder] == "std" ? "the standard library only" : "standard and system headers, not window-system ones"))
    }
}

END {
    if (failures > 0) {
        printf "layering: %d include(s) break the layering of DESIGN.md\n", failures
        exit 1
    }
}
' "${files[@]}"
echo "layering: ${#files[@]} files, every include allowed"
