# Figures the shell benchmarks print, sourced by them.

# The median of the numbers given.
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Prints LABEL, then the ratio of each time in the array named OURS to the
# time at the same place in the array named THEIRS, and their median. Two
# runs side by side share the state of a machine whose speed drifts
# between runs, where two medians taken apart may not.
#
#   run_by_run LABEL OURS THEIRS
run_by_run() {
  local -n ours_=$2 theirs_=$3
  local ratios=() run
  for ((run = 0; run < ${#ours_[@]}; run++)); do
    ratios+=("$(echo "${ours_[run]} / ${theirs_[run]}" | bc -l)")
  done
  printf '%s' "$1"; printf ' %.3f' "${ratios[@]}"
  printf '; median %.3f\n' "$(median "${ratios[@]}")"
}
