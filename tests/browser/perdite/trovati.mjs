// Walks that lost something once, shortest form found, kept for good. `aperto` says what the
// page still loses on it; a case whose loss is mended loses its `aperto` and must then pass.
// `finestra` marks a loss left open by design, within a window a random walk rarely meets.
export const TROVATI = [
  {
    seme: 10,
    cosa: 'a value typed in the engine, then the tab reloaded within the engine\'s pause',
    comandi: [['Vista', 0], ['ScriviStilaro', 0, 3, '169', 'subito'], ['Ricarica', 0]],
  },
  {
    seme: null,
    cosa: 'a load typed in the table, then the tab closed within the pause before it is recorded',
    comandi: [['Scrivi', 0, 0, '555', 'subito'], ['Chiudi', 0, true]],
  },
  {
    seme: null,
    cosa: 'another device writes the cloud card, then an engine save of this one overwrites it',
    comandi: [['Entra'], ['Vista', 0], ['AltroDispositivo', 0, '321'], ['ScriviStilaro', 0, 0, '445', 'attesa']],
  },
  {
    seme: null,
    cosa: 'two engine saves in a row meet a copy changed by the other tab: the second backup replaces the first',
    comandi: [['Vista', 0], ['ApriSeconda'], ['ScriviStilaro', 1, 0, '500', 'attesa'], ['ScriviStilaro', 0, 0, '447', 'attesa'],
      ['ScriviStilaro', 1, 1, '501', 'attesa'], ['ScriviStilaro', 0, 1, '448', 'attesa']],
  },
  {
    seme: null,
    cosa: 'the instructor writes the cloud card while the engine\'s save of a value just typed is under way',
    finestra: true,
    aperto: 'timing: the save compares the object with what the page last read and then uploads; a write landing within that round trip is overwritten with no backup (the client has no conditional upload)',
    comandi: [['Entra'], ['Vista', 0], ['ScriviStilaro', 0, 0, '701', 'subito'], ['AltroDispositivo', 0, '702']],
  },
  {
    seme: 501,
    cosa: 'an engine value the cloud refused once, then the tab closed without the leave-page question',
    comandi: [['Entra'], ['Guasto', 'cloud'], ['Vista', 0], ['ScriviStilaro', 0, 0, '722', 'attesa'], ['Chiudi', 0, false]],
  },
  {
    seme: 523,
    cosa: 'a load typed in an added card, then another card chosen within the pause',
    comandi: [['AggiungiScheda'], ['Scrivi', 0, 7, '531', 'subito'], ['CambiaScheda'], ['Guasto', 'file']],
  },
  {
    seme: 7011,
    cosa: 'an engine value typed right after a card switch, while the engine still showed the card before',
    comandi: [['Scrivi', 0, 1, '786', 'attesa'], ['AggiungiScheda'], ['AggiungiScheda'], ['Chiudi', 0, false], ['NuovaSettimana', 0],
      ['Scrivi', 0, 15, '453', 'attesa'], ['Vista', 0], ['ScriviStilaro', 0, 13, '125', 'subito'], ['Ricarica', 0], ['ApriSeconda'],
      ['SecondoDispositivo', 13, '473'], ['ScriviStilaro', 1, 8, '207', 'attesa'], ['CambiaScheda'], ['Offline'],
      ['ScriviStilaro', 0, 15, '199', 'attesa']],
  },
  {
    seme: 20018,
    cosa: 'a value typed in the engine while a card switch was starting, then a sign-in: it went to the card the engine showed next',
    comandi: [['Vista', 0], ['Offline'], ['ApriSeconda'], ['AggiungiScheda'], ['Offline'], ['CambiaScheda'], ['ScriviStilaro', 0, 11, '224', 'subito'],
      ['ScriviStilaro', 0, 3, '187', 'subito'], ['Entra'], ['Chiudi', 0, false]],
  },
  {
    seme: 40016,
    cosa: 'a value typed in the engine, then the tab closed within the engine\'s pause without the leave-page question',
    comandi: [['Vista', 0], ['ScriviStilaro', 0, 7, '393', 'subito'], ['Chiudi', 0, false]],
  },
  {
    seme: 40154,
    cosa: 'a load typed in the second tab after the first tab added a card: it went to the added card',
    comandi: [['ApriSeconda'], ['AggiungiScheda'], ['AltroDispositivo', 15, '240'], ['AggiungiScheda'], ['Esci', 0], ['Offline'], ['Annulla', 0],
      ['Chiudi', 0, false], ['Scrivi', 0, 3, '764', 'subito'], ['Scrivi', 1, 14, '681', 'tab']],
  },
  {
    seme: 40060,
    cosa: 'a load typed in the second tab, that tab closed within the pause, then another card added in the first',
    comandi: [['ApriSeconda'], ['Guasto', 'cloud'], ['Scrivi', 1, 5, '590', 'subito'], ['Chiudi', 1, false], ['AggiungiScheda']],
  },
  {
    seme: 50193,
    cosa: 'an engine value written into the linked file, then the file saved over by another program that had read it before',
    finestra: true,
    aperto: 'timing: the other program read the file before the page wrote there; when the card is shown the page sets its version aside on seeing the change, but a linked card not shown keeps it only in its reserve copy, which the next reading of the file replaces',
    comandi: [['Annulla', 0], ['Vista', 0], ['CambiaScheda'], ['ScriviStilaro', 0, 13, '259', 'subito'], ['AggiungiScheda'], ['Collega', true],
      ['FileFuori', 9, '774'], ['Chiudi', 0, false], ['SecondoDispositivo', 0, '476'], ['AltroDispositivo', 12, '151']],
  },
];
