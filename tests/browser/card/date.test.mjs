// Week dates: reading them from titles, writing titles, proposing the next start, around year ends and weekends.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { apriPagina, inPagina } from './pagina.mjs';

let p;
before(async () => { p = await apriPagina(); });
after(async () => { await p.chiudi(); });

// Runs `corpo` in the page with its clock fixed at noon of the given local day.
async function il(giorno, corpo, ...args) {
  await p.page.clock.setFixedTime(new Date(`${giorno}T12:00:00`));
  return inPagina(p.page, Buffer.alloc(0), corpo, ...args);
}

test('the start date read from a title is the nearest one to today', async () => {
  const leggi = async (_, resto) => inizioDalTitolo(resto);
  assert.deepEqual(await il('2027-01-03', leggi, ' 29 DICEMBRE-4 GENNAIO'), [2026, 12, 29]);
  assert.deepEqual(await il('2026-12-30', leggi, ' 5 gennaio-11 gennaio'), [2027, 1, 5]);
  assert.deepEqual(await il('2026-06-10', leggi, ' 20 LUGLIO-26 LUGLIO'), [2026, 7, 20]);
  assert.deepEqual(await il('2026-06-10', leggi, '3 set'), [2026, 9, 3]);
  assert.equal(await il('2026-06-10', leggi, ' 20 JULY-26 JULY'), null);
  assert.equal(await il('2026-06-10', leggi, ' DAL LUNEDÌ'), null);
  assert.equal(await il('2026-06-10', leggi, ' 31 APRILE-6 MAGGIO'), null);
  assert.deepEqual(await il('2026-06-10', leggi, ' 2026 10 GIUGNO'), [2026, 6, 10]);
});

test('titles count six days on, across months and years', async () => {
  const titolo = async (_, n, a, m, g) => titoloSettimana(n, new Date(a, m - 1, g));
  assert.equal(await il('2026-11-01', titolo, 2, 2026, 11, 9), '2° SETTIMANA 9 NOVEMBRE-15 NOVEMBRE');
  assert.equal(await il('2026-11-01', titolo, 53, 2026, 12, 28), '53° SETTIMANA 28 DICEMBRE-3 GENNAIO');
  assert.equal(await il('2026-11-01', titolo, 9, 2028, 2, 26), '9° SETTIMANA 26 FEBBRAIO-3 MARZO');
});

test('the proposed start: the week after the last, or the current week when that is past', async () => {
  const proposta = async (_, ultimo) => inizioProposto(ultimo && new Date(ultimo[0], ultimo[1] - 1, ultimo[2]));
  // Wednesday 9 December 2026: this week's Monday is the 7th.
  assert.deepEqual(await il('2026-12-09', proposta, [2026, 11, 2]), [2026, 12, 7]);
  assert.deepEqual(await il('2026-12-09', proposta, null), [2026, 12, 7]);
  assert.deepEqual(await il('2026-12-09', proposta, [2026, 11, 30]), [2026, 12, 7]);
  assert.deepEqual(await il('2026-12-09', proposta, [2026, 12, 7]), [2026, 12, 14]);
  // Friday, Saturday and Sunday look at the coming Monday.
  for (const giorno of ['2026-12-11', '2026-12-12', '2026-12-13']) {
    assert.deepEqual(await il(giorno, proposta, [2026, 11, 2]), [2026, 12, 14], giorno);
  }
  assert.deepEqual(await il('2026-12-10', proposta, [2026, 11, 2]), [2026, 12, 7]);
  assert.deepEqual(await il('2026-12-31', proposta, [2026, 12, 28]), [2027, 1, 4]);
});
