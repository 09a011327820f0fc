#!/bin/bash
# Starts (or stops) a one-node Slurm on this machine, from the distribution's packages
# (apt-get install slurm-wlm munge), for trying the cell jobs' array recipe (cells-slurm.sh).
# Runs as root. Everything it makes lives in one state folder (default /var/tmp/cartozen-slurm):
# a generated munge key, munged's socket, slurm.conf, the daemons' spool, logs and pid files;
# nothing of /etc is changed.
#
#   slurm-one-node.sh start [STATE]   munge key, munged, then slurmctld -D and slurmd -D in the
#                                     background on a slurm.conf naming this host with 2 CPUs;
#                                     waits until the node is idle
#   slurm-one-node.sh stop [STATE]    stops the three daemons it started (by their pid files)
#
# Then, in the same shell:  export SLURM_CONF=STATE/slurm.conf  and use sinfo, sbatch, sacct.
set -euo pipefail

action="${1:-}"
state="${2:-/var/tmp/cartozen-slurm}"
conf="$state/slurm.conf"

stop_daemon() {
  local pidfile="$state/$1.pid"
  if [[ -s "$pidfile" ]]; then
    local pid
    pid="$(cat "$pidfile")"
    if kill "$pid" 2>/dev/null; then
      for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    fi
    rm -f "$pidfile"
  fi
}

case "$action" in
  start)
    [[ "$(id -u)" -eq 0 ]] || { echo "slurm-one-node.sh: run as root" >&2; exit 2; }
    for tool in munged mungekey slurmctld slurmd sinfo; do
      command -v "$tool" >/dev/null || { echo "slurm-one-node.sh: $tool missing (apt-get install slurm-wlm munge)" >&2; exit 2; }
    done
    host="$(hostname -s)"
    mkdir -p "$state"/{spool,ctld,munge}
    chmod 700 "$state" "$state/munge"
    [[ -s "$state/munge/munge.key" ]] || mungekey --create --keyfile="$state/munge/munge.key"
    chmod 400 "$state/munge/munge.key"
    munged --force --key-file="$state/munge/munge.key" --socket="$state/munge/munge.socket" \
      --pid-file="$state/munged.pid" --log-file="$state/munged.log" --seed-file="$state/munge/seed"
    cat > "$conf" <<CONF
ClusterName=cartozen
SlurmctldHost=$host
AuthType=auth/munge
AuthInfo=socket=$state/munge/munge.socket
CredType=cred/munge
SlurmUser=root
SlurmdUser=root
StateSaveLocation=$state/ctld
SlurmdSpoolDir=$state/spool
SlurmctldPidFile=$state/slurmctld.pid
SlurmdPidFile=$state/slurmd.pid
SlurmctldLogFile=$state/slurmctld.log
SlurmdLogFile=$state/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
MpiDefault=none
ReturnToService=2
SchedulerType=sched/backfill
AccountingStorageType=accounting_storage/none
JobAcctGatherType=jobacct_gather/none
JobCompType=jobcomp/none
NodeName=$host CPUs=2 State=UNKNOWN
PartitionName=cells Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
    # -D keeps each daemon in the foreground of its own background job; the pid files are theirs.
    SLURM_CONF="$conf" nohup slurmctld -D -f "$conf" >"$state/slurmctld.out" 2>&1 &
    echo $! > "$state/slurmctld.pid"
    sleep 1
    SLURM_CONF="$conf" nohup slurmd -D -f "$conf" >"$state/slurmd.out" 2>&1 &
    echo $! > "$state/slurmd.pid"
    for _ in $(seq 60); do
      if SLURM_CONF="$conf" sinfo -h -o %T 2>/dev/null | grep -qx idle; then
        echo "one-node Slurm up on $host; now: export SLURM_CONF=$conf"
        exit 0
      fi
      sleep 0.5
    done
    echo "slurm-one-node.sh: the node did not become idle; see $state/*.log" >&2
    exit 1
    ;;
  stop)
    stop_daemon slurmd
    stop_daemon slurmctld
    stop_daemon munged
    ;;
  *)
    echo "usage: slurm-one-node.sh start|stop [STATE]" >&2
    exit 2
    ;;
esac
