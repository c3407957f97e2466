#!/bin/sh
# Checks that every C++ file of the tree is formatted as .clang-format says (changes nothing).
# Usage: scripts/check-format.sh   (exit 1 and the differences when a file is not)
set -eu
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
