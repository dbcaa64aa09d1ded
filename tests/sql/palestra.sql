-- The gym of the shared rule cases: accounts 1-8 with fixed ids (with a letter, so that
-- capitals make another name), one card per athlete.
-- Loaded inside each test's transaction, as the administrator (no user in the request).

create function pg_temp.uid(n int) returns uuid language sql immutable as $$
  select ('00000000-0000-4000-a000-' || lpad(n::text, 12, '0'))::uuid
$$;
create function pg_temp.numero(id uuid) returns int language sql immutable as $$
  select nullif(right(id::text, 12), '')::int
$$;

insert into auth.users (id, email, raw_user_meta_data)
  select pg_temp.uid(n), 'account' || n || '@palestra.test', jsonb_build_object('nome', 'Account ' || n)
  from generate_series(1, 8) n;
update public.profili set ruolo = 'istruttore' where id in (pg_temp.uid(2), pg_temp.uid(3));
update public.profili set istruttore = pg_temp.uid(2) where id in (pg_temp.uid(4), pg_temp.uid(5), pg_temp.uid(6));
update public.profili set istruttore = pg_temp.uid(3) where id = pg_temp.uid(7);
insert into storage.objects (bucket_id, name, owner)
  select 'schede', pg_temp.uid(n) || '/scheda.xlsx', pg_temp.uid(n) from generate_series(4, 8) n;
