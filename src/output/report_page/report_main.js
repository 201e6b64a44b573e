// Part of the report page's renderer (see report_base.js): drawing the whole page from the results document; closes the scope.
// The parts are joined, in the order src/output/CMakeLists.txt lists them,
// inside the one function scope that report_base.js opens.

  function drawAll(creators) {
    for (const create of creators) create();
  }

  function markDrawn() {
    const body = document.body;
    body.setAttribute('data-charts-drawn', String(drawnCharts.size + drawnMaps.size));
    body.setAttribute('data-render-ms', String(Math.round(performance.now())));
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
    drawAll(pending);
    markDrawn();
  }

  try {
    main();
  } catch (e) {
    if (window.linprobNoteError) window.linprobNoteError('report: ' + (e && e.stack ? e.stack : e));
    if (!document.querySelector('.fatal')) fatal('The report could not be drawn: ' + e);
  }
})();
