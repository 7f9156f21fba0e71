#!/usr/bin/env bash
# One entry point for people and CI:
#   bash tlv.sh run [ARGS...]   install what is missing, build, start the client
#   bash tlv.sh test            install what is missing, build, run every test
#   bash tlv.sh build           install what is missing, build
set -euo pipefail
cd "$(dirname "$0")"

command="${1:-run}"
[ $# -gt 0 ] && shift

bash scripts/install-deps.sh

build() {
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > build.log 2>&1 || { cat build.log; exit 1; }
  # Builds never run side by side: the machine has two cores.
  flock build/.build-lock cmake --build build -j2
}

case "$command" in
  build)
    build
    ;;
  run)
    build
    exec build/bin/Tlvc "$@"
    ;;
  test)
    build
    # Tests that open windows need an X server; Xvfb provides one on any machine.
    xvfb-run -a -s "-screen 0 1280x1024x24" \
      ctest --test-dir build --output-on-failure -j2 --timeout 300
    ;;
  *)
    echo "usage: bash tlv.sh run|test|build" >&2
    exit 2
    ;;
esac
