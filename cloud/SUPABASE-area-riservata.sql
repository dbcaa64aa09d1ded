-- Reserved area of the Palestre Tarvela site: accounts' profiles, roles, and the private
-- card folders of the bucket "schede". Run once in the project's SQL editor; running it
-- again later is harmless (it only replaces what it made).

-- ─── Profiles ───

create table if not exists public.profili (
  id uuid primary key references auth.users (id) on delete cascade,
  email text,
  nome text,
  ruolo text not null default 'atleta',
  istruttore uuid references public.profili (id) on delete set null,
  creato timestamptz not null default now()
);

alter table public.profili enable row level security;

-- Rows come only from the sign-up trigger and go with their account: no insert or delete.
-- The policies below answer the signed-out visitor with no rows.
revoke all on public.profili from anon, authenticated;
grant select, update on public.profili to anon, authenticated;

-- ─── The gym ───
-- Its one row is written by the gym's first sign-up, which makes that account the owner.
-- It stays when accounts go: a sign-up after the owner's account was deleted is an athlete.

create table if not exists public.palestra (
  id int primary key default 1 check (id = 1),
  aperta timestamptz not null default now()
);

alter table public.palestra enable row level security;
revoke all on public.palestra from anon, authenticated;

-- A project set up before this table existed has had its first account already.
insert into public.palestra (id) select 1 where exists (select 1 from public.profili)
  on conflict (id) do nothing;

-- ─── Helpers for the rules ───
-- Security definer and owned by the table's owner, so the table's own rules do not apply
-- inside them: the rules of profili can then consult profili without recursion.

create or replace function public.mio_ruolo() returns text
language sql stable security definer set search_path = '' as $$
  select p.ruolo from public.profili p where p.id = (select auth.uid())
$$;

create or replace function public.mio_istruttore() returns uuid
language sql stable security definer set search_path = '' as $$
  select p.istruttore from public.profili p where p.id = (select auth.uid())
$$;

create or replace function public.segue(atleta uuid) returns boolean
language sql stable security definer set search_path = '' as $$
  select exists (select 1 from public.profili p
                 where p.id = atleta and p.istruttore = (select auth.uid()))
$$;

-- A card folder is named by its account's id, exactly as the id is written.
create or replace function public.puo_cartella(cartella text) returns boolean
language sql stable security definer set search_path = '' as $$
  select exists (select 1 from public.profili p
                 where p.id::text = cartella
                   and (p.id = (select auth.uid())
                        or p.istruttore = (select auth.uid())
                        or public.mio_ruolo() = 'titolare'))
$$;

-- A card is written as "{folder}/{name}", one level deep, its name in the characters of the
-- site's safe names: nothing that another client could read as a path, a line or a command.
create or replace function public.scheda_scrivibile(percorso text) returns boolean
language sql stable set search_path = '' as $$
  select percorso ~ '^[^/]+/[A-Za-z0-9_ .()-]+$'
    and split_part(percorso, '/', 2) not in ('.', '..')
    and public.puo_cartella(split_part(percorso, '/', 1))
$$;

revoke execute on function public.mio_ruolo(), public.mio_istruttore(), public.segue(uuid),
  public.puo_cartella(text), public.scheda_scrivibile(text) from public, anon;
grant execute on function public.mio_ruolo(), public.mio_istruttore(), public.segue(uuid),
  public.puo_cartella(text), public.scheda_scrivibile(text) to authenticated;

-- ─── Who sees and changes which profile ───

drop policy if exists "profili: vedo" on public.profili;
create policy "profili: vedo" on public.profili for select to authenticated using (
  id = (select auth.uid())
  or public.mio_ruolo() = 'titolare'
  or public.segue(id)
  or id = public.mio_istruttore());

drop policy if exists "profili: cambio" on public.profili;
create policy "profili: cambio" on public.profili for update to authenticated
  using (id = (select auth.uid()) or public.mio_ruolo() = 'titolare')
  with check (id = (select auth.uid()) or public.mio_ruolo() = 'titolare');

-- ─── Names ───
-- Names are shown to others: a line's worth, and no characters that break or turn the text.

create or replace function public.controlla_nome(nome text) returns void
language plpgsql immutable set search_path = '' as $$
begin
  if char_length(nome) > 80 then
    raise exception 'Il nome è troppo lungo: al massimo 80 caratteri.';
  end if;
  if nome ~ '[\u0001-\u001f\u007f-\u009f\u061c\u200e\u200f\u2028-\u202e\u2066-\u2069]' then
    raise exception 'Il nome non può contenere a capo né caratteri invisibili.';
  end if;
end
$$;

-- ─── A profile for every new account ───

create or replace function public.nuovo_profilo() returns trigger
language plpgsql security definer set search_path = '' as $$
declare
  nome text := btrim(coalesce(new.raw_user_meta_data ->> 'nome', ''));
  ruolo text := 'atleta';
  prima int;
