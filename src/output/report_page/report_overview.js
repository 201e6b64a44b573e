// Part of the report page's renderer (see report_base.js): the overview of a
// system: one row per unknown with every trust measure, sortable by any
// column and worst first; a row chooses the unknown whose charts are drawn.
// The parts are joined, in the order src/output/CMakeLists.txt lists them,
// inside the one function scope that report_base.js opens.

  const OVERVIEW_ROWS_SHOWN = 50;  // rows shown before "show all"

  // The GUM verdicts of an unknown over the modes: false when any mode fails,
  // true when every solved mode validates, null otherwise.
  function combinedVerdict(entries, key) {
    const solved = entries.filter(wasSolved);
    if (solved.length === 0) return null;
    const values = solved.map(function (e) { return validatedOf(e, key); });
    if (values.includes(false)) return false;
    return values.every(function (v) { return v === true; }) ? true : null;
  }
  // Sort key of a verdict: the failed ones are the worst.
  function verdictRank(v) { return v === false ? 2 : v === null ? 1 : 0; }
  function verdictMark(v) {
    return v === true ? cell('✓', 'pass') : v === false ? cell('✗', 'fail') : cell('–', 'muted');
  }
  function width(pair) { return pair ? pair[1] - pair[0] : null; }
  // limitCell on one line: the limit in the cell's title.
  function compactLimitCell(value, limit) {
    if (!isNumber(value)) return cell('—');
    return value > limit ? cell('✗ ' + fmt(value, 3), 'fail', 'above ' + limit) : cell(fmt(value, 3));
  }

  // The columns: label, group heading, key(u) for sorting (larger is worse,
  // null sorts last) and td(u).
  function overviewColumns(system, modes, families) {
    const truth = Array.isArray(system.true_solution) ? system.true_solution : null;
    const hull = Array.isArray(system.exact_hull) ? system.exact_hull : null;
    const columns = [];
    const tvOver = function (u, family, key) {
      return largest(modes.map(function (mode) { return totalVariationOf(familyUnknown(mode, family, u), key); }));
    };
    columns.push({label: 'worst TV', group: '', title: 'largest total variation of INVALID against VALID over every mode and family',
      key: function (u) { return largest(families.map(function (f) { return tvOver(u, f, 'invalid'); })); },
      td: function (u, v) { return compactLimitCell(v, TOTAL_VARIATION_LIMIT); }});
    columns.push({label: 'true solution', group: 'references', key: function (u) { return truth ? truth[u] : null; },
      td: function (u, v) { return cell(fmt(v, 8)); }, ascending: true});
    columns.push({label: 'hull', group: 'references', title: 'exact hull of the interval system; sorted by width',
      key: function (u) { return hull ? width(pairOf(hull[u])) : null; },
      td: function (u) { return cell(hull ? fmtInterval(pairOf(hull[u])) : '—'); }});
    modes.forEach(function (mode) {
      const group = modeShort(mode.mode);
      columns.push({label: 'interval', group: group, title: 'described interval (' + modeName(mode.mode) + '); sorted by width',
        key: function (u) { const e = modeUnknown(mode, u); return e ? width(pairOf(e.interval)) : null; },
        td: function (u) { const e = modeUnknown(mode, u); return cell(e ? fmtInterval(pairOf(e.interval)) : '—'); }});
      columns.push({label: 'over­est.', group: group, title: 'interval width over hull width',
        key: function (u) { const e = modeUnknown(mode, u); return e ? e.interval_overestimation : null; },
        td: function (u, v) { return compactLimitCell(v, OVERESTIMATION_LIMIT); }});
      // A missing forward error means 0 ulps when the true solution exists.
      columns.push({label: 'fwd error', group: group, title: 'forward error in units in the last place',
        key: function (u) {
          const e = modeUnknown(mode, u);
          if (!truth || !e) return null;
          return isNumber(e.forward_error_ulps) ? e.forward_error_ulps : 0;
        },
        td: function (u, v) { return cell(fmt(v, 4)); }});
    });
    for (const family of families) {
      const entries = function (u) { return modes.map(function (mode) { return familyUnknown(mode, family, u); }); };
      columns.push({label: 'TV INVALID', group: family, title: 'largest over the modes',
        key: function (u) { return tvOver(u, family, 'invalid'); },
        td: function (u, v) { return compactLimitCell(v, TOTAL_VARIATION_LIMIT); }});
      columns.push({label: 'TV exact', group: family, title: 'largest over the modes',
        key: function (u) { return tvOver(u, family, 'exact_linear'); },
        td: function (u, v) { return compactLimitCell(v, TOTAL_VARIATION_LIMIT); }});
      for (const [key, label] of [['invalid', 'GUM INVALID'], ['exact_linear', 'GUM exact']]) {
        columns.push({label: label, group: family, title: '✗ when any mode fails',
          key: function (u) { return verdictRank(combinedVerdict(entries(u), key)); },
          td: function (u) { return verdictMark(combinedVerdict(entries(u), key)); }});
      }
    }
    return columns;
  }

  // Whether the page holds the full tables (and so the charts) of unknown u.
  function chartsInPage(modes, families, u) {
    return modes.some(function (mode) {
      return families.some(function (f) { return !isSummary(familyUnknown(mode, f, u)); });
    });
  }

  // The overview table; choose(u) draws unknown u's charts. Returns the
  // node and mark(u), which highlights the chosen row.
  function overviewTable(system, modes, families, unknowns, choose) {
    const columns = overviewColumns(system, modes, families);
    // Every key once, so that sorting does not look values up again.
    const rows = unknowns.map(function (u) {
      return {u: u, keys: columns.map(function (c) { return c.key(u); }), charts: chartsInPage(modes, families, u)};
    });
    const partial = rows.some(function (r) { return !r.charts; });
    let sortColumn = 0;
    let descending = true;
    let showAll = rows.length <= OVERVIEW_ROWS_SHOWN;
    let chosen = null;

    const table = el('table', {class: 'overview numbers'});
    table.append(el('caption', null, 'Every unknown, worst first: click a heading to sort, a row to draw its charts'));
    const groups = el('tr', null, el('th', {scope: 'col', rowspan: 2}, 'unknown'));
    const heads = el('tr');
    let last = null;
    columns.forEach(function (c, i) {
      if (c.group !== last || i === 0) {
        let span = 0;
        for (let k = i; k < columns.length && columns[k].group === c.group; ++k) ++span;
        groups.append(el('th', {scope: 'colgroup', colspan: span, class: 'group'}, c.group));
        last = c.group;
      }
      const button = el('button', {type: 'button', class: 'sort', title: c.title,
        onclick: function () {
          if (sortColumn === i) descending = !descending;
          else { sortColumn = i; descending = !c.ascending; }
          render();
        }}, c.label);
      heads.append(el('th', {scope: 'col'}, button));
    });
    table.append(el('thead', null, groups, heads));
    const body = el('tbody');
    table.append(body);
    const more = el('button', {type: 'button', class: 'no-print', onclick: function () { showAll = true; render(); }});
    const rowOf = new Map();

    function compare(a, b) {
      const x = a.keys[sortColumn];
      const y = b.keys[sortColumn];
      const xMissing = !isNumber(x);
      const yMissing = !isNumber(y);
      if (xMissing || yMissing) return xMissing === yMissing ? a.u - b.u : (xMissing ? 1 : -1);
      if (x !== y) return descending ? y - x : x - y;
      return a.u - b.u;
    }
    function render() {
      const sorted = rows.slice().sort(compare);
      const shown = showAll ? sorted : sorted.slice(0, OVERVIEW_ROWS_SHOWN);
      rowOf.clear();
      body.replaceChildren.apply(body, shown.map(function (r) {
        const tr = el('tr', {tabindex: 0, class: 'pick' + (r.u === chosen ? ' chosen' : '')},
          el('th', {scope: 'row'}, 'x' + r.u, r.charts && partial ? el('span', {class: 'charts-mark', title: 'charts in this page'}, ' ●') : null));
        columns.forEach(function (c, i) { tr.append(c.td(r.u, r.keys[i])); });
        tr.addEventListener('click', function () { choose(r.u); });
        tr.addEventListener('keydown', function (event) { if (event.key === 'Enter') choose(r.u); });
        rowOf.set(r.u, tr);
        return tr;
      }));
      heads.querySelectorAll('th').forEach(function (th, i) {
        th.setAttribute('aria-sort', i === sortColumn ? (descending ? 'descending' : 'ascending') : 'none');
      });
      more.textContent = 'Show all ' + rows.length + ' unknowns';
      more.classList.toggle('hidden', showAll);
    }
    render();

    const notes = el('div', {class: 'small muted note'});
    for (const [label, reason] of [['True solution', system.true_solution_reason], ['Hull', system.exact_hull_reason],
      ['Exact linear moments', system.exact_moments_reason], ['Correlation', system.correlation_note]]) {
      if (typeof reason === 'string') notes.append(el('p', null, label + ': ' + reason + '.'));
    }
    if (partial) {
      notes.append(el('p', null, 'This page holds the full tables, and so the charts, of the ' +
        rows.filter(function (r) { return r.charts; }).length + ' unknowns marked ● (the worst by total variation); ' +
        'every band of every unknown is in bands.csv and results.json.'));
    }
    notes.append(el('p', null, 'Forward error in units in the last place; overestimation: interval width over hull width, ✗ above ' +
      OVERESTIMATION_LIMIT + '; TV: total variation against VALID, largest over the modes, ✗ above ' + TOTAL_VARIATION_LIMIT +
      '; GUM: ✗ when the 95 % interval fails validation in any mode.'));
    return {
      node: el('div', {class: 'overview-wrap'}, el('div', {class: 'table-wrap'}, table), more, notes),
      // The worst unknown whose charts the page holds.
      first: function () {
        const sorted = rows.slice().sort(compare);
        const withCharts = sorted.find(function (r) { return r.charts; });
        return (withCharts || sorted[0] || {u: 0}).u;
      },
      mark: function (u) {
        chosen = u;
        for (const [v, tr] of rowOf) tr.classList.toggle('chosen', v === u);
      }
    };
  }
