#!/usr/bin/env bash
# Runs scripts/check-readme on two small made-up repositories, so that a
# check that lets everything through cannot pass unseen: one whose pages
# hold every kind of block and command, and one whose pages are in order.
#
#   tests/end_to_end/check_readme_test.sh SOURCE_DIR
set -euo pipefail
check=$(realpath "$1/scripts/check-readme")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# expect NAME STATUS EXPECTED_OUTPUT: runs the check on $work/NAME.
expect() {
  local name=$1 status=$2 expected=$3
  local output got=0
  output=$("$check" "$work/$name" 2>&1) || got=$?
  if [[ $got != "$status" || $output != "$expected" ]]; then
    echo "FAIL $name: status $got (expected $status), output:"
    echo "$output"
    echo "--- expected:"
    echo "$expected"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

# The test command and a script it runs, which runs another one.
make_scripts() {
  mkdir -p "$1/scripts"
  cat >"$1/scripts/test" <<'EOF'
#!/usr/bin/env bash
# scripts/only-in-a-comment stands here in a comment and is not run.
scripts/helper --all
cmake --build build-x --target rallix -j 4
EOF
  cat >"$1/scripts/helper" <<'EOF'
scripts/deeper
EOF
  cat >"$1/scripts/deeper" <<'EOF'
make -C deep target
EOF
}

# A page in order: a picture, a marked block, run commands, and a list item
# whose indented second paragraph is no code block.
sound_page() {
  cat <<'EOF'
# A page

```text
rm -rf / is a picture here, not a command
```

<!-- by hand: interactive -->
```sh
scripts/run
```

```sh
# a comment line is no command

scripts/test
cmake --build build-x --target rallix
make -C deep target
```

- a list item whose second paragraph

    is indented, and is no code block
EOF
}

make_scripts "$work/sound"
sound_page >"$work/sound/README.md"
expect sound 0 ""

make_scripts "$work/faulty"
mkdir -p "$work/faulty/docs"
{
  sound_page
  cat <<'EOF'

```sh
scripts/only-in-a-comment
cmake --install build
```

<!-- by hand: too far above its block -->

```sh
scripts/far-mark
```

<!-- by hand: -->
```sh
scripts/no-reason
```

```
scripts/no-info-string
```

Indented, a command escapes the fences:

    scripts/indented
EOF
} >"$work/faulty/README.md"
cat >"$work/faulty/docs/guide.md" <<'EOF'
```sh
docs-only-command --flag
```
EOF
expect faulty 1 "README.md:25: scripts/only-in-a-comment: neither run by scripts/test nor marked <!-- by hand: REASON -->
README.md:26: cmake --install build: neither run by scripts/test nor marked <!-- by hand: REASON -->
README.md:32: scripts/far-mark: neither run by scripts/test nor marked <!-- by hand: REASON -->
README.md:35: <!-- by hand: --> gives no reason
README.md:37: scripts/no-reason: neither run by scripts/test nor marked <!-- by hand: REASON -->
README.md:40: a code block without an info string: fence commands as sh, anything else as text
README.md:46: an indented code block: fence commands as sh, anything else as text
docs/guide.md:2: docs-only-command --flag: neither run by scripts/test nor marked <!-- by hand: REASON -->"

exit $((failures > 0))
