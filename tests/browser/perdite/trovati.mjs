// Walks that lost something once, shortest form found, kept for good. `aperto` says what the
// page still loses on it; a case whose loss is mended loses its `aperto` and must then pass.
export const TROVATI = [
  {
    seme: 10,
    cosa: 'a value typed in the engine, then the tab reloaded within the engine\'s pause',
    aperto: 'the page asks before leaving, but the engine\'s save it starts is cut short when the member leaves',
    comandi: [['Vista', 0], ['ScriviStilaro', 0, 3, '169', 'subito'], ['Ricarica', 0]],
  },
  {
    seme: null,
    cosa: 'a load typed in the table, then the tab closed within the pause before it is recorded',
    aperto: 'the browser copy\'s IndexedDB writes are still running when the tab goes',
    comandi: [['Scrivi', 0, 0, '555', 'subito'], ['Chiudi', 0, true]],
  },
  {
    seme: null,
    cosa: 'another device writes the cloud card, then an engine save of this one overwrites it',
    aperto: 'an engine save to the cloud never checks whether the object changed since it was read, and keeps no backup',
    comandi: [['Entra'], ['Vista', 0], ['AltroDispositivo', 0, '321'], ['ScriviStilaro', 0, 0, '445', 'attesa']],
  },
  {
    seme: null,
    cosa: 'two engine saves in a row meet a copy changed by the other tab: the second backup replaces the first',
    aperto: 'one backup slot per card name: the page says the first value was set aside, and it is gone',
    comandi: [['Vista', 0], ['ApriSeconda'], ['ScriviStilaro', 1, 0, '500', 'attesa'], ['ScriviStilaro', 0, 0, '447', 'attesa'],
      ['ScriviStilaro', 1, 1, '501', 'attesa'], ['ScriviStilaro', 0, 1, '448', 'attesa']],
  },
];
