-- What the shared rule cases cannot show: new accounts' profiles, the bucket, and the
-- requests that have no counterpart in the page.
begin;
create extension if not exists pgtap;
select plan(13);

insert into auth.users (id, email, raw_user_meta_data) values
  ('00000000-0000-4000-8000-0000000000a1', 'prima@palestra.test', '{"nome": "  Prima Persona "}'),
  ('00000000-0000-4000-8000-0000000000a2', 'seconda.persona@palestra.test', '{"nome": "   "}'),
  ('00000000-0000-4000-8000-0000000000a3', 'terza@palestra.test', null);

select is((select ruolo from public.profili where email = 'prima@palestra.test'), 'titolare',
  'the first account of a project becomes the owner');
select results_eq($$select ruolo from public.profili where email <> 'prima@palestra.test' order by email$$,
  array['atleta', 'atleta'], 'later accounts are born athletes');
select is((select nome from public.profili where email = 'prima@palestra.test'), 'Prima Persona',
  'the name comes from the sign-up data, trimmed');
select results_eq($$select nome from public.profili where email <> 'prima@palestra.test' order by email$$,
  array['seconda.persona', 'terza'], 'without a name, the e-mail before the at sign');
select is((select public from storage.buckets where id = 'schede'), false, 'the card bucket is private');
insert into storage.objects (bucket_id, name) select 'schede', id || '/scheda.xlsx' from public.profili;

-- A project whose rules file ran before the gym's row existed: running it again records that
-- the gym has had its first account, so the next sign-up after the owner's account is gone
-- is an athlete.
delete from public.palestra;
\ir ../../cloud/SUPABASE-area-riservata.sql
delete from auth.users where email = 'prima@palestra.test';
insert into auth.users (id, email) values ('00000000-0000-4000-8000-0000000000a4', 'quarta@palestra.test');
select is((select ruolo from public.profili where email = 'quarta@palestra.test'), 'atleta',
  'running the file again on an older project keeps a stranger from becoming the owner');
insert into auth.users (id, email) values ('00000000-0000-4000-8000-0000000000a1', 'prima@palestra.test');
update public.profili set ruolo = 'titolare' where email = 'prima@palestra.test';

-- A name stored before names were bounded does not stop the owner from changing that account.
set local session_replication_role = replica;
update public.profili set nome = repeat('x', 81) where email = 'terza@palestra.test';
reset session_replication_role;
select lives_ok($$update public.profili set ruolo = 'istruttore' where email = 'terza@palestra.test'$$,
  'a role change keeps a name stored before the bound');

set local role authenticated;
select set_config('request.jwt.claims', '{"sub": "00000000-0000-4000-8000-0000000000a2", "role": "authenticated"}', true);
select throws_ok($$insert into public.profili (id, email, nome) values ('00000000-0000-4000-8000-0000000000a9', 'x@y.z', 'x')$$,
  '42501', null, 'an account cannot add profiles');
select throws_ok($$delete from public.profili$$, '42501', null, 'an account cannot delete profiles');
select throws_ok($$select public.controlla_profilo()$$, '42501', null, 'the trigger functions are not callable');
select results_eq($$select name from storage.objects$$, array['00000000-0000-4000-8000-0000000000a2/scheda.xlsx'],
  'an athlete reads his own card and no other object');
select throws_ok($$insert into storage.objects (bucket_id, name) values ('schede', 'senza-cartella.xlsx')$$,
  '42501', null, 'a card outside every folder is refused');
reset role;

set local role anon;
select throws_ok($$select public.mio_ruolo()$$, '42501', null, 'the helpers are not callable signed out');
reset role;

select * from finish();
rollback;
