#!/usr/bin/env bash
# The cloud's rules file on a private PostgreSQL 15 cluster (unix socket only), checked with pgTAP.
set -euo pipefail
cd "$(dirname "$0")/../.."

bin=/usr/lib/postgresql/15/bin
tmp=$(mktemp -d)
come_postgres() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }
[ "$(id -u)" = 0 ] && chown postgres "$tmp"

trap 'come_postgres "$bin/pg_ctl" stop -D "$tmp/dati" -m fast >/dev/null 2>&1; rm -rf "$tmp"' EXIT
come_postgres "$bin/initdb" -D "$tmp/dati" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 >/dev/null
come_postgres "$bin/pg_ctl" start -D "$tmp/dati" -w -l "$tmp/log" \
  -o "-c listen_addresses='' -c unix_socket_directories='$tmp'" >/dev/null || { cat "$tmp/log"; exit 1; }

export PGHOST=$tmp PGUSER=postgres PGDATABASE=prova PGOPTIONS="-c client_min_messages=warning"
createdb prova
psql -v ON_ERROR_STOP=1 -q -f tests/sql/sostituto-cloud.sql
# Twice: the file must be safe to run again on a project that has it.
psql -v ON_ERROR_STOP=1 -q -f cloud/SUPABASE-area-riservata.sql
psql -v ON_ERROR_STOP=1 -q -f cloud/SUPABASE-area-riservata.sql
# A second project, for the sign-ups raced from two sessions.
createdb gara
psql -d gara -v ON_ERROR_STOP=1 -q -f tests/sql/sostituto-cloud.sql
psql -d gara -v ON_ERROR_STOP=1 -q -f cloud/SUPABASE-area-riservata.sql
pg_prove -d prova tests/sql/*.test.sql
