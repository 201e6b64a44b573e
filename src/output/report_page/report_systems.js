// Part of the report page's renderer (see report_base.js): the list of every
// system of a run whose page draws only some of them: one row per system
// with its worst measures, sortable by any column and worst first; a row
// leads to the system's section in this page or to its own page.
// The parts are joined, in the order src/output/CMakeLists.txt lists them,
// inside the one function scope that report_base.js opens.

  const SYSTEM_ROWS_SHOWN = 50;  // rows shown before "show all"

  // The list's columns by their name in the document: label, title and how
  // a value is shown (larger is worse: a chosen column sorts largest first).
  const SYSTEM_COLUMNS = {
    condition_number: {label: 'κ∞(A)', title: 'condition number, rounded up to 3 digits',
      td: function (v) { return cell(fmt(v, 3)); }},
    worst_tv_invalid: {label: 'worst TV INVALID', title: 'largest total variation of INVALID against VALID over every mode, family and unknown',
      td: function (v) { return compactLimitCell(v, TOTAL_VARIATION_LIMIT); }},
    worst_tv_exact_linear: {label: 'worst TV exact', title: 'largest total variation of the exact linear normal against VALID',
      td: function (v) { return compactLimitCell(v, TOTAL_VARIATION_LIMIT); }},
    gum_failures_invalid: {label: 'GUM INVALID ✗', title: 'unknowns whose 95 % interval fails the validation of INVALID in some mode and family',
      td: function (v) { return failureCell(v); }},
    gum_failures_exact_linear: {label: 'GUM exact ✗', title: 'unknowns whose 95 % interval fails the validation of the exact linear normal in some mode and family',
      td: function (v) { return failureCell(v); }},
    worst_forward_error_ulps: {label: 'fwd error', title: 'largest forward error in units in the last place',
      td: function (v) { return cell(fmt(v, 3)); }},
    worst_interval_overestimation: {label: 'over­est.', title: 'largest interval width over hull width',
      td: function (v) { return compactLimitCell(v, OVERESTIMATION_LIMIT); }}
  };

  function failureCell(v) {
    if (!isNumber(v)) return cell('—');
    return v > 0 ? cell('✗ ' + fmtCount(v), 'fail') : cell('0');
  }

  // The list section, or null when the page draws every system.
  function systemList(doc, systems) {
    const list = doc.system_list;
    if (!list || !Array.isArray(list.rows) || !Array.isArray(list.columns)) return null;
    const pages = typeof list.pages === 'string' && /^[A-Za-z0-9_-]+\/$/.test(list.pages) ? list.pages : 'systems/';
    const at = list.columns.indexOf('system');
    if (at < 0) return null;
    const columns = [];
    list.columns.forEach(function (name, i) {
      if (SYSTEM_COLUMNS[name]) columns.push(Object.assign({at: i, name: name}, SYSTEM_COLUMNS[name]));
    });
    const drawnAt = new Map();
    systems.forEach(function (system, position) { if (Number.isInteger(system.index)) drawnAt.set(system.index, position); });
    const rows = list.rows.filter(function (row) { return Array.isArray(row) && Number.isInteger(row[at]); });
    let sortColumn = columns.findIndex(function (c) { return c.name === 'worst_tv_invalid'; });
    let descending = true;
    let showAll = rows.length <= SYSTEM_ROWS_SHOWN;

    const table = el('table', {class: 'overview system-list numbers'});
    table.append(el('caption', null, 'Every system, worst first: click a heading to sort'));
    const heads = el('tr', null, el('th', {scope: 'col'}, 'system'));
    columns.forEach(function (c, i) {
      heads.append(el('th', {scope: 'col'}, el('button', {type: 'button', class: 'sort', title: c.title,
        onclick: function () {
          if (sortColumn === i) descending = !descending;
          else { sortColumn = i; descending = true; }
          render();
        }}, c.label)));
    });
    table.append(el('thead', null, heads));
    const body = el('tbody');
    table.append(body);
    const more = el('button', {type: 'button', class: 'no-print', onclick: function () { showAll = true; render(); }});

    function compare(a, b) {
      if (sortColumn < 0) return a[at] - b[at];
      const x = a[columns[sortColumn].at];
      const y = b[columns[sortColumn].at];
      const xMissing = !isNumber(x);
      const yMissing = !isNumber(y);
      if (xMissing || yMissing) return xMissing === yMissing ? a[at] - b[at] : (xMissing ? 1 : -1);
      if (x !== y) return descending ? y - x : x - y;
      return a[at] - b[at];
    }
    function systemCell(index) {
      const label = 'System ' + index;
      if (drawnAt.has(index)) {
        return el('th', {scope: 'row'}, el('a', {href: '#system-' + drawnAt.get(index)}, label),
          el('span', {class: 'muted'}, ' · in this page'));
      }
      return el('th', {scope: 'row'}, link(place.report, pages + 'system-' + index + '.html', label));
    }
    function render() {
      const sorted = rows.slice().sort(compare);
      const shown = showAll ? sorted : sorted.slice(0, SYSTEM_ROWS_SHOWN);
      body.replaceChildren.apply(body, shown.map(function (row) {
        const tr = el('tr', null, systemCell(row[at]));
        for (const c of columns) tr.append(c.td(row[c.at]));
        return tr;
      }));
      heads.querySelectorAll('th').forEach(function (th, i) {
        th.setAttribute('aria-sort', i > 0 && i - 1 === sortColumn ? (descending ? 'descending' : 'ascending') : 'none');
      });
      more.textContent = 'Show all ' + fmtCount(rows.length) + ' systems';
      more.classList.toggle('hidden', showAll);
    }
    render();

    return el('section', {class: 'systems', id: 'systems'},
      el('h2', null, 'Every system'),
      el('p', {class: 'small'}, 'This page draws ' + systems.length + ' of the ' + fmtCount(rows.length) +
        ' systems, the worst by total variation; each of the others has a page of its own, linked below. ' +
        'Every value of every system is in results.json, bands.csv and unknowns.csv.'),
      el('div', {class: 'table-wrap'}, table), more,
      el('p', {class: 'small muted note'}, 'Measures rounded up to 3 significant digits. TV: total variation against VALID, ✗ above ' +
        TOTAL_VARIATION_LIMIT + '; GUM ✗: unknowns that fail the validation of the 95 % interval; overestimation: interval width over hull width, ✗ above ' +
        OVERESTIMATION_LIMIT + '.'));
  }
