#!/usr/bin/env bash
# Checks that every repository path and script the README and docs/*.md
# name exists in the tree, and that every link between the documents leads
# to a file and heading that are there.
#
#   check-docs.sh [FILE...]     default: README.md docs/*.md
#   check-docs.sh --self-test   shows that a broken reference is caught
#
# What counts as a repository path, in backticks, in code blocks or as a
# link target:
# - a token with a slash whose first part is a top-level entry of the
#   repository (src/..., scripts/..., tests/..., docs/..., CMakePresets.json
#   alone is a bare name, below); a "*" in it must match at least one file;
# - a bare file name with a source extension (.cpp .h .c .sh .py .cmake
#   .specs .def .rc .md .scn .check .transcript .product): some tracked file
#   must have that name (the documents often name a file of the folder
#   they describe, as `copy_engine.cpp`);
# - a Markdown link's target, relative to the document's folder, and its
#   #heading, which must be a heading of that document.
# Left alone: Windows paths (C:\..., A:\SETUP.EXE), switches (/s), absolute
# host paths, addresses, placeholders (<target>, NAME.scn, OTHER.scn,
# EARLIER.transcript, ...), and what git ignores (build/, out/, the built
# test disks): build outputs are not in a fresh clone.
#
# Prints "FILE:LINE: ..." for each missing path and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

check() {
  python3 - "$@" <<'PY'
import fnmatch, os, re, shutil, subprocess, sys

root = os.getcwd()
# The patterns of .gitignore, for a tree that is not a git checkout.
def gitignore_patterns():
    pats = []
    if os.path.exists(".gitignore"):
        for line in open(".gitignore", encoding="utf-8"):
            line = line.strip()
            if line and not line.startswith(("#", "!")):
                pats.append(line)
    return pats

def ignored_by_patterns(path, pats):
    parts = path.split("/")
    for pat in pats:
        anchored = pat.startswith("/") or "/" in pat.rstrip("/")
        pat = pat.strip("/")
        if anchored:
            n = pat.count("/") + 1
            if fnmatch.fnmatchcase("/".join(parts[:n]), pat):
                return True
        elif any(fnmatch.fnmatchcase(part, pat) for part in parts):
            return True
    return False

in_git = subprocess.run(["git", "rev-parse", "--is-inside-work-tree"], capture_output=True,
                        text=True).returncode == 0 if shutil.which("git") else False
if in_git:
    tracked = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                             capture_output=True, text=True, check=True).stdout.split("\0")
    tracked = [t for t in tracked if t and os.path.exists(t)]
else:
    pats = gitignore_patterns()
    tracked = []
    for d, subdirs, names in os.walk("."):
        rel = os.path.relpath(d, ".")
        subdirs[:] = [s for s in subdirs if s != ".git"
                      and not ignored_by_patterns(os.path.normpath(os.path.join(rel, s)), pats)]
        for name in names:
            path = os.path.normpath(os.path.join(rel, name))
            if not ignored_by_patterns(path, pats):
                tracked.append(path)
files = set(tracked)
dirs = set()
for t in tracked:
    parts = t.split("/")
    for i in range(1, len(parts)):
        dirs.add("/".join(parts[:i]))
top = {t.split("/")[0] for t in tracked}
basenames = {os.path.basename(t) for t in tracked}

source_ext = (".cpp", ".h", ".c", ".sh", ".py", ".cmake", ".specs", ".def", ".rc",
              ".md", ".scn", ".check", ".transcript", ".product")
placeholders = {"NAME", "OTHER", "EARLIER", "TARGET", "FILE", "SCENARIO"}

def ignored_set(paths):
    # What git ignores, asked once for all the paths.
    paths = sorted(set(paths))
    if not paths:
        return set()
    if not in_git:
        pats = gitignore_patterns()
        return {p for p in paths if ignored_by_patterns(p, pats)}
    r = subprocess.run(["git", "check-ignore", "--no-index", "--stdin", "-z"], cwd=root,
                       input="\0".join(paths) + "\0", capture_output=True, text=True)
    return {p for p in r.stdout.split("\0") if p}

def exists(path):
    path = path.rstrip("/")
    if any(c in path for c in "*?["):
        return any(fnmatch.fnmatchcase(f, path) for f in files) or \
               any(fnmatch.fnmatchcase(d, path) for d in dirs)
    return path in files or path in dirs

def slug(heading):
    # GitHub's anchors: lower case, punctuation dropped, blanks to "-".
    s = heading.strip().lower()
    s = re.sub(r"[^\w\- ]", "", s)
    return s.replace(" ", "-")

