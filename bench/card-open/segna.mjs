// Stamps the steps of opening the card, taken inside the page from the page's own functions.
// Runs as an init script: the page's script defines its functions in one go, so the first
// observer call after it ran wraps them, before any of the card's asynchronous work is done.
export function segnaApertura() {
  const t = (window.__tempi = {});
  const ora = () => performance.now();
  const dopoDueFrame = (chiave) => requestAnimationFrame(() => requestAnimationFrame(() => { t[chiave] ??= ora(); }));

  function avvolgi(nome, prima, dopo) {
    const originale = window[nome];
    window[nome] = function (...argomenti) {
      prima?.(...argomenti);
      const esito = originale.apply(this, argomenti);
      if (dopo) Promise.resolve(esito).then((v) => dopo(v, ...argomenti), () => {});
      return esito;
    };
  }

  function arma() {
    avvolgi('sorgenteCopia', null, (s) => { if (s) t.letta ??= ora(); });
    avvolgi('abbellisciScheda', () => { t.stileDa ??= ora(); }, (nuovo) => {
      t.stileA ??= ora();
      t.restyle ??= !!nuovo;
    });
    avvolgi('indicizza', null, () => { t.indicizzata ??= ora(); });
    avvolgi('caricaStilaro', null, (motore) => {
      if (t.motore) return;
      t.motore = ora();
      const avvia = motore.foglio_avvia;
      motore.foglio_avvia = function (...argomenti) {
        t.apreDa ??= ora();
        const esito = avvia.apply(this, argomenti);
        Promise.resolve(esito).then(() => { t.apreA ??= ora(); }, () => {});
        return esito;
      };
    });
    avvolgi('copriStilaro', null, (_, testo) => {
      if (!testo && stil.avviato && !t.dipintaSegnata) {
        t.dipintaSegnata = true;
        dopoDueFrame('dipinta');
      }
    });
    avvolgi('renderTabella', null, () => {
      if (sk.vista === 'tabella' && sk.bytes && schedeInVista() && !t.dipintaSegnata) {
        t.dipintaSegnata = true;
        t.tabella = ora();
        dopoDueFrame('dipinta');
      }
    });
  }

  const osserva = new MutationObserver(() => {
    if (typeof window.caricaSchedaOra !== 'function') return;
    osserva.disconnect();
    arma();
  });
  osserva.observe(document, { childList: true, subtree: true });
}

// The stamps as times from navigation start, with the files' arrival from resource timing.
export function leggiTempi() {
  const t = window.__tempi;
  const nav = performance.getEntriesByType('navigation')[0];
  const fine = (parte) => {
    const voci = performance.getEntriesByType('resource').filter((r) => r.name.includes(parte));
    return voci.length ? Math.max(...voci.map((r) => r.responseEnd)) : null;
  };
  return {
    documento: nav.domContentLoadedEventStart,
    file: Math.max(fine('foglio/stilaro.js') ?? 0, fine('foglio/stilaro_wasm.js') ?? 0) || null,
    motore: t.motore ?? null,
    letta: t.letta ?? null,
    restyle: t.stileA != null ? t.stileA - t.stileDa : null,
    rifatta: !!t.restyle,
    indicizzata: t.indicizzata ?? null,
    apertura: t.apreA != null ? t.apreA - t.apreDa : null,
    dipinta: t.dipinta,
  };
}
