-- The shared rule cases (regole.json), each acted out as its user and then undone.
\set ON_ERROR_STOP 1
\set casi `cat tests/sql/regole.json`
begin;
create extension if not exists pgtap;
\ir palestra.sql

-- Runs one case as its user and answers what it saw in the shape of the case's 'atteso'.
-- The final exception undoes everything the case did, so each case starts from the same gym.
create function pg_temp.caso(c jsonb) returns jsonb language plpgsql as $$
declare
  chi int := (c ->> 'chi')::int;
  atteso jsonb := c -> 'atteso';
  cartella text := pg_temp.uid((c ->> 'cartella')::int)::text;
  valori text;
  prima jsonb;
  esito jsonb := '{}';
  visti uuid[];
  n int;
begin
  select string_agg(format('%I = %L', k,
           case when k in ('id', 'istruttore') and jsonb_typeof(v) = 'number'
                then pg_temp.uid(v::text::int)::text else v #>> '{}' end), ', ')
    into valori from jsonb_each(c -> 'valori') as e(k, v);
  select jsonb_object_agg(pg_temp.numero(p.id), to_jsonb(p)) into prima from public.profili p;
  begin
    if chi > 0 then
      perform set_config('role', 'authenticated', true);
      perform set_config('request.jwt.claims',
        json_build_object('sub', pg_temp.uid(chi), 'role', 'authenticated')::text, true);
    else
      perform set_config('role', 'anon', true);
    end if;
    begin
      case c ->> 'fa'
      when 'vedi' then
        execute 'select coalesce(array_agg(id), ''{}'') from public.profili' into visti;
      when 'cambia' then
        execute format('update public.profili set %s where id = %L', valori, pg_temp.uid((c ->> 'profilo')::int));
        get diagnostics n = row_count;
        esito := jsonb_build_object('righe', n);
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
                       'schede', cartella || case when c ? 'sovrascrivi' then '/scheda.xlsx' else '/nuova.xlsx' end,
                       pg_temp.uid(chi));
        esito := jsonb_build_object('scritto', true);
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
