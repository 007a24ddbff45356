#!/usr/bin/env bash
# Formats every C++ source the repository tracks with the root .clang-format.
# With --check it changes nothing and fails, naming the files, when any source
# is not formatted.
set -euo pipefail
cd "$(dirname "$0")/.."

check=0
case ${1:-} in
  --check) check=1 ;;
  "") ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

mapfile -t sources < <(git ls-files '*.cpp' '*.h' '*.h.in')
status=0
for file in "${sources[@]}"; do
  # A configured header (.h.in) is C++ too.
  args=(--style=file --assume-filename="${file%.in}")
  if [[ $check == 1 ]]; then
    clang-format "${args[@]}" --dry-run --Werror <"$file" >/dev/null 2>&1 || { echo "not formatted: $file"; status=1; }
  else
    formatted=$(clang-format "${args[@]}" <"$file"; echo x)
    formatted=${formatted%x}
    [[ $formatted == "$(cat "$file"; echo x)" ]] || printf '%s' "$formatted" >"$file"
  fi
done
exit $status
