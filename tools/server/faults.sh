# faults.sh: the fault run, sourced by tools/server/demo_project.sh --faults once the
# project runs with one work unit and no client. It uses the demo's helpers
# (sql, step, create_work, new_client, launch_client...).
#
# Three hosts, each a BOINC client of its own on this machine:
#   A (1 CPU)  its client killed (SIGKILL) three times while its task runs,
#              started again each time; then its task finishes while the
#              web server is down;
#   B (2 CPUs) stopped whole mid-task (client and task killed at once); then
#              two tasks whose results wait for validation while the database
#              is stopped and started, and while the validator is killed in
#              the middle of judging one of them;
#   C          the anonymous platform with a "program" that writes a
#              well-formed report at once without searching: a forger.
# Faults that do not interfere run at the same time. Each work unit is
# made just before its host asks, so that it goes to that host.
# Writes DIR/faults.txt, one line per row (tab-separated: fault, work unit,
# result, starts expected, notes) and prints the table.

fault_dir=$dir/faults
port_a=$((gui_port + 1)); port_b=$((gui_port + 2)); port_c=$((gui_port + 3))
host_a=${client}_a; host_b=${client}_b; host_c=${client}_c
validator_cmd='<cmd>script_validator'

on() { local port=$1; shift; boinccmd --host "127.0.0.1:$port" --passwd demo "$@"; }
at_project() { local port=$1; shift; on "$port" --project "$(project_url)" "$@" > /dev/null; }
client_pid() { cat "$dir/run/$(basename "$1").pid"; }
tasks_of() {   # the pids of the tasks the client in $1 runs
  local p
  for p in /proc/[0-9]*; do
    case $(readlink "$p/exe" 2>/dev/null) in "$1"/projects/*) echo "${p#/proc/}" ;; esac
  done
}
fraction() {   # fraction PORT RESULT: the task's fraction done, 0 when not running
  on "$1" --get_tasks 2>/dev/null | awk -v r="$2" '
    /^   name: / { n = $2 } /fraction done:/ && n == r { f = $3 } END { print f + 0 }'
}
has_task() { on "$1" --get_tasks 2>/dev/null | grep -q "^   name: $2\$"; }
past() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }
now() { echo "$EPOCHREALTIME"; }
since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.0f", b - a }'; }
pid_of_daemon() { cat "$project/pid_$host/$1.pid" 2>/dev/null; }
result_state() { sql "select concat(server_state, ' ', outcome, ' ', validate_state) from result where name = '$1'"; }

# Credit watch: the first time each result is seen valid, with its credit.
note_credits() {
  local name
  # (quiet while the database is stopped on purpose)
  { sql "select name from result where validate_state = 1" 2>/dev/null || true; } | while read -r name; do
    grep -q "^$name " "$fault_dir/credited" || echo "$name $EPOCHREALTIME" >> "$fault_dir/credited"
  done
}
# wait_until SECONDS WHAT COMMAND...: polls COMMAND, noting credits meanwhile.
wait_until() {
  local seconds=$1 limit=$((SECONDS + $1)) what=$2
  shift 2
  until "$@"; do
    note_credits
    [ $SECONDS -lt $limit ] || { echo; fail "fault run: $what, not within $seconds s"; }
    sleep 1
  done
  note_credits
}
replicated() { [ "$(sql "select count(*) from result where workunitid = $1")" -ge 2 ]; }
reported() { [ "$(sql "select count(*) from result where name = '$1' and server_state = 5")" = 1 ]; }
valid() { [ "$(result_state "$1")" = "5 1 1" ]; }
over() { [ "$(sql "select count(*) from result where name = '$1' and server_state = 5 and validate_state <> 0")" = 1 ]; }

# new_work N: N work units, in the feeder's memory before anyone asks; their result names
new_work() {
  local first n i names=""
  first=$(( $(sql "select count(*) from workunit") + 1 ))
  create_work "$1" > /dev/null
  n=$(sql "select count(*) from workunit")
  for i in $(seq "$first" "$n"); do names="$names ${app}_wu_${i}_0"; done
  sleep 3   # the transitioner makes the results, the feeder's next pass takes them
  echo $names
}
# take PORT RESULT...: the client on PORT asks for work until it has every RESULT, then no more.
take() {
  local port=$1 r
  shift
  at_project "$port" allowmorework
  for r in "$@"; do
    wait_until 120 "the client on $port takes $r" bash -c "
      boinccmd --host 127.0.0.1:$port --passwd demo --get_tasks 2>/dev/null | grep -q '^   name: $r\$' ||
        { boinccmd --host 127.0.0.1:$port --passwd demo --project $(project_url) update >/dev/null 2>&1; sleep 2; false; }"
  done
  at_project "$port" nomorework
}
row() { printf '%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "$4" >> "$dir/faults.txt"; }

# ---- the hosts -----------------------------------------------------------------------
fault_hosts() {
  local out url_dir
  step "hosts"
  new_client "$host_a" 1
  launch_client "$host_a" "$port_a" --skip_cpu_benchmarks
  on "$port_a" --set_network_mode always > /dev/null
  out=$(on "$port_a" --create_account "$(project_url)" volunteer@example.com secret "Ada Lovelace")
  account_key=$(echo "$out" | sed -n 's/^account key: //p')
  [ -n "$account_key" ] || fail "create_account failed: $out"

  # C: the volunteer's second host, on the anonymous platform, set up as the
  # kit's README says, with its main program replaced.
  new_client "$host_c"
  url_dir=$host_c/projects/127.0.0.1_${http_port}_$app
  mkdir -p "$url_dir"
  cp "$kit/anonymous/x86_64-pc-linux-gnu"/* "$url_dir/"
  printf '<account>\n    <master_url>%s</master_url>\n    <authenticator>%s</authenticator>\n</account>\n' \
    "$(project_url)" "$account_key" > "$host_c/account_127.0.0.1_${http_port}_$app.xml"
  cat > "$(ls "$url_dir"/${app}_[0-9]*_x86_64-pc-linux-gnu)" <<'EOF'
#!/bin/sh
# A forger: a complete report of the work unit at once, with made-up times.
field() { sed -n "s:.*<$1>\(.*\)</$1>.*:\1:p" init_data.xml | head -n 1; }
out=$(sed -n 's:.*<soft_link>\(.*\)</soft_link>.*:\1:p' out.txt)
{
  printf 'Hello, BOINC World!\n===================\n\n'
  printf 'User: %s \t\tAuth: %s \nTeam: %s \n\n' "$(field user_name)" "$(field authenticator)" "$(field team_name)"
  printf 'BOINC Dir: %s \n\n' "$(field project_dir)"
  printf 'Total Credit:\t %f\nAvg Credit:\t %f\n\n' "$(field user_total_credit)" "$(field user_expavg_credit)"
  printf 'APP Name: %s \nWU Name:  %s \n\n================\n' "$(field app_name)" "$(field wu_name)"
  printf ' CPU is 61.250000 seconds\nAPP: CPU time: 61.250000 seconds, Wall clock time: 63.500000 seconds\n\nBlow me down!\n'
} > "$out"
echo 0 > boinc_finish_called
EOF
  done_step "A and B for the faults, C a forger on the anonymous platform"
}

# ---- C: a forged report ------------------------------------------------------------------
fault_forged() {
  local r=${app}_wu_1_0
  step "forged report"
  launch_client "$host_c" "$port_c" --skip_cpu_benchmarks
  on "$port_c" --set_network_mode always > /dev/null
  wait_until 300 "the forger reports $r" over "$r"
  stop_pid "$(client_pid "$host_c")"; rm -f "$dir/run/$(basename "$host_c").pid"
  # The invalid result gets a replica for an honest host; here the work unit
  # is cancelled instead, as BOINC's cancel_jobs does it, to keep the run short.
  wait_until 60 "the replica of $r" replicated 1
  sql "update result set server_state = 5, outcome = 5 where server_state <= 2 and workunitid = 1;
       update workunit set error_mask = error_mask | 16, transition_time = unix_timestamp() where id = 1"
  row "forged report, returned at once" "$r" 1 "the anonymous platform, no search"
  done_step "$r: $(sql "select concat('cpu ', round(cpu_time, 2), ' s, validate_state ', validate_state,
    ', credit ', granted_credit) from result where name = '$r'")"
}

# ---- A and B at once: the client killed three times, the host stopped --------------------
fault_kills() {
  local r1 r2 kills=0 stopped=0 f
  step "kills"
  read -r r1 <<< "$(new_work 1)"
  on "$port_a" --project_attach "$(project_url)" "$account_key" > /dev/null
  take "$port_a" "$r1"
  read -r r2 <<< "$(new_work 1)"
  new_client "$host_b" 2
  launch_client "$host_b" "$port_b" --skip_cpu_benchmarks
  on "$port_b" --set_network_mode always > /dev/null
  on "$port_b" --project_attach "$(project_url)" "$account_key" > /dev/null
  take "$port_b" "$r2"
  echo
  while [ $kills -lt 3 ] || [ $stopped = 0 ]; do
    note_credits
    f=$(fraction "$port_a" "$r1")
    if [ $kills -lt 3 ] && past "$f" "0.$((2 * kills + 2))"; then
      kill -KILL "$(client_pid "$host_a")"
      echo "$r1 $f" >> "$fault_dir/kills"
      kills=$((kills + 1))
      # Its task sees the client gone and ends itself.
      wait_until 60 "A's task ends after its client" bash -c "! ls -l /proc/[0-9]*/exe 2>/dev/null | grep -q ' $host_a/projects/'"
      launch_client "$host_a" "$port_a" --skip_cpu_benchmarks
      printf '  %-20s A: client killed at %.0f %%, started again\n' "$r1" "$(awk -v f="$f" 'BEGIN { print f * 100 }')"
    fi
    f=$(fraction "$port_b" "$r2")
    if [ $stopped = 0 ] && past "$f" 0.5; then
      kill -KILL "$(client_pid "$host_b")" $(tasks_of "$host_b")
      echo "$r2 $f" >> "$fault_dir/kills"
      stopped=1
      sleep 2
      launch_client "$host_b" "$port_b" --skip_cpu_benchmarks
      printf '  %-20s B: host stopped at %.0f %%, started again\n' "$r2" "$(awk -v f="$f" 'BEGIN { print f * 100 }')"
    fi
    [ $SECONDS -lt $((fault_deadline)) ] || fail "fault run: the kills not done in time"
    sleep 1
  done
  kill_rows="$r1 $r2"
  row "client killed 3 times (SIGKILL), restarted" "$r1" 4 "host A"
  row "host stopped mid-task (client and task SIGKILL)" "$r2" 2 "host B"
  printf '%-22s ' "kills"
  done_step "A's client killed 3 times, B stopped once"
}

