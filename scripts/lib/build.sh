# Sourced by scripts/tour and scripts/test: runs a build, keeps its whole
# output in a log and shows only its progress: on a terminal one line that
# follows the compiler, and a line for each finished target; elsewhere only
# the finished targets.

# Reads make's output on stdin, appends it to the log $1, shows the progress.
show_build_progress() {
  local log=$1 line percent name built=" "
  local tty=0
  [ -t 1 ] && tty=1
  while IFS= read -r line; do
    printf '%s\n' "$line" >>"$log"
    [[ $line =~ ^\[\ *([0-9]+)%\]\ (.*)$ ]] || continue
    percent=${BASH_REMATCH[1]}
    case ${BASH_REMATCH[2]} in
      "Built target "*)
        name=${BASH_REMATCH[2]#Built target }
        [[ $built == *" $name "* ]] && continue  # make says it again for each target asked for
        built+="$name "
        [ $tty -eq 1 ] && printf '\r\033[K'
        printf '  %3s%%  built %s\n' "$percent" "$name"
        ;;
      "Building CXX object "*)
        # The object's source file, as the folder layout names it.
        name=${BASH_REMATCH[2]#Building CXX object }
        name=${name%.o}
        name="${name%%CMakeFiles/*}${name#*CMakeFiles/*.dir/}"
        [ $tty -eq 1 ] && printf '\r\033[K  %3s%%  compiling %s' "$percent" "$name"
        ;;
    esac
  done
  [ $tty -eq 1 ] && printf '\r\033[K'
  return 0
}

# run_build LOG BUILD-ARGS...: cmake --build with the progress shown; on
# failure the end of the log is shown and the status is make's.
run_build() {
  local log=$1
  shift
  local status errexit=$-
  set +e
  cmake --build "$@" 2>&1 | show_build_progress "$log"
  status=${PIPESTATUS[0]}
  [[ $errexit == *e* ]] && set -e
  if [ "$status" -ne 0 ]; then
    echo "the build failed; the end of its log ($log):" >&2
    grep -n -E 'error|Error' "$log" | tail -20 >&2 || tail -40 "$log" >&2
  fi
  return "$status"
}
