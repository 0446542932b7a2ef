#!/usr/bin/env bash
# The whole test suite: installs what is missing, then runs every stage in order.
# Each stage is a script of its own under scripts/stages/, run when it exists.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh all
for stage in native windows asan fuzz; do
  script="scripts/stages/$stage.sh"
  if [ -f "$script" ]; then
    echo "== stage: $stage"
    bash "$script"
  fi
done
echo "== all stages passed"
