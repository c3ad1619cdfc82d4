#!/usr/bin/env bash
# Installs what is missing, builds Plumora and starts it with the given arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target plumora
exec build/src/plumora "$@"
