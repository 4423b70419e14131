#!/bin/sh
# Draws the libraries' dependency graph from CMake's own (cmake --graphviz) into
# docs/architecture.dot, after checking it against the layer table of src/CMakeLists.txt;
# with Graphviz's `dot` installed (Debian `graphviz`) also docs/architecture.svg. Run it
# after adding a library or a link; the test suite fails while the file is out of date.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake -DSOURCE_DIR="$root" -DWORK_DIR="$work/tree" -DDOT_OUT="$root/docs/architecture.dot" -P "$root/scripts/layers.cmake"
if command -v dot >/dev/null 2>&1; then
    dot -Tsvg "$root/docs/architecture.dot" -o "$root/docs/architecture.svg"
    echo "wrote docs/architecture.dot and docs/architecture.svg"
else
    echo "wrote docs/architecture.dot (install graphviz for docs/architecture.svg)"
fi
