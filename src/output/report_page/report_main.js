// Part of the report page's renderer (see report_base.js): drawing the whole page from the results document; closes the scope.
// The parts are joined, in the order src/output/CMakeLists.txt lists them,
// inside the one function scope that report_base.js opens.

  // Each item is a card with its chart's creator ({card, create}).
  function drawAll(items) {
    for (const item of items) item.create();
  }

  // The first screen, and the screen below it, when the page appears; the
  // other charts in slices of at most SLICE_MS between which the page
  // answers input: first those the reader scrolls to, then the rest in page
  // order. Printing draws whatever is left. A long page is thus read at
  // once while its lower charts are still being drawn.
  const SLICE_MS = 40;
  function drawProgressively(items, onFirstScreen, onAll) {
    const reach = 2 * window.innerHeight;
    // One layout for all the positions: nothing changes between the reads.
    const tops = items.map(function (item) { return item.card.getBoundingClientRect().top; });
    const waiting = [];
    items.forEach(function (item, i) {
      if (tops[i] < reach) item.create();
      else waiting.push(item);
    });
    onFirstScreen();
    if (waiting.length === 0) {
      onAll();
      return;
    }
    const seen = new Set();
    const observer = 'IntersectionObserver' in window ? new IntersectionObserver(function (changes) {
      for (const change of changes) if (change.isIntersecting) seen.add(change.target);
    }, {rootMargin: '100% 0px'}) : null;
    if (observer) for (const item of waiting) observer.observe(item.card);
    let next = 0;
    function drawOne(item) {
      if (item.drawn) return;
      item.drawn = true;
      // A card the reader replaced (another unknown chosen) is not drawn.
      if (!item.card.isConnected) return;
      if (observer) observer.unobserve(item.card);
      item.create();
    }
    function drawRest() {
      for (const item of waiting) drawOne(item);
      finish();
    }
    function finish() {
      if (observer) observer.disconnect();
      window.removeEventListener('beforeprint', drawRest);
      onAll();
    }
    function slice() {
      const started = performance.now();
      for (const item of waiting) {
        if (performance.now() - started >= SLICE_MS) break;
        if (seen.has(item.card)) drawOne(item);
      }
      while (next < waiting.length && performance.now() - started < SLICE_MS) drawOne(waiting[next++]);
      while (next < waiting.length && waiting[next].drawn) next++;
      if (next < waiting.length) setTimeout(slice, 0);
      else finish();
    }
    window.addEventListener('beforeprint', drawRest);
    setTimeout(slice, 0);
  }

  // data-render-ms: the page and the charts of its first two screens drawn;
  // data-charts-drawn and data-all-drawn-ms: every chart drawn.
  function markRendered() {
    document.body.setAttribute('data-render-ms', String(Math.round(performance.now())));
  }
  function markDrawn() {
    const body = document.body;
    body.setAttribute('data-charts-drawn', String(drawnCharts.size + drawnMaps.size));
    body.setAttribute('data-all-drawn-ms', String(Math.round(performance.now())));
    body.setAttribute('data-page-height', String(document.documentElement.scrollHeight));
  }

  function fatal(message) {
    const main = document.getElementById('report');
    main.replaceChildren(el('p', {class: 'fatal'}, message));
  }

  function main() {
    let doc;
    try {
      // Seeds are 64-bit integers, beyond a double's exact range: where the
      // browser gives the source text of a value, they keep every digit.
      doc = JSON.parse(document.getElementById('results').textContent, function (key, value, context) {
        if (key === 'seed' && typeof value === 'number' && context && typeof context.source === 'string') {
          return context.source;
        }
        return value;
      });
    } catch (e) {
      fatal('The results document of this page cannot be read: ' + e.message);
      throw e;
    }
    const systems = Array.isArray(doc.systems) ? doc.systems.filter(Boolean) : [];
    if (doc.own_page && typeof doc.own_page.report_folder === 'string' && /^(\.\.\/)+$/.test(doc.own_page.report_folder)) {
      place.report = doc.own_page.report_folder;
      place.run = place.report + '../';
    }
    const count = systemCount(doc, systems);
    document.title = 'linprob report · ' + (doc.own_page && systems.length === 1
      ? systemLabel(systems[0], 0) + ' of ' + count : count + (count === 1 ? ' system' : ' systems')) +
      (doc.run && doc.run.kind ? ' · ' + doc.run.kind : '');
    const root = document.getElementById('report');
    truthPage.setRun(doc.run);
    setAddedMeasures(doc.added_measures);
    const pending = [];
    const page = [runHeader(doc, systems)];
    const list = systemList(doc, systems);
    if (list) page.push(list);
    systems.forEach(function (system, position) { page.push(systemSection(system, position, pending)); });
    if (systems.length === 0) page.push(el('p', {class: 'fatal'}, 'The results document lists no system.'));
    page.push(el('footer', null, 'Written by ' + String((doc.program && doc.program.name) || 'linprob') +
      '. Charts: Chart.js ' + Chart.version + '.'));
    root.replaceChildren.apply(root, page);
    // The whole page is laid out before the first chart measures its box.
    drawProgressively(pending, markRendered, markDrawn);
  }

  try {
    main();
  } catch (e) {
    if (window.linprobNoteError) window.linprobNoteError('report: ' + (e && e.stack ? e.stack : e));
    if (!document.querySelector('.fatal')) fatal('The report could not be drawn: ' + e);
  }
})();
