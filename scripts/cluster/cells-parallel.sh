#!/bin/bash
# Runs a project's cell jobs with GNU parallel: on this machine, or across machines that see
# the project folder (and the program) under the same paths, listed in an --sshloginfile.
# Each cell job writes only its own cell's tiles and map file, so the jobs may run in any order
# and any number at once; the result is byte for byte the one-machine batch followed by /M.
#
#   cells-parallel.sh [options] PROJECT
#     -j N                 jobs at once per machine (parallel's -j; default: one per core)
#     --sshloginfile FILE  machines to run on, one "[jobs/]host" per line (":" is this one)
#     --resume-failed      run again only the jobs the job log records as failed (or not run)
#     --program PATH       the cartozen2 to run (default: the one on PATH)
#
# The job list and parallel's job log are kept in the project folder (cell-jobs.txt,
# cell-jobs.log): the log holds each job's exit status and time, and after a failure
# "--resume-failed" re-runs just the failed cells, each from the tiles as they were before its
# first attempt. Each job's messages go to its standard error (parallel shows them per job)
# and, prefixed with the job's cell, to the shared Error.txt beside the program.
set -euo pipefail

jobs=""
loginfile=""
resume=""
program="$(command -v cartozen2 || true)"
while [[ $# -gt 0 ]]; do
  case "$1" in
    -j) jobs="$2"; shift 2 ;;
    --sshloginfile) loginfile="$2"; shift 2 ;;
    --resume-failed) resume=1; shift ;;
    --program) program="$2"; shift 2 ;;
    -h|--help) sed -n '2,20p' "$0"; exit 0 ;;
    -*) echo "cells-parallel.sh: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
if [[ $# -ne 1 ]]; then
  echo "usage: cells-parallel.sh [-j N] [--sshloginfile FILE] [--resume-failed] [--program PATH] PROJECT" >&2
  exit 2
fi
command -v parallel >/dev/null || { echo "cells-parallel.sh: GNU parallel is not installed (apt-get install parallel)" >&2; exit 2; }
[[ -x "$program" ]] || { echo "cells-parallel.sh: no cartozen2 program (give --program)" >&2; exit 2; }
project="$(cd "$1" && pwd)"
list="$project/cell-jobs.txt"
log="$project/cell-jobs.log"

# A resumed run keeps the list of the first one: parallel matches the jobs by their line.
if [[ -z "$resume" || ! -s "$list" ]]; then
  "$program" /P "$project" /J > "$list.new"
  mv "$list.new" "$list"
fi
echo "$(wc -l < "$list") cell jobs in $list" >&2

options=(--joblog "$log" --tag)
[[ -n "$jobs" ]] && options+=(-j "$jobs")
[[ -n "$loginfile" ]] && options+=(--sshloginfile "$loginfile")
[[ -n "$resume" ]] && options+=(--resume-failed)
# parallel's exit status is the number of failed jobs (up to 100).
parallel "${options[@]}" < "$list"
