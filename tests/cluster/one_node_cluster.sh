# shellcheck shell=bash
# A private one-node Slurm cluster in a folder of its own, for tests:
# sourced, then `cluster_start FOLDER` and `cluster_stop`.
#
# munged, slurmctld and slurmd run as root with their own key, socket, free
# ports, pid files, state and spool folders, all under FOLDER; every client
# command finds the cluster through SLURM_CONF, which cluster_start exports.
# Nothing reads or writes the system's /etc/slurm, /etc/munge or its munge
# socket. cluster_stop cancels the cluster's jobs and stops exactly the
# daemons cluster_start started, by their pid files, each wait bounded.

cluster_dir=
cluster_log() {
    echo "cluster: $*" >&2
}

# Runs a test (a command) every half second until it succeeds or
# $1 seconds have passed; fails in the second case.
cluster_wait_for() {
    local limit=$1
    shift
    local tries=$((limit * 2))
    while ! "$@"; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.5
    done
}

# Two TCP ports nobody listens on, chosen by the kernel. Another program
# could take one before slurmctld or slurmd binds it; their start then
# fails within its bound and the test reports it.
cluster_free_ports() {
    python3 - <<'PY'
import socket
held = []
for _ in range(2):
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    held.append(s)
print(" ".join(str(s.getsockname()[1]) for s in held))
PY
}

cluster_write_config() {
    local dir=$1 controller_port=$2 node_port=$3 host
    host=$(hostname -s)
    : > "$dir/plugstack.conf"
    cat > "$dir/slurm.conf" <<CONF
ClusterName=quodra-test
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$controller_port
SlurmdPort=$node_port
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$dir/munge/munge.socket
CredType=cred/munge
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/slurmctld.log
SlurmdLogFile=$dir/slurmd.log
PlugStackConfig=$dir/plugstack.conf
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
MpiDefault=none
MailProg=/bin/true
ReturnToService=2
KillWait=5
MinJobAge=600
NodeName=quodra-node NodeHostname=$host NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=test Nodes=quodra-node Default=YES MaxTime=INFINITE State=UP
CONF
}

cluster_node_idle() {
    [ "$(sinfo -h -n quodra-node -o %T 2> /dev/null)" = idle ]
}

cluster_start() {
    cluster_dir=$1
    local ports
    mkdir -p "$cluster_dir/munge" "$cluster_dir/state" "$cluster_dir/spool"
    # munged's socket must be reachable by every user: the folders on its
    # path are searchable by all (and writable by root alone).
    chmod 755 "$cluster_dir" "$cluster_dir/munge"
    read -r -a ports <<< "$(cluster_free_ports)"
    cluster_write_config "$cluster_dir" "${ports[0]}" "${ports[1]}"
    export SLURM_CONF=$cluster_dir/slurm.conf

    mungekey --create --keyfile="$cluster_dir/munge/munge.key" > /dev/null
    munged --socket="$cluster_dir/munge/munge.socket" \
        --key-file="$cluster_dir/munge/munge.key" \
        --pid-file="$cluster_dir/munge/munged.pid" \
        --log-file="$cluster_dir/munge/munged.log" \
        --seed-file="$cluster_dir/munge/munged.seed" \
        || { cluster_log "munged did not start"; return 1; }
    slurmctld -f "$SLURM_CONF" || { cluster_log "slurmctld did not start"; return 1; }
    slurmd -f "$SLURM_CONF" -N quodra-node || { cluster_log "slurmd did not start"; return 1; }
    if ! cluster_wait_for 60 cluster_node_idle; then
        cluster_log "the node is not idle after 60 s:"
        sinfo -N -l >&2 || true
        tail -n 20 "$cluster_dir/slurmctld.log" "$cluster_dir/slurmd.log" >&2 || true
        return 1
    fi
}

cluster_queue_empty() {
    [ -z "$(squeue -h -o %i 2> /dev/null)" ]
}

# Stops the daemon whose pid file is $1: TERM, then KILL after 10 s.
cluster_stop_daemon() {
    local pid_file=$1 pid
    [ -s "$pid_file" ] || return 0
    pid=$(cat "$pid_file")
    kill -0 "$pid" 2> /dev/null || return 0
    kill -TERM "$pid" 2> /dev/null || return 0
    if ! cluster_wait_for 10 eval "! kill -0 $pid 2> /dev/null"; then
        cluster_log "$pid_file: $pid still runs after 10 s; killed"
        kill -KILL "$pid" 2> /dev/null || true
    fi
}

# Job steps run under slurmstepd processes that slurmd leaves behind, so
# the jobs are cancelled and gone before the daemons stop.
cluster_stop() {
    [ -n "$cluster_dir" ] || return 0
    if [ -s "$cluster_dir/slurmctld.pid" ]; then
        scancel --full --quiet --user=root 2> /dev/null || true
        cluster_wait_for 30 cluster_queue_empty || cluster_log "jobs still queued after 30 s"
    fi
    cluster_stop_daemon "$cluster_dir/slurmd.pid"
    cluster_stop_daemon "$cluster_dir/slurmctld.pid"
    cluster_stop_daemon "$cluster_dir/munge/munged.pid"
    cluster_dir=
}
