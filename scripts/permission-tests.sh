#!/bin/sh
# The tests of what a file's permissions forbid skip as root, whom permissions do not stop. Run
# as root (CI), this runs them again as the unprivileged user nobody, with their scratch folders
# in a temporary folder that user owns; each must run and pass, not skip.
# Usage: scripts/permission-tests.sh [BUILD]   (default build)
set -eu
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
[ "$(id -u)" -eq 0 ] || exit 0
user=nobody
group=$(id -gn "$user")
scratch=$(mktemp -d /tmp/camlog-permission-tests.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
chown "$user:$group" "$scratch"

if ! setpriv --reuid="$user" --regid="$group" --clear-groups test -x "$build/tests/core/camlog_core_tests"; then
    echo "permission tests: $user cannot run the test programs under $build (a folder on the way is closed to other users)"
    exit 1
fi
failed=0
for test in \
    ui/camlog_filelist_tests:FileListTest.AnUnreadableFolderIsReported \
    scenes/camlog_scenes_tests:ScnRead.UnreadableFileCannotBeOpened \
    prefs/camlog_prefs_tests:PreferenceStore.AFileWithoutReadPermissionGivesDefaults \
    batch/camlog_bad_input_batch_tests:BadInputBatchTest.AFolderThatMayNotBeSearchedIsNoMissingFile; do
    program=$build/tests/${test%%:*} name=${test#*:}
    if output=$(cd "$scratch" && setpriv --reuid="$user" --regid="$group" --clear-groups \
        env HOME="$scratch" CAMLOG_TEST_SCRATCH="$scratch" "$program" --gtest_filter="$name" 2>&1) \
        && printf '%s\n' "$output" | grep -q '^\[  PASSED  \] 1 test' \
        && ! printf '%s\n' "$output" | grep -q '^\[  SKIPPED \]'; then
        echo "as $user: $name passed"
    else
        printf '%s\n' "$output"
        echo "as $user: $name FAILED or did not run"
        failed=1
    fi
done
exit $failed
