#!/bin/bash
# Submits a project's cell jobs as one Slurm array job: task N runs line N of the job list
# (cells-slurm-task.sh). The project folder and the program must be seen under the same paths
# on every node.
#
#   cells-slurm.sh [--program PATH] PROJECT [sbatch options...]
#
# The job list is kept as PROJECT/cell-jobs.txt and each task's output as
# PROJECT/cell-jobs-<job>_<task>.out; sacct shows each task's exit status. A failed task is
# re-run on its own with "sbatch --array=N cells-slurm-task.sh PROJECT/cell-jobs.txt": it
# starts from its cell's tiles as they were before its first attempt.
set -euo pipefail

program="$(command -v cartozen2 || true)"
if [[ "${1:-}" == "--program" ]]; then program="$2"; shift 2; fi
if [[ $# -lt 1 ]]; then
  echo "usage: cells-slurm.sh [--program PATH] PROJECT [sbatch options...]" >&2
  exit 2
fi
[[ -x "$program" ]] || { echo "cells-slurm.sh: no cartozen2 program (give --program)" >&2; exit 2; }
project="$(cd "$1" && pwd)"
shift
list="$project/cell-jobs.txt"
"$program" /P "$project" /J > "$list.new"
mv "$list.new" "$list"
count="$(wc -l < "$list")"
if [[ "$count" -eq 0 ]]; then
  echo "cells-slurm.sh: no chart of the project reaches a map cell" >&2
  exit 0
fi
here="$(cd "$(dirname "$0")" && pwd)"
sbatch --array="1-$count" --job-name=cartozen-cells \
  --output="$project/cell-jobs-%A_%a.out" "$@" "$here/cells-slurm-task.sh" "$list"
