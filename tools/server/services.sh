#!/bin/bash
# services.sh start DIR [HTTP_PORT] [DB_PORT]
# services.sh stop DIR
#
# MariaDB and Apache (with PHP and CGI) for a local BOINC project, run as
# processes of our own: both listen on 127.0.0.1 only (defaults 18080 and
# 13306), and keep data, configuration, logs and pid files under DIR/mariadb
# and DIR/apache. Nothing in /etc/mysql or /etc/apache2 is read, no system
# service is started. Apache reads projects' configurations from
# DIR/apache/conf.d/ ("services.sh start" again re-reads them). "stop" ends
# what "start" started, by the pids it recorded in DIR/run/.
# The database account is boincadm / boincadm.
set -euo pipefail
command=${1:-}; dir=${2:-}
[ -n "$command" ] && [ -n "$dir" ] || { echo "usage: services.sh start|stop DIR [HTTP_PORT] [DB_PORT]" >&2; exit 2; }
mkdir -p "$dir"; dir=$(realpath "$dir")
http_port=${3:-18080}; db_port=${4:-13306}
run=$dir/run; db=$dir/mariadb; web=$dir/apache
mkdir -p "$run"

step_start=0
step() { step_start=$EPOCHREALTIME; printf '%-14s ' "$1"; }
done_step() { awk -v m="$1" -v a="$step_start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%s (%.1f s)\n", m, b - a }'; }
fail() { echo; echo "services.sh: $*" >&2; exit 1; }
alive() { [ -f "$run/$1.pid" ] && kill -0 "$(cat "$run/$1.pid")" 2>/dev/null; }

stop_pid() {   # stop_pid NAME: TERM, then KILL after 30 s
  local pid
  [ -f "$run/$1.pid" ] || return 0
  pid=$(cat "$run/$1.pid")
  if kill -0 "$pid" 2>/dev/null; then
    kill -TERM "$pid"
    for _ in $(seq 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
    kill -0 "$pid" 2>/dev/null && kill -KILL "$pid"
  fi
  rm -f "$run/$1.pid"
}

start_mariadb() {
  step "mariadb"
  if alive mariadb; then done_step "running (pid $(cat "$run/mariadb.pid"))"; return; fi
  mkdir -p "$db"
  if [ ! -d "$db/data/mysql" ]; then
    mariadb-install-db --no-defaults --user=root --datadir="$db/data" \
      --auth-root-authentication-method=socket --skip-test-db > "$db/install.log" 2>&1 ||
      { tail -n 20 "$db/install.log"; fail "mariadb-install-db failed"; }
  fi
  # --no-defaults first: none of the system's option files. A small InnoDB
  # without fsync: this database is thrown away.
  mariadbd --no-defaults --user=root --datadir="$db/data" --socket="$db/mariadb.sock" \
    --pid-file="$db/mariadbd.pid" --bind-address=127.0.0.1 --port="$db_port" --skip-name-resolve \
    --innodb-buffer-pool-size=64M --innodb-log-file-size=16M --innodb-flush-log-at-trx-commit=0 \
    --skip-log-bin --log-error="$db/error.log" < /dev/null > /dev/null 2>&1 &
  echo $! > "$run/mariadb.pid"
  for _ in $(seq 120); do
    mariadb --no-defaults --socket="$db/mariadb.sock" -uroot -e 'select 1' > /dev/null 2>&1 && break
    alive mariadb || { tail -n 20 "$db/error.log"; fail "mariadbd ended"; }
    sleep 0.25
  done
  mariadb --no-defaults --socket="$db/mariadb.sock" -uroot <<'SQL' || fail "cannot set up the database account"
CREATE USER IF NOT EXISTS 'boincadm'@'127.0.0.1' IDENTIFIED BY 'boincadm';
GRANT ALL PRIVILEGES ON *.* TO 'boincadm'@'127.0.0.1';
FLUSH PRIVILEGES;
SQL
  done_step "started (pid $(cat "$run/mariadb.pid"), 127.0.0.1:$db_port)"
}

write_apache_conf() {
  local modules=/usr/lib/apache2/modules php m
  php=$(ls "$modules"/libphp*.so 2>/dev/null | head -n 1)
  [ -n "$php" ] || fail "no PHP module for Apache (libapache2-mod-php)"
  mkdir -p "$web/conf.d" "$web/logs" "$web/htdocs"
  {
    cat <<CONF
ServerRoot "$web"
ServerName 127.0.0.1
Listen 127.0.0.1:$http_port
PidFile "$web/httpd.pid"
User www-data
Group www-data
ErrorLog "$web/logs/error.log"
LogFormat "%h %t \"%r\" %>s %b %D" timed
CustomLog "$web/logs/access.log" timed
CONF
    # prefork, because mod_php needs it; the auth modules for html/ops/.htaccess
    for m in mpm_prefork authz_core authz_host authz_user authn_core authn_file auth_basic mime dir \
             alias cgi negotiation autoindex; do
      echo "LoadModule ${m}_module $modules/mod_$m.so"
    done
    cat <<CONF
LoadModule php_module $php
StartServers 2
MinSpareServers 2
MaxSpareServers 4
TypesConfig /etc/mime.types
DirectoryIndex index.php index.html
AddType application/x-httpd-php .php
DocumentRoot "$web/htdocs"
<Directory />
    AllowOverride None
    Require all denied
</Directory>
IncludeOptional "$web/conf.d/*.conf"
CONF
  } > "$web/httpd.conf"
}

start_apache() {
  step "apache"
  write_apache_conf
  if alive apache; then
    kill -USR1 "$(cat "$run/apache.pid")"   # graceful restart: reads conf.d again
    sleep 1
    done_step "running (pid $(cat "$run/apache.pid")), configuration re-read"
    return
  fi
  rm -f "$web/httpd.pid"
  apache2 -f "$web/httpd.conf" -k start || { tail -n 20 "$web/logs/error.log"; fail "apache2 did not start"; }
  for _ in $(seq 40); do [ -s "$web/httpd.pid" ] && break; sleep 0.25; done
  [ -s "$web/httpd.pid" ] || fail "apache2 wrote no pid file"
  cp "$web/httpd.pid" "$run/apache.pid"
  done_step "started (pid $(cat "$run/apache.pid"), http://127.0.0.1:$http_port/)"
}

case $command in
  start)
    # a half start leaves nothing running behind it
    trap 'stop_pid apache; stop_pid mariadb' ERR
    start_mariadb
    start_apache
    trap - ERR
    ;;
  stop)
    step "apache"; stop_pid apache; done_step "stopped"
    step "mariadb"; stop_pid mariadb; done_step "stopped"
    ;;
  *) echo "usage: services.sh start|stop DIR [HTTP_PORT] [DB_PORT]" >&2; exit 2 ;;
esac