# ---- A: the web server down when its task finishes; B: two results held ----------------
fault_web() {
  local r1 r2 r3 r4 r5 f upload down backoff up
  read -r r1 r2 <<< "$kill_rows"
  step "web server"
  echo
  wait_until "$timeout" "the killed hosts' results reported" reported "$r1"
  wait_until "$timeout" "the killed hosts' results reported" reported "$r2"
  read -r r4 r5 <<< "$(new_work 2)"
  take "$port_b" "$r4" "$r5"
  # B keeps its results until the validator is held.
  on "$port_b" --set_network_mode never > /dev/null
  read -r r3 <<< "$(new_work 1)"
  take "$port_a" "$r3"
  wait_until "$timeout" "$r3 near its end" bash -c "
    f=\$(boinccmd --host 127.0.0.1:$port_a --passwd demo --get_tasks 2>/dev/null | awk '/^   name: /{n=\$2} /fraction done:/ && n==\"$r3\" {print \$3}')
    awk -v f=\"\${f:-0}\" 'BEGIN { exit !(f >= 0.9) }'"
  kill -TERM "$(cat "$dir/run/apache.pid")"
  wait_until 30 "Apache stops" bash -c "! kill -0 $(cat "$dir/run/apache.pid") 2>/dev/null"
  rm -f "$dir/run/apache.pid"
  down=$(now)
  printf '  %-20s web server stopped at 90 %%\n' "$r3"
  wait_until "$timeout" "A's upload of $r3 fails and backs off" grep -q "Backing off .* on upload of ${r3}_r" "$host_a/stdoutdae.txt"
  backoff=$(sed -n "s/.*Backing off \(.*\) on upload of ${r3}_r.*/\1/p" "$host_a/stdoutdae.txt" | tail -n 1)
  upload=$(sed -n "s/.*Backing off .* on upload of \(${r3}_r[0-9]*_0\).*/\1/p" "$host_a/stdoutdae.txt" | tail -n 1)
  bash tools/server/services.sh start "$dir" "$http_port" "$db_port" > /dev/null
  up=$(now)
  on "$port_a" --file_transfer "$(project_url)" "$upload" retry > /dev/null
  wait_until 120 "$upload uploaded after the retry" grep -q "Finished upload of $upload" "$host_a/stdoutdae.txt"
  printf '  %-20s upload failed, client backed off %s; web server back after %s s, uploaded %s s after the retry\n' \
    "$r3" "$backoff" "$(awk -v a="$down" -v b="$up" 'BEGIN { printf "%.0f", b - a }')" "$(since "$up")"
  wait_until 120 "$r3 credited" valid "$r3"
  row "web server down when the task finished" "$r3" 1 "upload back-off $backoff, cut by the client's retry"
  web_rows="$r4 $r5"
  printf '%-22s ' "web server"
  done_step "$r3 uploaded and credited"
}

