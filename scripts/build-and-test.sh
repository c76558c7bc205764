#!/usr/bin/env bash
# Installs what is needed, then builds and runs every test: the normal
# build, the AddressSanitizer + UndefinedBehaviorSanitizer build and the
# ThreadSanitizer build (the conversion worker against the window, the
# command line's parallel runs), with warnings as errors.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
status=0

scripts/build.sh build -DTONALBOX_WERROR=ON
(cd build && ctest --output-on-failure -j "$(nproc)") || status=1
scripts/check-package.sh build || status=1

scripts/build.sh build-asan -DTONALBOX_WERROR=ON -DTONALBOX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j "$(nproc)") || status=1

# die_after_fork=0: the tests start helper programs (a stand-in opener)
# with QProcess while Qt's threads run; the child only calls exec.
scripts/build.sh build-tsan -DTONALBOX_WERROR=ON -DTONALBOX_TSAN=ON -DCMAKE_BUILD_TYPE=Debug
(cd build-tsan && TSAN_OPTIONS="suppressions=$here/tests/tsan.supp die_after_fork=0 second_deadlock_stack=1" \
   ctest --output-on-failure -j "$(nproc)") || status=1

exit $status