def anchors(md_path):
    found, fence = set(), False
    with open(md_path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("```"):
                fence = not fence
            elif not fence and re.match(r"#{1,6} ", line):
                found.add(slug(line.lstrip("#")))
    return found

def tokens(text):
    for tok in re.split(r"[\s,;()\"'|]+", text):
        tok = tok.strip("`.:")
        if "=" in tok:
            tok = tok.rsplit("=", 1)[1]
        if tok:
            yield tok

def candidate(tok):
    """The repository path a token names, or None."""
    if re.search(r"[\\<>${}]|://|\.\.\.", tok) or tok.startswith(("/", "~", "-", "@", "#")):
        return None
    if "/" in tok:
        first = tok.split("/")[0]
        if first in top:
            return tok
        return None
    if tok.endswith(source_ext) and not tok.startswith("."):
        stem = tok.rsplit(".", 1)[0]
        if stem in placeholders or "*" in tok:
            return None
        return tok
    return None

findings = []  # (doc, line, text), in the order of the documents
named = []     # (doc, line, path) of every path named
def report(doc, n, what):
    findings.append((doc, n, what))

for doc in sys.argv[1:]:
    docdir = os.path.dirname(os.path.abspath(doc))
    fence = False
    prev_blank = True
    in_block = False
    with open(doc, encoding="utf-8") as f:
        lines = f.read().split("\n")
    for n, line in enumerate(lines, 1):
        spans = []
        if line.startswith("```"):
            fence = not fence
            continue
        if fence or (line.startswith("    ") and (prev_blank or in_block)):
            in_block = True
            spans.append(line)
        else:
            in_block = False
            spans += re.findall(r"`([^`]+)`", line)
            # Links: [text](target), outside code spans.
            bare = re.sub(r"`[^`]*`", "", line)
            for target in re.findall(r"\]\(([^)\s]+)\)", bare):
                if re.match(r"[a-z]+:", target):
                    continue
                path, _, anchor = target.partition("#")
                full = os.path.normpath(os.path.join(docdir, path)) if path else os.path.abspath(doc)
                if not os.path.exists(full):
                    report(doc, n, f"link to a missing file '{target}'")
                elif anchor and full.endswith(".md") and anchor not in anchors(full):
                    report(doc, n, f"link to a missing heading '{target}'")
        prev_blank = line.strip() == ""
        for span in spans:
            for tok in tokens(span):
                path = candidate(tok)
                if path is not None:
                    named.append((doc, n, path))

build_outputs = ignored_set(p.rstrip("/") for _, _, p in named if "/" in p)
for doc, n, path in named:
    if "/" in path:
        if path.rstrip("/") not in build_outputs and not exists(path):
            report(doc, n, f"missing path '{path}'")
    elif path not in basenames:
        report(doc, n, f"no file named '{path}' in the tree")
order = {doc: i for i, doc in enumerate(sys.argv[1:])}
for doc, n, what in sorted(findings, key=lambda f: (order[f[0]], f[1])):
    print(f"{doc}:{n}: {what}")
if findings:
    print(f"check-docs: {len(findings)} missing reference(s)")
    sys.exit(1)
PY
}

# A document with one good and four broken references must fail, naming
# each broken one with its line, and the good ones must pass.
self_test() {
  local dir out
  dir=$(mktemp -d)
  trap 'rm -rf "$dir"' RETURN
  mkdir -p "$dir/docs"
  cat >"$dir/docs/sample.md" <<'EOF'
# Sample

## A heading

Good: `scripts/check-docs.sh`, `src/setup/*.cpp`, `copy_engine.cpp`,
`C:\Program Files`, `build/native/tools/simrun/simrun`, `NAME.scn`,
[here](sample.md#a-heading).
Broken: `scripts/no-such-script.sh`

    scripts/missing-in-a-code-block.sh --flag

Broken: `no_such_file.cpp` and [there](missing.md) and [that](sample.md#no-heading).
EOF
  if out=$(check "$dir/docs/sample.md"); then
    echo "check-docs: the self-test passed a document with broken references" >&2
    return 1
  fi
  local want
  for want in "sample.md:8: missing path 'scripts/no-such-script.sh'" \
              "sample.md:10: missing path 'scripts/missing-in-a-code-block.sh'" \
              "sample.md:12: no file named 'no_such_file.cpp' in the tree" \
              "sample.md:12: link to a missing file 'missing.md'" \
              "sample.md:12: link to a missing heading 'sample.md#no-heading'"; do
    if ! grep -qF "$want" <<<"$out"; then
      echo "check-docs: the self-test did not report: $want" >&2
      echo "$out" >&2
      return 1
    fi
  done
  if [ "$(grep -c '^.*sample\.md:[0-9]*: ' <<<"$out")" -ne 5 ]; then
    echo "check-docs: the self-test reported more than the broken references:" >&2
    echo "$out" >&2
    return 1
  fi
  echo "check-docs: self-test passed"
}

if [ "${1:-}" = --self-test ]; then
  self_test
  exit
fi
if [ $# -eq 0 ]; then
  set -- README.md docs/*.md
fi
check "$@"
echo "check-docs: every path named in $* exists"