# The result id in the validator's script's query, while it waits on the host table.
held_script() {
  sql "select info from information_schema.processlist where state like 'Waiting for table%'
       and info like 'select w.name, r.cpu_time%'" | sed -n 's/.*where r\.id = \([0-9]*\).*/\1/p' | head -n 1
}
script_waits() { [ -n "$(held_script)" ]; }

# ---- the results of B wait for validation: the database, then the validator -------------
fault_server() {
  local r4 r5 validator killed pids_before pids_after d lock_out lock_pid conn
  read -r r4 r5 <<< "$web_rows"
  step "database"
  echo
  # Held as an operator holds a daemon: disabled in config.xml, and stopped.
  sed -i "s|$validator_cmd|<disabled>1</disabled>$validator_cmd|" "$project/config.xml"
  validator=$(pid_of_daemon script_validator)
  kill "$validator"
  wait_until 30 "the validator stops" bash -c "! kill -0 $validator 2>/dev/null"
  on "$port_b" --set_network_mode always > /dev/null
  wait_until "$timeout" "B reports $r4 and $r5" bash -c "
    [ \$(mariadb --no-defaults -h127.0.0.1 -P$db_port -uboincadm -pboincadm -N -B boinc_$app -e \
      \"select count(*) from result where server_state = 5 and outcome = 1 and name in ('$r4', '$r5')\") = 2 ]"
  pids_before=$(for d in feeder transitioner file_deleter script_assimilator; do echo "$d:$(pid_of_daemon $d)"; done)
  kill -TERM "$(cat "$dir/run/mariadb.pid")"
  wait_until 60 "MariaDB stops" bash -c "! kill -0 $(cat "$dir/run/mariadb.pid") 2>/dev/null"
  rm -f "$dir/run/mariadb.pid"
  sleep 10   # the daemons meet the missing database
  bash tools/server/services.sh start "$dir" "$http_port" "$db_port" > /dev/null
  (cd "$project" && python3 bin/start > "$fault_dir/start.log" 2>&1) || fail "bin/start failed after the database"
  pids_after=$(for d in feeder transitioner file_deleter script_assimilator; do echo "$d:$(pid_of_daemon $d)"; done)
  printf '  %-20s database stopped for 10 s with both results waiting; started again by bin/start: %s\n' "$r4 $r5" \
    "$(diff <(echo "$pids_before") <(echo "$pids_after") | sed -n 's/^> \([a-z_]*\):.*/\1/p' | tr '\n' ' ')"

  # The validator, killed while its script judges a result: the script's
  # query of the host table is held by a lock until the kill.
  lock_out=$fault_dir/lock.out
  mariadb --no-defaults -h127.0.0.1 -P"$db_port" -uboincadm -pboincadm -N -B -n "boinc_$app" \
    -e "select connection_id(); lock tables host write; select sleep(600);" > "$lock_out" 2>&1 &
  lock_pid=$!
  wait_until 30 "the lock is taken" test -s "$lock_out"
  conn=$(head -n 1 "$lock_out")
  sleep 1
  sed -i "s|<disabled>1</disabled>$validator_cmd|$validator_cmd|" "$project/config.xml"
  (cd "$project" && python3 bin/start > "$fault_dir/start.log" 2>&1) || fail "bin/start did not start the validator"
  wait_until 60 "the validator's script waits on the host table" script_waits
  killed=$(held_script)
  validator=$(pid_of_daemon script_validator)
  kill -KILL "$validator"
  sql "kill $conn" > /dev/null 2>&1 || true
  wait "$lock_pid" 2>/dev/null || true
  killed=$(sql "select name from result where id = '$killed'")
  printf '  %-20s validator (pid %s) killed while its script judged %s\n' "$killed" "$validator" "$killed"
  [ "$(result_state "$killed")" = "5 1 0" ] || fail "the killed validator judged $killed: $(result_state "$killed")"
  (cd "$project" && python3 bin/start > "$fault_dir/start.log" 2>&1) || fail "bin/start did not start the validator again"
  wait_until 120 "$r4 and $r5 credited" bash -c "
    [ \$(mariadb --no-defaults -h127.0.0.1 -P$db_port -uboincadm -pboincadm -N -B boinc_$app -e \
      \"select count(*) from result where validate_state = 1 and name in ('$r4', '$r5')\") = 2 ]"
  for r in "$r4" "$r5"; do
    if [ "$r" = "$killed" ]; then
      row "validator killed while it judged the result" "$r" 1 "after the database's stop"
    else
      row "database stopped and started, results waiting" "$r" 1 "host B"
    fi
  done
  printf '%-22s ' "database, validator"
  done_step "$r4 and $r5 credited"
}

# redone RESULT: the pulsars searched twice, from the fraction done at each
# kill and the pulsar the next start resumed at (the search's 1274 pulsars
# are fraction i / 1275 done at pulsar i).
redone() {
  paste -d ' ' <(awk -v r="$1" '$1 == r { print $2 }' "$fault_dir/kills") \
    <(sql "select stderr_out from result where name = '$1'" | grep -o 'restarting at Pulsar [0-9]*' | awk '{ print $4 }') |
    awk 'NF == 2 { d = $1 * 1275 - $2; if (d > 0) n += d } END { printf "%d", n }'
}

print_fault_table() {
  local fault r r4 r5 starts notes cpu ref outcome state credit sent wall n d
  # The unbroken runs: the results whose tasks ran without a fault.
  read -r r4 r5 <<< "$web_rows"
  ref=$(sql "select round(avg(cpu_time), 1) from result where name in ('$r4', '$r5')")
  echo
  printf '%-48s %-16s %-8s %-8s %-7s %-22s %-7s %-18s %s\n' fault "work unit" outcome validate credit \
    "CPU time (unbroken $ref s)" starts "redone (pulsars)" "wall time to credit"
  while IFS=$'\t' read -r fault r starts notes; do
    IFS=$'\t' read -r outcome state credit cpu sent < <(sql "select
      case outcome when 1 then 'success' when 6 then 'invalid' else outcome end,
      case validate_state when 1 then 'valid' when 2 then 'invalid' else validate_state end,
      round(granted_credit, 2), round(cpu_time, 1), sent_time from result where name = '$r'")
    n=$(grep -c '^Hello, BOINC World!' "$project/results/wu_$(sql "select workunitid from result where name = '$r'").txt" 2>/dev/null || true)
    wall=$(awk -v r="$r" -v s="$sent" '$1 == r { printf "%.0f s", $2 - s }' "$fault_dir/credited")
    d=$(redone "$r")
    printf '%-48s %-16s %-8s %-8s %-7s %-22s %-7s %-18s %s\n' "$fault" "${r%_0}" "$outcome" "$state" "$credit" \
      "$cpu s ($(awk -v c="$cpu" -v r="$ref" 'BEGIN { printf "%+.1f", c - r }'))" "${n:-0}" \
      "$d ($(awk -v d="$d" -v r="$ref" 'BEGIN { printf "%.1f s", d / 1274 * r }'))" "${wall:--}"
  done < "$dir/faults.txt"
  printf '\nvolunteer %s: total credit %s, the results'"'"' credits add up to %s\n' "$(sql "select name from user limit 1")" \
    "$(sql "select round(total_credit, 2) from user limit 1")" "$(sql "select round(sum(granted_credit), 2) from result")"
}

run_faults() {
  local t0=$EPOCHREALTIME
  rm -rf "$fault_dir"; mkdir -p "$fault_dir"; : > "$fault_dir/credited"; : > "$fault_dir/kills"; : > "$dir/faults.txt"
  fault_deadline=$((SECONDS + timeout))
  fault_hosts
  fault_forged
  fault_kills
  fault_web
  fault_server
  print_fault_table
  awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN { printf "\nfault run: %.1f s\n", b - a }'
}
