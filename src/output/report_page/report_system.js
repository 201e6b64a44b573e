// Part of the report page's renderer (see report_base.js): one system's section: its pivoting modes and the charts of its unknowns.
// The parts are joined, in the order src/output/CMakeLists.txt lists them,
// inside the one function scope that report_base.js opens.

  // A table cell; `fail` marks it in words and colour.
  function cell(text, state, title) {
    const td = el('td', {class: 'num' + (state ? ' ' + state : ''), title: title});
    td.append(text);
    return td;
  }
  function limitCell(value, limit) {
    if (!isNumber(value)) return cell('—');
    if (value > limit) {
      const td = cell('✗ ' + fmt(value, 3), 'fail');
      td.append(el('span', {class: 'why'}, ' above ' + limit));
      return td;
    }
    return cell(fmt(value, 3));
  }
  // At most three names, then how many more.
  function listed(names) {
    return names.length <= 3 ? names.join(', ') : names.slice(0, 3).join(', ') + ' +' + (names.length - 3);
  }
  // A mode's column order: in full for a few unknowns, else how many moved,
  // the full order folded away.
  function columnOrderCell(order) {
    if (!Array.isArray(order)) return cell('—');
    if (order.length <= UNKNOWNS_ALL_SHOWN) return cell(order.join(' '));
    const moved = order.filter(function (c, i) { return c !== i; }).length;
    const summary = moved === 0 ? 'none of ' + order.length + ' unknowns moved'
      : moved + ' of ' + order.length + ' unknowns moved';
    const td = el('td', {class: 'order'});
    if (moved === 0) {
      td.append(summary);
    } else {
      td.append(el('details', null, el('summary', null, summary),
        el('p', {class: 'small order-list'}, order.join(' '))));
    }
    return td;
  }
  function verdictCell(entries, key, unknownNames) {
    const withSamples = entries.filter(wasSolved);
    if (!withSamples.some(function (e) { return hasValidation(e, key); })) {
      return cell('not available', 'muted');
    }
    const failed = [];
    const undecided = [];
    for (const e of withSamples) {
      const v = validatedOf(e, key);
      if (v === false) failed.push(unknownNames(e));
      else if (v !== true) undecided.push(unknownNames(e));
    }
    if (failed.length) return cell('✗ no: ' + listed(failed), 'fail');
    if (undecided.length === withSamples.length) return cell('– undecided', 'muted');
    if (undecided.length) return cell('✓ yes (' + listed(undecided) + ' undecided)', 'pass');
    return cell('✓ yes', 'pass');
  }

  function pivotingTable(system, families) {
    const table = el('table', {class: 'pivoting'});
    table.append(el('caption', null, 'Pivoting modes: worst case over the unknowns'));
    const top = el('tr', null,
      el('th', {scope: 'col', rowspan: 2}, 'pivoting'),
      el('th', {scope: 'col', rowspan: 2}, 'column order'),
      el('th', {scope: 'col', rowspan: 2}, 'pivot growth'),
      el('th', {scope: 'col', rowspan: 2}, 'forward error (ulps)'),
      el('th', {scope: 'col', rowspan: 2}, 'interval over­estimation'));
    // The naive elimination of the interval matrix, where the system has one.
    const naive = system.interval_matrix && Array.isArray(system.interval_matrix.enclosures)
      ? system.interval_matrix.enclosures.filter(function (e) { return e && e.method === 'naive elimination'; })
      : null;
    if (naive) {
      top.append(el('th', {scope: 'col', rowspan: 2, title: 'naive elimination of [A | b] (IntMatice.txt): width over the ' +
        (system.interval_matrix.reference || 'reference')}, '[A] naive over­estimation'));
    }
    const sub = el('tr');
    for (const family of families) {
      top.append(el('th', {scope: 'colgroup', colspan: 4, class: 'group'}, family));
      sub.append(el('th', {scope: 'col', class: 'group-start', title: 'total variation of INVALID against VALID'}, 'TV INVALID'),
        el('th', {scope: 'col', title: 'total variation of exact linear against VALID'}, 'TV exact'),
        el('th', {scope: 'col', title: 'GUM validation of INVALID'}, 'GUM INVALID'),
        el('th', {scope: 'col', title: 'GUM validation of exact linear'}, 'GUM exact'));
    }
    table.append(el('thead', null, top, sub));
    const body = el('tbody');
    const hasTruth = Array.isArray(system.true_solution);
    const hasHull = Array.isArray(system.exact_hull);
    for (const mode of system.modes || []) {
      const unknowns = Array.isArray(mode.unknowns) ? mode.unknowns.filter(Boolean) : [];
      const tr = el('tr', null, el('th', {scope: 'row', title: modeName(mode.mode)}, modeShort(mode.mode)));
      tr.append(columnOrderCell(mode.column_order));
      tr.append(cell(fmt(mode.pivot_growth, 4)));
      // A missing forward error means 0 ulps when the true solution exists.
      const ulps = largest(unknowns.map(function (e) { return e.forward_error_ulps; }));
      const ulpsCell = cell(hasTruth ? fmt(ulps === null ? 0 : ulps, 4) : 'not computed', hasTruth ? '' : 'muted');
      if (!hasTruth && typeof system.true_solution_reason === 'string') ulpsCell.title = system.true_solution_reason;
      tr.append(ulpsCell);
      const hullCell = hasHull ? limitCell(largest(unknowns.map(function (e) { return e.interval_overestimation; })), OVERESTIMATION_LIMIT)
        : cell('not computed', 'muted');
      if (!hasHull && typeof system.exact_hull_reason === 'string') hullCell.title = system.exact_hull_reason;
      tr.append(hullCell);
      if (naive) {
        const index = ['NoPivot', 'RowPivot', 'ColPivot', 'RowColPivot'].indexOf(mode.mode);
        const e = naive.find(function (x) { return x.mode === index; });
        const c = e && isNumber(e.worst_overestimation) ? limitCell(e.worst_overestimation, OVERESTIMATION_LIMIT)
          : cell('none', 'muted');
        if (e && e.reason) c.title = e.reason;
        tr.append(c);
      }
      for (const family of families) {
        const f = familyOf(mode, family);
        const entries = f && Array.isArray(f.unknowns) ? f.unknowns.filter(Boolean) : [];
        const sampled = entries.filter(wasSolved);
        if (sampled.length === 0) {
          tr.append(el('td', {colspan: 4, class: 'muted group-start'}, 'no samples were solved'));
          continue;
        }
        for (const key of ['invalid', 'exact_linear']) {
          const tv = largest(sampled.map(function (e) { return totalVariationOf(e, key); }));
          const c = limitCell(tv, TOTAL_VARIATION_LIMIT);
          if (key === 'invalid') c.classList.add('group-start');
          tr.append(c);
        }
        for (const key of ['invalid', 'exact_linear']) {
          tr.append(verdictCell(entries, key, function (e) { return 'x' + e.unknown; }));
        }
      }
      body.append(tr);
    }
    table.append(body);
    return el('div', {class: 'table-wrap'}, table, el('p', {class: 'small muted note'},
      'Forward error: largest over the unknowns, in units in the last place. Overestimation: interval width over hull width, ✗ above ' +
      OVERESTIMATION_LIMIT + '. TV: total variation against VALID, ✗ above ' + TOTAL_VARIATION_LIMIT +
      '. GUM: whether the 95 % interval is validated against VALID; “✗ no” lists the unknowns that fail.'));
  }

  // The charts of one unknown: per family a histogram card and a range card,
  // and in sampling the convergence card.
  function unknownSection(ctx, u, families, registry) {
    const section = el('section', {class: 'unknown', 'data-unknown': u});
    section.append(el('h3', null, 'Unknown x' + u));
    if (!chartsInPage(ctx.modes, families, u)) {
      section.append(el('p', {class: 'no-samples'}, 'The tables of x' + u + ' are not in this page, which holds those ' +
        'of the unknowns marked ● in the table above; every band of x' + u + ' is in bands.csv and results.json.'));
      return section;
    }
    for (const family of families) {
      const c = {system: ctx.system, position: ctx.position, modes: ctx.modes, unknown: u, family: family};
      const histogram = histogramCard(c);
      const range = rangeCard(c);
      const convergence = convergenceCard(c);
      registry.cards.push(histogram);
      if (histogram.create) registry.creators.push(histogram);
      if (range.create) registry.creators.push(range);
      let side = range.card;
      if (convergence) {
        registry.cards.push(convergence);
        registry.creators.push(convergence);
        side = el('div', {class: 'card-stack'}, range.card, convergence.card);
      }
      section.append(el('div', {class: 'chart-row'}, histogram.card, side));
    }
    const shares = truthPage.sharesCard(ctx, u);
    if (shares.create) registry.creators.push(shares);
    section.append(el('div', {class: 'chart-row'}, shares.card));
    return section;
  }

  function systemSection(system, position, pending) {
    const modes = Array.isArray(system.modes) ? system.modes.filter(Boolean) : [];
    const families = familiesOf(system);
    const unknowns = unknownsOf(system);
    const section = el('section', {class: 'system', id: 'system-' + position});
    section.append(el('h2', null, systemLabel(system, position),
      system.folder ? el('span', {class: 'folder'}, ' · ' + system.folder) : null,
      el('span', {class: 'muted'}, ' · n = ' + unknowns.length)));

    section.append(conditionLine(system));
    section.append(el('div', {class: 'system-tables'}, matrixView(system)));
    section.append(pivotingTable(system, families));
    const distances = truthPage.distanceTable(system, families, modeShort, modeName);
    if (distances) section.append(distances);
    const intervals = intervalMatrixCard(system);
    if (intervals) {
      section.append(el('div', {class: 'chart-row'}, intervals.card));
      if (intervals.create) pending.push(intervals);
    }
    const random = randomMatrixCard(system);
    if (random) section.append(random.card);
    const heatMap = truthPage.heatMapCard({system: system, position: position});
    if (heatMap) {
      section.append(el('div', {class: 'chart-row'}, heatMap.card));
      pending.push(heatMap);
    }

    const ctx = {system: system, position: position, modes: modes};
    const registry = {cards: [], creators: []};
    const chartsArea = el('div', {class: 'charts'});
    const oneAtATime = unknowns.length > UNKNOWNS_ALL_SHOWN;
    const select = el('select', {'aria-label': 'unknown'});

    // Draws the charts of unknown u (many unknowns), or brings its charts
    // into view (few, all drawn).
    function choose(u) {
      overview.mark(u);
      if (!oneAtATime) {
        const target = chartsArea.querySelector('[data-unknown="' + u + '"]');
        if (target) target.scrollIntoView({block: 'start'});
        return;
      }
      select.value = String(u);
      destroyCharts(chartsArea);
      chartsArea.replaceChildren();
      registry.cards.length = 0;
      registry.creators.length = 0;
      chartsArea.append(unknownSection(ctx, u, families, registry));
      drawAll(registry.creators.splice(0));
      markDrawn();
    }
    const overview = overviewTable(system, modes, families, unknowns, choose);
    section.append(overview.node);

    const controls = el('div', {class: 'mode-switch no-print'}, el('span', null, 'Histograms of this system show: '));
    modes.forEach(function (mode, m) {
      controls.append(el('button', {type: 'button', onclick: function () {
        for (const card of registry.cards) card.setMode(m);
      }}, modeName(mode.mode)));
    });
    section.append(controls);

    if (oneAtATime) {
      // Many unknowns: the charts of one unknown at a time, first the worst
      // one whose tables the page holds.
      for (const u of unknowns) select.append(el('option', {value: u}, 'x' + u));
      section.append(el('p', {class: 'no-print'}, 'Charts of unknown ', select,
        el('span', {class: 'muted'}, ' (' + unknowns.length + ' unknowns; one shown at a time; or choose a row above)')));
      select.addEventListener('change', function () { choose(Number(select.value)); });
      const first = overview.first();
      select.value = String(first);
      overview.mark(first);
      chartsArea.append(unknownSection(ctx, first, families, registry));
    } else {
      for (const u of unknowns) chartsArea.append(unknownSection(ctx, u, families, registry));
    }
    section.append(chartsArea);
    pending.push.apply(pending, registry.creators.splice(0));
    return section;
  }

