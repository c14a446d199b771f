# SPDX-License-Identifier: MIT
# Sourced by the sanitizer steps. Every sanitized process writes its reports
# into one folder, so that a report from a child process (the program a test
# starts, the plug-in helper) is seen even when its parent carries on.
sanitizer_logs=$PWD/build-asan/sanitizer-logs
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:log_path=$sanitizer_logs/asan"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$sanitizer_logs/ubsan"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"

sanitizer_logs_reset() {
  rm -rf "$sanitizer_logs"
  mkdir -p "$sanitizer_logs"
}

# Fails, showing them, when any report was written.
sanitizer_logs_check() {
  local reports
  reports=$(find "$sanitizer_logs" -type f -size +0 2>/dev/null | sort)
  [ -z "$reports" ] && { echo "no sanitizer reports"; return 0; }
  echo "sanitizer reports:"
  for f in $reports; do
    echo "--- $f"
    head -n 60 "$f"
  done
  return 1
}
