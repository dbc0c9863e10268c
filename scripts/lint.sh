#!/usr/bin/env bash
# Checks the shell scripts with shellcheck and the CI workflows with
# actionlint (scripts/setup.sh installs both).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t scripts < <(find scripts tests bench .ci -type f \( -name '*.sh' -o -path .ci/run \) | sort)
shellcheck -x "${scripts[@]}"
echo "shellcheck: ${#scripts[@]} scripts, no problem"
shopt -s nullglob
workflows=(.github/workflows/*.yml .github/workflows/*.yaml)
node tools/lint/check-workflows.cjs "${workflows[@]}"
