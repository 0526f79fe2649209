#!/bin/bash
# make_client_dir.sh DIR MAIN_PROGRAM GRAPHICS_PROGRAM PICTURES_DIR
# Lays out a BOINC client data directory holding one task that is ready to run: an account file, a
# client_state.xml with the project, the application, an app version (main program, `graphics_app`,
# the two pictures under their logical names) and one work unit with its result, and the files
# themselves in the project directory, as the client keeps them after a download.
# Then:   boinc --dir DIR --no_gpus --skip_cpu_benchmarks --no_info_fetch --gui_rpc_port 31416
# runs the task at once (the unreachable scheduler URL only delays reporting), and the GUI RPC
# `get_results` (plain XML on the port, ended by byte 0x03, no password needed from localhost)
# reports <graphics_exec_path> and <slot_path>, as the BOINC Manager reads them for "Show graphics"
# (tools/gui_rpc_results.py PORT prints them).
# The client rewrites client_state.xml when it starts and stops: lay the directory out afresh for
# each run. End the client with SIGINT or SIGTERM: it asks the task to quit before it exits.
set -e
D=$1; MAIN=$2; GFX=$3; PICS=$4
[ -n "$D" ] && [ -n "$PICS" ] || { echo "usage: make_client_dir.sh DIR MAIN GRAPHICS PICTURES" >&2; exit 2; }
URL=http://127.0.0.1:9/tw/                      # nothing listens there
PDIR=$D/projects/127.0.0.1_9_tw                 # the URL without scheme, '/' and ':' as '_'
rm -rf "$D"; mkdir -p "$PDIR" "$D/slots"
cp "$MAIN" "$PDIR/tidewrack_4.87_x86_64-pc-linux-gnu"
cp "$GFX" "$PDIR/tidewrack_graphics_4.87_x86_64-pc-linux-gnu"
cp "$PICS/earthlights2.jpg" "$PDIR/earthlights2_4.87.jpg"
cp "$PICS/leftimage2.jpg" "$PDIR/leftimage2_4.87.jpg"
printf 'pw\n' > "$D/gui_rpc_auth.cfg"
echo '<cc_config><log_flags><task/><task_debug/><slot_debug/></log_flags></cc_config>' > "$D/cc_config.xml"
cat > "$D/account_127.0.0.1_9_tw.xml" <<EOF
<account>
    <master_url>$URL</master_url>
    <authenticator>0123456789abcdef</authenticator>
    <project_name>Tidewrack test</project_name>
</account>
EOF
file_info() { printf '<file_info>\n    <name>%s</name>\n    <status>1</status>\n%s</file_info>\n' "$1" "$2"; }
{
echo '<client_state>'
cat <<EOF
<project>
    <master_url>$URL</master_url>
    <project_name>Tidewrack test</project_name>
    <user_name>Ada Lovelace</user_name>
    <team_name>Analytical Engines</team_name>
    <user_total_credit>1234.5</user_total_credit>
    <host_total_credit>12.5</host_total_credit>
    <dont_request_more_work/>
</project>
<app>
    <name>tidewrack</name>
    <user_friendly_name>Tidewrack</user_friendly_name>
</app>
EOF
file_info tidewrack_4.87_x86_64-pc-linux-gnu '    <executable/>
'
file_info tidewrack_graphics_4.87_x86_64-pc-linux-gnu '    <executable/>
'
file_info earthlights2_4.87.jpg ''
file_info leftimage2_4.87.jpg ''
cat <<EOF
<app_version>
    <app_name>tidewrack</app_name>
    <version_num>487</version_num>
    <platform>x86_64-pc-linux-gnu</platform>
    <avg_ncpus>1</avg_ncpus>
    <flops>1e9</flops>
    <api_version>7.20.5</api_version>
    <file_ref><file_name>tidewrack_4.87_x86_64-pc-linux-gnu</file_name><main_program/></file_ref>
    <file_ref><file_name>tidewrack_graphics_4.87_x86_64-pc-linux-gnu</file_name><open_name>graphics_app</open_name></file_ref>
    <file_ref><file_name>earthlights2_4.87.jpg</file_name><open_name>earthlights2.jpg</open_name></file_ref>
    <file_ref><file_name>leftimage2_4.87.jpg</file_name><open_name>leftimage2.jpg</open_name></file_ref>
</app_version>
<file_info>
    <name>tw_wu_1_0_out</name>
    <max_nbytes>100000</max_nbytes>
    <upload_url>${URL}upload</upload_url>
</file_info>
<workunit>
    <name>tw_wu_1</name>
    <app_name>tidewrack</app_name>
    <version_num>487</version_num>
    <rsc_fpops_est>1e11</rsc_fpops_est>
    <rsc_fpops_bound>1e13</rsc_fpops_bound>
    <rsc_memory_bound>2e8</rsc_memory_bound>
    <rsc_disk_bound>1e8</rsc_disk_bound>
</workunit>
<result>
    <name>tw_wu_1_0</name>
    <wu_name>tw_wu_1</wu_name>
    <version_num>487</version_num>
    <platform>x86_64-pc-linux-gnu</platform>
    <final_cpu_time>0</final_cpu_time>
    <state>2</state>
    <report_deadline>1999999999</report_deadline>
    <file_ref><file_name>tw_wu_1_0_out</file_name><open_name>out.txt</open_name></file_ref>
</result>
</client_state>
EOF
} > "$D/client_state.xml"
