-- The rules' functions look names up on their own empty search path: an operator that a
-- caller puts ahead of the system's on his path changes nothing they decide.
begin;
create extension if not exists pgtap;
\ir palestra.sql
select plan(3);

-- Look-alike operators, each in a schema of its own: uuid "=" that holds for account 1 only,
-- text "<>" that never holds, text "=" that always holds.
create schema solo_uno;
create function solo_uno.uguale(a uuid, b uuid) returns boolean language sql immutable as $$
  select a operator(pg_catalog.=) pg_temp.uid(1)
$$;
create operator solo_uno.= (leftarg = uuid, rightarg = uuid, function = solo_uno.uguale);
create schema mai_diverso;
create function mai_diverso.diverso(a text, b text) returns boolean language sql immutable as $$ select false $$;
create operator mai_diverso.<> (leftarg = text, rightarg = text, function = mai_diverso.diverso);
create schema sempre_uguale;
create function sempre_uguale.uguale(a text, b text) returns boolean language sql immutable as $$ select true $$;
create operator sempre_uguale.= (leftarg = text, rightarg = text, function = sempre_uguale.uguale);
grant usage on schema solo_uno, mai_diverso, sempre_uguale to authenticated;

-- Runs a statement as account `chi` with `percorso` ahead of the system's names; answers its
-- first value as text.
create function pg_temp.come(chi int, percorso text, q text) returns text language plpgsql as $$
declare
  esito text;
begin
  perform set_config('role', 'authenticated', true);
  perform set_config('request.jwt.claims', json_build_object('sub', pg_temp.uid(chi), 'role', 'authenticated')::text, true);
  perform set_config('search_path', percorso || ', pg_catalog, public', true);
  execute q into esito;
  perform set_config('search_path', 'public', true);
  perform set_config('role', 'none', true);
  perform set_config('request.jwt.claims', '', true);
  return esito;
end
$$;

select is(pg_temp.come(4, 'solo_uno', 'select public.mio_ruolo()'), 'atleta',
  'an athlete''s role is his own whatever "=" means on his path');

select is(pg_temp.come(8, 'mai_diverso', format('update public.profili set ruolo = %L where id = %L returning ruolo',
                                             'titolare', pg_temp.uid(8))), 'atleta',
  'an athlete cannot make himself owner whatever "<>" means on his path');

select is(pg_temp.come(4, 'sempre_uguale', 'select count(*) from storage.objects'), '1',
  'an athlete sees his one card whatever "=" means on his path');

select * from finish();
rollback;
