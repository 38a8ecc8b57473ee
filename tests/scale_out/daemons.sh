# SPDX-License-Identifier: MIT
# daemons.sh - private daemons for the scale-out test: a one-node Slurm
# cluster with its own munged, and an sshd on loopback addresses. Everything
# lives in one scratch folder; each daemon's pid is recorded so that
# stop_daemons can end exactly the processes started here. Sourced by run.sh.

started_pids=()

# A TCP port that nothing on this machine answers on.
free_port() {
    local port
    while :; do
        port=$((20000 + RANDOM % 20000))
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || break
    done
    echo "$port"
}

# Waits up to $2 seconds for the command "$3..." to succeed.
wait_for() {
    local what=$1 seconds=$2
    shift 2
    local end=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        if ((SECONDS >= end)); then
            echo "scale-out: $what did not come up in ${seconds}s" >&2
            return 1
        fi
        sleep 0.5
    done
}

# Runs a daemon in the background in its own session and records its pid.
spawn() {
    local log=$1
    shift
    setsid "$@" >>"$log" 2>&1 </dev/null &
    started_pids+=($!)
}

stop_daemons() {
    local pid
    for pid in "${started_pids[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
    done
    for pid in "${started_pids[@]}"; do
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    started_pids=()
}

# munged, slurmctld and slurmd in the foreground under $1, answering to the
# client commands through SLURM_CONF.
start_slurm() {
    local dir=$1 node user
    node=$(hostname -s)
    user=$(id -un)
    mkdir -p "$dir/munge" "$dir/state" "$dir/spool"
    chmod 700 "$dir/munge"
    dd if=/dev/urandom of="$dir/munge/munge.key" bs=1024 count=1 status=none
    chmod 600 "$dir/munge/munge.key"
    spawn "$dir/munged.out" munged --foreground --force \
        --key-file="$dir/munge/munge.key" --socket="$dir/munge/munge.sock" \
        --pid-file="$dir/munge/munged.pid" --log-file="$dir/munge/munged.log" \
        --seed-file="$dir/munge/munged.seed"
    wait_for munged 20 test -S "$dir/munge/munge.sock"
    cat >"$dir/slurm.conf" <<CONF
ClusterName=ptxport-test
SlurmctldHost=$node(127.0.0.1)
SlurmctldPort=$(free_port)
SlurmdPort=$(free_port)
SlurmUser=$user
SlurmdUser=$user
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$dir/munge/munge.sock
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/slurmctld.log
SlurmdLogFile=$dir/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
MpiDefault=none
NodeName=$node NodeAddr=127.0.0.1 CPUs=2 State=UNKNOWN
PartitionName=test Nodes=$node Default=YES MaxTime=INFINITE State=UP
CONF
    export SLURM_CONF=$dir/slurm.conf
    spawn "$dir/slurmctld.out" slurmctld -D -i -f "$SLURM_CONF"
    spawn "$dir/slurmd.out" slurmd -D -f "$SLURM_CONF" -N "$node"
    wait_for "the Slurm node" 60 node_idle "$node"
}

node_idle() {
    sinfo -h -n "$1" -o %t | grep -qx idle
}

# Cancels whatever the private cluster still runs, so that no job step
# outlives the daemons.
drain_slurm() {
    [ -n "${SLURM_CONF:-}" ] || return 0
    scancel --quiet --user="$(id -un)" 2>/dev/null || true
    wait_for "the end of the Slurm jobs" 30 queue_empty || true
}

queue_empty() {
    [ -z "$(squeue -h 2>/dev/null)" ]
}

# sshd on 127.0.0.1 and 127.0.0.2 at one free port, admitting only a fresh
# key; sets SSH_PORT and SSH_COMMAND (the client with its key and options).
start_sshd() {
    local dir=$1 sshd_bin
    sshd_bin=$(command -v sshd || echo /usr/sbin/sshd)
    mkdir -p "$dir"
    chmod 700 "$dir"
    ssh-keygen -q -t ed25519 -N '' -f "$dir/host_key"
    ssh-keygen -q -t ed25519 -N '' -f "$dir/user_key"
    cp "$dir/user_key.pub" "$dir/authorized_keys"
    SSH_PORT=$(free_port)
    cat >"$dir/sshd_config" <<CONF
ListenAddress 127.0.0.1:$SSH_PORT
ListenAddress 127.0.0.2:$SSH_PORT
HostKey $dir/host_key
PidFile $dir/sshd.pid
AuthorizedKeysFile $dir/authorized_keys
PubkeyAuthentication yes
PasswordAuthentication no
KbdInteractiveAuthentication no
PermitRootLogin prohibit-password
StrictModes no
UsePAM no
CONF
    # The privilege-separation directory that the sshd package normally
    # creates when its service starts.
    if [ "$(id -u)" -eq 0 ] && [ ! -d /run/sshd ]; then
        mkdir -p /run/sshd && chmod 755 /run/sshd
    fi
    spawn "$dir/sshd.out" "$sshd_bin" -D -e -f "$dir/sshd_config"
    SSH_COMMAND="ssh -p $SSH_PORT -i $dir/user_key -o BatchMode=yes \
-o StrictHostKeyChecking=no -o UserKnownHostsFile=$dir/known_hosts \
-o LogLevel=ERROR"
    wait_for sshd 20 $SSH_COMMAND 127.0.0.1 true
}
