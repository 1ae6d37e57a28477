# What the install checks start with (sourced): strict mode, the build folder and the source
# folder from the arguments, a scratch folder removed at the end, and fail.
set -euo pipefail
build="$1"
source_dir="$2"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
