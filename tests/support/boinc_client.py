#!/usr/bin/python3
"""boinc_client.py: the real BOINC client in tests.

  boinc_client.py layout DIR --app-version VERSION_DIR
  boinc_client.py layout DIR --anonymous ANONYMOUS_DIR
      Lays out a client data directory DIR holding one task that is ready to
      run, as after a download: an account file, client_state.xml with the
      project, the application, one work unit and its result (out.txt goes to
      the result's output file <OUTPUT>), and the app version. With
      --app-version, the files that VERSION_DIR/version.xml names are the app
      version the project sent (copied into the project directory and declared
      in client_state.xml, as update_versions would declare them); with
      --anonymous, ANONYMOUS_DIR's app_info.xml and files are copied into the
      project directory, where the client finds them itself. Prints the
      project directory and the output file's path. Then
          boinc --dir DIR --no_gpus --skip_cpu_benchmarks --no_info_fetch --gui_rpc_port PORT
      runs the task at once (reporting fails: nothing listens at the URL).

  boinc_client.py results PORT
      One line per task from the GUI RPC get_results, as the BOINC Manager reads
      them: name, state, exit_status, pid, slot_path, graphics_exec_path
      (tab-separated; empty fields for a task that is not running).

  boinc_client.py free-port
      A TCP port free on localhost now.
"""
import os
import re
import shutil
import socket
import sys

URL = 'http://127.0.0.1:9/tw/'          # nothing listens there
PROJECT = 'projects/127.0.0.1_9_tw'     # the URL without scheme, '/' and ':' as '_'
ACCOUNT = 'account_127.0.0.1_9_tw.xml'
OUTPUT = 'tw_wu_1_0_out'


def tag(text, name):
    m = re.search(r'<%s>(.*?)</%s>' % (name, name), text, re.S)
    return m.group(1).strip() if m else ''


def version_files(version_dir):
    """(physical name, logical name, main program, copy file) for each <file> of version.xml."""
    with open(os.path.join(version_dir, 'version.xml')) as f:
        text = f.read()
    files = [(tag(b, 'physical_name'), tag(b, 'logical_name'), '<main_program/>' in b, '<copy_file/>' in b)
             for b in re.findall(r'<file>(.*?)</file>', text, re.S)]
    return files, tag(text, 'api_version')


def app_version_xml(version_dir):
    files, api_version = version_files(version_dir)
    xml = ''
    for physical, _, _, _ in files:
        xml += ('<file_info>\n    <name>%s</name>\n    <status>1</status>\n    <executable/>\n'
                '</file_info>\n' % physical)
    xml += ('<app_version>\n    <app_name>tidewrack</app_name>\n    <version_num>%s</version_num>\n'
            '    <platform>x86_64-pc-linux-gnu</platform>\n    <avg_ncpus>1</avg_ncpus>\n'
            '    <flops>1e9</flops>\n' % version_num(version_dir))
    if api_version:
        xml += '    <api_version>%s</api_version>\n' % api_version
    for physical, logical, main, copy in files:
        xml += '    <file_ref><file_name>%s</file_name>' % physical
        xml += '<main_program/>' if main else ''
        xml += '<open_name>%s</open_name>' % logical if logical else ''
        xml += '<copy_file/>' if copy else ''
        xml += '</file_ref>\n'
    return xml + '</app_version>\n', [f[0] for f in files]


def version_num(version_dir):
    """apps/APP/4.87/PLATFORM -> 487, as update_versions reads it."""
    major, minor = os.path.basename(os.path.dirname(os.path.abspath(version_dir))).split('.')
    return int(major) * 100 + int(minor)


