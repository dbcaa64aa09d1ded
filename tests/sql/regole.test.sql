-- The shared rule cases (regole.json), each acted out as its user and then undone.
\set ON_ERROR_STOP 1
\set casi `cat tests/sql/regole.json`
begin;
create extension if not exists pgtap;
\ir palestra.sql

-- Values of a case ('valori') as the set list of an update; numbers in id and istruttore are accounts.
create function pg_temp.valori(v jsonb) returns text language sql as $$
  select string_agg(format('%I = %L', k,
           case when k in ('id', 'istruttore') and jsonb_typeof(x) = 'number'
                then pg_temp.uid(x::text::int)::text else x #>> '{}' end), ', ')
  from jsonb_each(v) as e(k, x)
$$;

-- A case's object path: {n} is account n's id, {n maiuscolo} the same id in capitals.
create function pg_temp.percorso(t text) returns text language plpgsql as $$
begin
  for n in 1..9 loop
    t := replace(replace(t, '{' || n || ' maiuscolo}', upper(pg_temp.uid(n)::text)), '{' || n || '}', pg_temp.uid(n)::text);
  end loop;
  return t;
end
$$;

-- Runs one case as its user and answers what it saw in the shape of the case's 'atteso'.
-- The final exception undoes everything the case did, so each case starts from the same gym.
create function pg_temp.caso(c jsonb) returns jsonb language plpgsql as $$
declare
  chi int := (c ->> 'chi')::int;
  atteso jsonb := c -> 'atteso';
  cartella text := pg_temp.uid((c ->> 'cartella')::int)::text;
  passo jsonb;
  prima jsonb;
  esito jsonb := '{}';
  visti uuid[];
  n int;
begin
  begin
    -- What the administrator arranged before the case (the dashboard, or an account deleted).
    for passo in select * from jsonb_array_elements(coalesce(c -> 'prima', '[]')) loop
      if passo ? 'cancella' then
        delete from auth.users where id = pg_temp.uid((passo ->> 'cancella')::int);
      else
        execute format('update public.profili set %s where id = %L', pg_temp.valori(passo -> 'valori'),
                       pg_temp.uid((passo ->> 'profilo')::int));
      end if;
    end loop;
    select jsonb_object_agg(pg_temp.numero(p.id), to_jsonb(p)) into prima from public.profili p;
    -- A sign-up is made by the cloud's own service, not by a user.
    if chi > 0 then
      perform set_config('role', 'authenticated', true);
      perform set_config('request.jwt.claims',
        json_build_object('sub', pg_temp.uid(chi), 'role', 'authenticated')::text, true);
    elsif c ->> 'fa' <> 'iscrivi' then
      perform set_config('role', 'anon', true);
    end if;
    begin
      case c ->> 'fa'
      when 'vedi' then
        execute 'select coalesce(array_agg(id), ''{}'') from public.profili' into visti;
      when 'cambia' then
        execute format('update public.profili set %s where id = %L', pg_temp.valori(c -> 'valori'),
                       pg_temp.uid((c ->> 'profilo')::int));
        get diagnostics n = row_count;
        esito := jsonb_build_object('righe', n);
      when 'iscrivi' then
        insert into auth.users (id, email, raw_user_meta_data)
          values (pg_temp.uid(9), 'account9@palestra.test', c -> 'valori');
        esito := jsonb_build_object('ruolo', (select ruolo from public.profili where id = pg_temp.uid(9)));
      when 'elenca' then
        execute format('select count(*) from storage.objects where bucket_id = %L and name like %L',
                       'schede', cartella || '/%') into n;
        esito := jsonb_build_object('file', n);
      when 'leggi' then
        execute format('select count(*) from storage.objects where bucket_id = %L and name = %L',
                       'schede', cartella || '/scheda.xlsx') into n;
        esito := jsonb_build_object('trovato', n > 0);
      when 'scrivi' then
        -- The storage service's upload with overwrite.
        execute format('insert into storage.objects (bucket_id, name, owner) values (%L, %L, %L)
                        on conflict (bucket_id, name) do update set updated_at = now()',
                       'schede', coalesce(pg_temp.percorso(c ->> 'percorso'),
                         cartella || case when c ? 'sovrascrivi' then '/scheda.xlsx' else '/nuova.xlsx' end),
                       pg_temp.uid(chi));
        esito := jsonb_build_object('scritto', true);
      when 'sposta' then
        -- The storage service's move renames the object.
        execute format('update storage.objects set name = %L where bucket_id = %L and name = %L',
                       pg_temp.uid((c ->> 'verso')::int) || '/spostata.xlsx', 'schede', cartella || '/scheda.xlsx');
        get diagnostics n = row_count;
        esito := jsonb_build_object('spostato', n > 0);
      when 'togli' then
        execute format('delete from storage.objects where bucket_id = %L and name = any(%L)',
                       'schede', array[cartella || '/scheda.xlsx']);
      end case;
    exception when others then
      -- The storage service reports a refusal of its row rules with this shorter text.
      esito := jsonb_build_object('errore', case when sqlstate = '42501' and sqlerrm like '%row-level security%'
                                                 then 'new row violates row-level security policy' else sqlerrm end);
    end;
    perform set_config('role', 'none', true);
    perform set_config('request.jwt.claims', '', true);

    if c ->> 'fa' = 'vedi' then
      esito := jsonb_build_object('vede', (select coalesce(jsonb_agg(pg_temp.numero(v) order by pg_temp.numero(v)), '[]')
                                           from unnest(visti) v));
    elsif c ->> 'fa' = 'togli' then
      esito := jsonb_build_object('tolto', not exists (select 1 from storage.objects
                                                        where name = cartella || '/scheda.xlsx'));
    end if;
    if atteso ? 'dopo' then
      esito := esito || jsonb_build_object('dopo', (
        select jsonb_object_agg(quale, (
          select jsonb_object_agg(campo, case
              when atteso #>> array['dopo', quale, campo] = '=' and adesso -> campo = prima -> quale -> campo then '"="'
              when campo in ('id', 'istruttore') and adesso ->> campo is not null
                then to_jsonb(pg_temp.numero((adesso ->> campo)::uuid))
              else adesso -> campo end)
          from jsonb_object_keys(atteso #> array['dopo', quale]) campo))
        from jsonb_object_keys(atteso -> 'dopo') quale,
             lateral (select to_jsonb(p) adesso from public.profili p where p.id = pg_temp.uid(quale::int)) a));
    end if;
    raise exception using errcode = 'TT001', message = esito::text;
  exception when sqlstate 'TT001' then
    return sqlerrm::jsonb;
  end;
end
$$;

select plan(jsonb_array_length(:'casi'::jsonb -> 'casi'));
select is(pg_temp.caso(c), c -> 'atteso', c ->> 'nome') from jsonb_array_elements(:'casi'::jsonb -> 'casi') c;
select * from finish();
rollback;
