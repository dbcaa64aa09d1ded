-- Two first sign-ups at the same time, from two real sessions on the database "gara" (the
-- rules on a project with no account yet), at each isolation level.
begin;
create extension if not exists pgtap;
create extension if not exists dblink;
select plan(3);

-- Both sessions look at the gym, then A signs up and B signs up while A has not committed.
-- Answers the owners' count and what became of B: 'atleta' or the error it got.
create function pg_temp.gara(livello text) returns text language plpgsql as $$
declare
  dove text := format('dbname=gara host=%s port=%s application_name=',
                      current_setting('unix_socket_directories'), current_setting('port'));
  seconda text;
  titolari int;
begin
  perform dblink_connect('a', dove || 'gara-a');
  perform dblink_connect('b', dove || 'gara-b');
  perform dblink_exec(s, 'begin isolation level ' || livello) from unnest(array['a', 'b']) s;
  perform * from dblink('a', 'select count(*) from public.profili') as n(n bigint);
  perform * from dblink('b', 'select count(*) from public.profili') as n(n bigint);
  perform dblink_exec('a', $q$insert into auth.users (id, email) values
    ('00000000-0000-4000-a000-0000000000a1', 'prima@gara.test')$q$);
  perform dblink_send_query('b', $q$insert into auth.users (id, email) values
    ('00000000-0000-4000-a000-0000000000b1', 'seconda@gara.test')$q$);
  -- B is under way: waiting for A, or already through.
  loop
    perform pg_stat_clear_snapshot();
    exit when dblink_is_busy('b') = 0 or exists (select 1 from pg_stat_activity
                                                 where application_name = 'gara-b' and wait_event_type = 'Lock');
    perform pg_sleep(0.01);
  end loop;
  perform dblink_exec('a', 'commit');
  begin
    perform * from dblink_get_result('b') as r(esito text);
    seconda := 'atleta';
  exception when others then
    seconda := sqlerrm;
  end;
  perform * from dblink_get_result('b', false) as r(esito text);
  perform dblink_exec('b', 'commit');

  select count(*) filter (where ruolo = 'titolare'),
         coalesce(max(ruolo) filter (where email = 'seconda@gara.test'), seconda)
    into titolari, seconda
    from dblink('a', 'select ruolo, email from public.profili') as p(ruolo text, email text);
  perform dblink_exec('a', 'delete from auth.users; delete from public.palestra');
  perform dblink_disconnect('a');
  perform dblink_disconnect('b');
  return titolari || ' titolare, seconda: ' || seconda;
end
$$;

select is(pg_temp.gara('read committed'), '1 titolare, seconda: atleta',
  'read committed: one owner, the second sign-up an athlete');
select is(pg_temp.gara('repeatable read'), '1 titolare, seconda: could not serialize access due to concurrent update',
  'repeatable read: one owner; the second sign-up is refused, to be tried again');
select is(pg_temp.gara('serializable'), '1 titolare, seconda: could not serialize access due to concurrent update',
  'serializable: one owner; the second sign-up is refused, to be tried again');

select * from finish();
rollback;
