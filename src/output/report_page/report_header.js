// Part of the report page's renderer (see report_base.js): the run's header: facts, settings, files and the reading guide.
// The parts are joined, in the order src/output/CMakeLists.txt lists them,
// inside the one function scope that report_base.js opens.

  // ---- page sections ----------------------------------------------------

  // A seed as written in the document (a string of digits), or as a number
  // where the browser could not keep its digits; '' when there is none.
  function seedText(seed) {
    if (typeof seed === 'string' && /^[0-9]+$/.test(seed)) return seed;
    if (isNumber(seed)) return String(seed) + (Number.isSafeInteger(seed) ? '' : ' (rounded)');
    return '';
  }

  // The run's systems in all: more than the page holds when it lists them,
  // or on a system's own page.
  function systemCount(doc, systems) {
    if (doc.own_page && Number.isInteger(doc.own_page.system_count)) return doc.own_page.system_count;
    if (doc.system_list && Array.isArray(doc.system_list.rows)) return doc.system_list.rows.length;
    return systems.length;
  }

  function runHeader(doc, systems) {
    const program = doc.program || {};
    const run = doc.run || {};
    const header = el('header', {class: 'run-header'});
    // A sampling run names its points as --points does ('random', 'sobol',
    // 'lhs'); a document without them is of a random run.
    const points = typeof run.points === 'string' ? run.points : 'random';
    const kind = run.kind === 'enumeration' ? 'enumeration of every combination of cells'
      : run.kind === 'sampling' ? (points === 'random' ? 'random sampling' : 'sampling at ' + points + ' points')
      : String(run.kind || 'unknown kind');
    const count = systemCount(doc, systems);
    header.append(el('h1', null, 'Probabilistic analysis of ' + count +
      (count === 1 ? ' linear system' : ' linear systems')));
    const dimension = run.settings && isNumber(run.settings.Dimensions) ? ', n = ' + run.settings.Dimensions : '';
    header.append(el('p', {class: 'subtitle'},
      (run.kind === 'sampling' ? 'Sampling run' : run.kind === 'enumeration' ? 'Enumeration run' : 'Run') +
      dimension + ' · ' + String(program.name || 'linprob') + ' ' + String(program.version || '')));
    if (doc.own_page) {
      header.append(el('p', {class: 'own-page'}, 'This page shows ' +
        (systems.length === 1 ? systemLabel(systems[0], 0) : systems.length + ' systems') +
        ' of them; every system is listed on ', link(place.report, 'index.html', 'the report of the run'), '.'));
    }

    const facts = el('dl', {class: 'facts'});
    function fact(label, ...value) { facts.append(el('dt', null, label), el('dd', null, ...value)); }
    fact('Right-hand sides', kind);
    fact('Jobs per phase', fmtCount(run.jobs_per_phase));
    fact('Wall time', fmtSeconds(run.wall_time_seconds));
    if (seedText(run.seed)) {
      fact('Seed', seedText(run.seed), el('span', {class: 'muted'}, ' (--seed ' + seedText(run.seed) + ' repeats this run)'));
    }
    fact('Program', String(program.name || '—') + ' ' + String(program.version || ''),
      program.commit ? el('span', {class: 'muted'}, ' · commit ' + program.commit) : null);

    const settings = run.settings && typeof run.settings === 'object' ? run.settings : {};
    const settingsTable = el('table', {class: 'settings'}, el('caption', null, 'Settings as used'));
    const body = el('tbody');
    for (const [name, value] of Object.entries(settings)) {
      const text = typeof value === 'boolean' ? (value ? 'yes (1)' : 'no (0)')
        : typeof value === 'number' ? fmtCount(value) : String(value);
      body.append(el('tr', null, el('th', {scope: 'row'}, name), el('td', {class: 'num'}, text)));
    }
    settingsTable.append(body);

    const files = el('div', {class: 'files'});
    files.append(el('h2', {class: 'small-heading'}, 'Files of this run'));
    // The run's own list of its report files; a document without one is of
    // a run that wrote these three.
    const reportFiles = Array.isArray(run.report_files)
      ? run.report_files.filter(function (name) {
          // A plain file name only: never a path or a scheme for the link.
          return typeof name === 'string' && /^[A-Za-z0-9_][A-Za-z0-9._-]*$/.test(name);
        })
      : ['results.json', 'bands.csv', 'unknowns.csv'];
    const fileLine = el('p', null, place.report ? 'In Report/: ' : 'Beside this page: ');
    reportFiles.forEach(function (name, i) {
      if (i) fileLine.append(' · ');
      fileLine.append(link(place.report, name, name));
    });
    files.append(fileLine);
    const unknowns = new Set();
    for (const s of systems) for (const u of unknownsOf(s)) unknowns.add(u);
    const exportFolder = typeof run.export_folder === 'string' ? run.export_folder : 'Export/';
    const exportLine = el('p', null, 'CSV export (' + exportFolder + '): ');
    Array.from(unknowns).sort(function (a, b) { return a - b; }).slice(0, EXPORT_LINKS_SHOWN)
      .forEach(function (u, i) {
        if (i) exportLine.append(' · ');
        exportLine.append(link(place.run, exportFolder + 'Results_X' + u + '.csv', 'Results_X' + u + '.csv'));
      });
    if (unknowns.size > EXPORT_LINKS_SHOWN) {
      exportLine.append(' · and ' + (unknowns.size - EXPORT_LINKS_SHOWN) + ' more in the same folder');
    }
    files.append(exportLine);
    files.append(summaryTable(systems));

    header.append(el('div', {class: 'header-grid'}, el('div', null, facts, files), settingsTable));

    const contents = el('nav', {class: 'contents no-print', 'aria-label': 'systems'});
    systems.forEach(function (system, position) {
      contents.append(el('a', {href: '#system-' + position},
        systemLabel(system, position) + (system.folder ? ' · ' + system.folder : '')));
    });
    header.append(contents);
    header.append(readingGuide());
    return header;
  }

  // Links to the summary files: one row per system, one column per mode.
  function summaryTable(systems) {
    const modes = [];
    for (const system of systems) {
      for (const mode of system.modes || []) if (mode && !modes.includes(mode.mode)) modes.push(mode.mode);
    }
    const table = el('table', {class: 'summaries'}, el('caption', null, 'Summary files'));
    const head = el('tr', null, el('th', {scope: 'col'}, 'system'));
    for (const mode of modes) head.append(el('th', {scope: 'col'}, modeName(mode)));
    table.append(el('thead', null, head));
    const body = el('tbody');
    systems.forEach(function (system, position) {
      const tr = el('tr', null, el('th', {scope: 'row'}, systemLabel(system, position)));
      for (const name of modes) {
        const mode = (system.modes || []).find(function (m) { return m && m.mode === name; });
        tr.append(el('td', null, mode && typeof mode.summary_file === 'string'
          ? link(place.run, mode.summary_file, mode.summary_file.split('/').pop()) : '—'));
      }
      body.append(tr);
    });
    table.append(body);
    return el('div', {class: 'table-wrap'}, table);
  }

  function readingGuide() {
    return el('details', {class: 'guide'}, el('summary', null, 'How to read this report'),
      el('ul', null,
        el('li', null, 'VALID: the probability of each band of solved values, from every solved right-hand side. INVALID: the normal approximation obtained by propagating means and variances through the elimination, over the same bands. Exact linear: the normal distribution with the exact mean and variance of the linear map of the right-hand side.'),
        el('li', null, 'Truth: the exact distribution of the unknown when the right-hand-side entries follow their family exactly (continuous, not in cells), over the same bands, each value certified to the error bound shown. Its distance from VALID is the error of the cells or of the sample; from INVALID and the exact linear normal, the error of the normal approximation.'),
        el('li', null, 'Variance shares: the part of an unknown’s variance each right-hand-side entry contributes alone, (A⁻¹)ᵢⱼ² σⱼ² / Var(xᵢ); they sum to 1.'),
        el('li', null, 'Total variation: half the summed absolute differences of the band probabilities (tails included) against VALID; values above ' + TOTAL_VARIATION_LIMIT + ' are marked ✗.'),
        el('li', null, 'GUM validation: whether the approximation’s 95 % interval agrees with the one of the solved values within the numerical tolerance δ.'),
        el('li', null, 'Interval overestimation: width of the interval solution over the width of the exact hull; values above ' + OVERESTIMATION_LIMIT + ' are marked ✗. Forward error: distance of the exact value (the plain right-hand side solved in doubles, every step rounded to nearest) from the true solution, in units in the last place; the exact bounds are the same solve in interval arithmetic, as the summary files print it.')));
  }