begin
  -- Only one sign-up can write the gym's row: at the same moment another one waits for it,
  -- then is an athlete (or, under repeatable read or serializable, fails and may try again).
  insert into public.palestra (id) values (1) on conflict (id) do nothing;
  get diagnostics prima = row_count;
  if prima = 1 then
    ruolo := 'titolare';
  end if;
  if nome = '' then
    nome := split_part(coalesce(new.email, ''), '@', 1);
  end if;
  perform public.controlla_nome(nome);
  insert into public.profili (id, email, nome, ruolo) values (new.id, new.email, nome, ruolo);
  return new;
end
$$;

drop trigger if exists su_nuovo_utente on auth.users;
create trigger su_nuovo_utente after insert on auth.users
  for each row execute function public.nuovo_profilo();

-- ─── The checks on every change of a profile ───

create or replace function public.controlla_profilo() returns trigger
language plpgsql security definer set search_path = '' as $$
begin
  new.id := old.id;
  new.email := old.email;
  new.creato := old.creato;
  if new.nome is distinct from old.nome then
    perform public.controlla_nome(new.nome);
  end if;
  -- Requests from the site carry a user; the SQL editor and the service do not. Only the
  -- owner may change roles and instructors; anyone else's change keeps them. A nested update
  -- is libera_atleti's, which frees the athletes of the caller's own allowed change (an owner
  -- turned athlete is no longer the owner by then).
  if (select auth.uid()) is not null and pg_trigger_depth() = 1
     and coalesce(public.mio_ruolo(), '') <> 'titolare' then
    new.ruolo := old.ruolo;
    new.istruttore := old.istruttore;
  end if;

  if new.ruolo is null or new.ruolo not in ('titolare', 'istruttore', 'atleta') then
    raise exception 'ruolo non valido';
  end if;
  if old.ruolo = 'titolare' and new.ruolo <> 'titolare' then
    -- Lock the owners' rows so that two owners cannot step down at the same time.
    perform 1 from public.profili p where p.ruolo = 'titolare' for update;
    if not exists (select 1 from public.profili p where p.ruolo = 'titolare' and p.id <> old.id) then
      raise exception 'Serve almeno un titolare: prima fai titolare un altro account.';
    end if;
  end if;
  if new.ruolo <> 'atleta' then
    new.istruttore := null;
  end if;
  if new.istruttore = new.id then
    raise exception 'Un account non può essere l''istruttore di sé stesso.';
  end if;
  if new.istruttore is not null and not exists (
      select 1 from public.profili p where p.id = new.istruttore and p.ruolo <> 'atleta') then
    raise exception 'L''account scelto come istruttore non è un istruttore.';
  end if;
  return new;
end
$$;

drop trigger if exists controlla_profilo on public.profili;
create trigger controlla_profilo before update on public.profili
  for each row execute function public.controlla_profilo();

-- An instructor or owner who becomes an athlete leaves his athletes without an instructor.
create or replace function public.libera_atleti() returns trigger
language plpgsql security definer set search_path = '' as $$
begin
  if old.ruolo <> 'atleta' and new.ruolo = 'atleta' then
    update public.profili set istruttore = null where istruttore = new.id;
  end if;
  return null;
end
$$;

drop trigger if exists libera_atleti on public.profili;
create trigger libera_atleti after update on public.profili
  for each row execute function public.libera_atleti();

revoke execute on function public.nuovo_profilo(), public.controlla_profilo(),
  public.libera_atleti(), public.controlla_nome(text) from public, anon, authenticated;

-- ─── Card folders ───

insert into storage.buckets (id, name, public) values ('schede', 'schede', false)
  on conflict (id) do update set public = false;

-- Overwriting an upload needs reading, inserting and updating together.
drop policy if exists "schede: leggo" on storage.objects;
create policy "schede: leggo" on storage.objects for select to authenticated
  using (bucket_id = 'schede' and public.puo_cartella((storage.foldername(name))[1]));

drop policy if exists "schede: scrivo" on storage.objects;
create policy "schede: scrivo" on storage.objects for insert to authenticated
  with check (bucket_id = 'schede' and public.scheda_scrivibile(name));

-- Also a move: the object leaves a folder the caller may use for one he may write in.
drop policy if exists "schede: sovrascrivo" on storage.objects;
create policy "schede: sovrascrivo" on storage.objects for update to authenticated
  using (bucket_id = 'schede' and public.puo_cartella((storage.foldername(name))[1]))
  with check (bucket_id = 'schede' and public.scheda_scrivibile(name));

drop policy if exists "schede: tolgo" on storage.objects;
create policy "schede: tolgo" on storage.objects for delete to authenticated
  using (bucket_id = 'schede' and public.puo_cartella((storage.foldername(name))[1]));
