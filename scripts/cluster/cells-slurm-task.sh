#!/bin/bash
# One task of a Slurm array of cell jobs: runs line $SLURM_ARRAY_TASK_ID of the job list given
# as its argument (the lines are shell command lines, their paths quoted). The task's exit
# status is the cell job's.
#SBATCH --ntasks=1
#SBATCH --cpus-per-task=1
set -euo pipefail
list="$1"
line="$(sed -n "${SLURM_ARRAY_TASK_ID:?not run as an array task}p" "$list")"
if [[ -z "$line" ]]; then
  echo "cells-slurm-task.sh: $list has no line $SLURM_ARRAY_TASK_ID" >&2
  exit 2
fi
# The tiles of one job use the CPUs Slurm gave it.
export CARTOZEN_THREADS="${SLURM_CPUS_PER_TASK:-1}"
eval "exec $line"
