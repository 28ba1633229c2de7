#!/usr/bin/env bash
# The environment is read in one place, HostEnvironment::ofThisProcess(),
# which only a program's main calls; everything below takes the value
# handed down. Tests give the code that value and never change their own
# process's variables, which every test of the program shares. Fails with
# each offending file:line.
set -euo pipefail
cd "$(dirname "$0")/.."

status=0
if grep -rnE '\b(getenv|secure_getenv|qgetenv|qEnvironmentVariable[A-Za-z]*|QProcessEnvironment)\b|\benviron\b' \
  src tools --include='*.cpp' --include='*.h' | grep -v '^src/sys/HostEnvironment\.cpp:'; then
  echo "the environment is read outside HostEnvironment::ofThisProcess()" >&2
  status=1
fi
if grep -rn 'ofThisProcess()' src tools --include='*.cpp' |
  grep -vE '^(src/(cli|ui)/main\.cpp|tools/[a-z]+/main\.cpp|src/sys/HostEnvironment\.cpp):'; then
  echo "the environment is read below a main" >&2
  status=1
fi
if grep -rnE '\b(setenv|putenv|unsetenv|clearenv|qputenv|qunsetenv)\b' tests bench fuzz; then
  echo "a test changes its own process's environment" >&2
  status=1
fi
exit $status