def layout(d, mode, source):
    shutil.rmtree(d, ignore_errors=True)
    pdir = os.path.join(d, PROJECT)
    os.makedirs(pdir)
    os.makedirs(os.path.join(d, 'slots'))
    if mode == '--app-version':
        app_xml, names = app_version_xml(source)
        vnum = version_num(source)
    elif mode == '--anonymous':
        app_xml, names = '', os.listdir(source)
        with open(os.path.join(source, 'app_info.xml')) as f:
            vnum = int(tag(f.read(), 'version_num'))
    else:
        sys.exit('layout: --app-version or --anonymous')
    for name in names:
        shutil.copy2(os.path.join(source, name), pdir)
    with open(os.path.join(d, 'gui_rpc_auth.cfg'), 'w') as f:
        f.write('pw\n')
    with open(os.path.join(d, 'cc_config.xml'), 'w') as f:
        f.write('<cc_config><log_flags><task/><task_debug/><slot_debug/></log_flags></cc_config>\n')
    # Run whatever the machine's load: a shared test machine is never idle.
    with open(os.path.join(d, 'global_prefs_override.xml'), 'w') as f:
        f.write('<global_preferences>\n    <run_if_user_active>1</run_if_user_active>\n'
                '    <suspend_cpu_usage>0</suspend_cpu_usage>\n    <max_ncpus_pct>100</max_ncpus_pct>\n'
                '    <cpu_usage_limit>100</cpu_usage_limit>\n</global_preferences>\n')
    with open(os.path.join(d, ACCOUNT), 'w') as f:
        f.write('<account>\n    <master_url>%s</master_url>\n    <authenticator>0123456789abcdef'
                '</authenticator>\n    <project_name>Tidewrack test</project_name>\n</account>\n' % URL)
    # The output file needs <upload_url>: with a plain <url> the client takes
    # it for an input and fetches it again after the run, emptying out.txt.
    state = f'''<client_state>
<project>
    <master_url>{URL}</master_url>
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
{app_xml}<file_info>
    <name>{OUTPUT}</name>
    <max_nbytes>2000000</max_nbytes>
    <upload_url>{URL}upload</upload_url>
</file_info>
<workunit>
    <name>tw_wu_1</name>
    <app_name>tidewrack</app_name>
    <version_num>{vnum}</version_num>
    <rsc_fpops_est>1e11</rsc_fpops_est>
    <rsc_fpops_bound>1e13</rsc_fpops_bound>
    <rsc_memory_bound>2e8</rsc_memory_bound>
    <rsc_disk_bound>1e8</rsc_disk_bound>
</workunit>
<result>
    <name>tw_wu_1_0</name>
    <wu_name>tw_wu_1</wu_name>
    <version_num>{vnum}</version_num>
    <platform>x86_64-pc-linux-gnu</platform>
    <final_cpu_time>0</final_cpu_time>
    <state>2</state>
    <report_deadline>1999999999</report_deadline>
    <file_ref><file_name>{OUTPUT}</file_name><open_name>out.txt</open_name></file_ref>
</result>
</client_state>
'''
    with open(os.path.join(d, 'client_state.xml'), 'w') as f:
        f.write(state)
    print(os.path.abspath(pdir))
    print(os.path.abspath(os.path.join(pdir, OUTPUT)))


def results(port):
    s = socket.create_connection(('127.0.0.1', port))
    s.sendall(b'<boinc_gui_rpc_request>\n<get_results/>\n</boinc_gui_rpc_request>\n\003')
    reply = b''
    while not reply.endswith(b'\003'):
        chunk = s.recv(65536)
        if not chunk:
            break
        reply += chunk
    for result in re.findall(r'<result>(.*?)</result>', reply.decode(errors='replace'), re.S):
        print(*(tag(result, t) for t in
                ('name', 'state', 'exit_status', 'pid', 'slot_path', 'graphics_exec_path')), sep='\t')


def free_port():
    s = socket.socket()
    s.bind(('127.0.0.1', 0))
    print(s.getsockname()[1])
    s.close()


if __name__ == '__main__':
    if len(sys.argv) == 5 and sys.argv[1] == 'layout':
        layout(sys.argv[2], sys.argv[3], sys.argv[4])
    elif len(sys.argv) == 3 and sys.argv[1] == 'results':
        results(int(sys.argv[2]))
    elif len(sys.argv) == 2 and sys.argv[1] == 'free-port':
        free_port()
    else:
        sys.exit(__doc__)
