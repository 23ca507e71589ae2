#!/usr/bin/env bash
# Installs what is missing, builds the designer and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh release veskel
exec build/release/app/veskel "$@"
