// Part of the report page's renderer (see report_base.js): the convergence card of one unknown and family, and how a --digits phase ended.
// The parts are joined, in the order src/output/CMakeLists.txt lists them,
// inside the one function scope that report_base.js opens.

  // The running estimates a sampling phase entry holds (its "convergence":
  // after the first k of its batches, k = 1 ... h), each drawn as its change
  // from the phase's own estimate (the last point) with a band of ± k
  // standard errors (k the point's coverage factor: a 95 % interval), so
  // that the mean and both ends of the interval share one axis.
  const CONVERGENCE_SERIES = [
    {key: 'mean', label: 'mean', colour: COLOUR.blue, fill: 'rgba(0, 114, 178, 0.16)', point: 'circle'},
    {key: 'symmetric_lower', label: '95 % interval, lower end', colour: COLOUR.orange,
      fill: 'rgba(230, 159, 0, 0.16)', point: 'triangle'},
    {key: 'symmetric_upper', label: '95 % interval, upper end', colour: COLOUR.green,
      fill: 'rgba(0, 158, 115, 0.16)', point: 'rectRot'}
  ];

  function hasConvergence(entry) {
    const c = entry && entry.convergence;
    return !!(c && Array.isArray(c.samples) && c.samples.length > 0);
  }

  // "the --digits 2 rule was met within 100,000 samples", or '' for a phase
  // run without --digits.
  function digitsText(family) {
    const d = family && family.digits;
    if (!d || !isNumber(d.digits)) return '';
    return d.rule_met === true
      ? 'the --digits ' + d.digits + ' rule was met within ' + fmtCount(d.most_samples) + ' samples'
      : 'the --digits ' + d.digits + ' rule was not met within ' + fmtCount(d.most_samples) + ' samples';
  }

  function convergenceView(entry) {
    const c = entry.convergence;
    const samples = c.samples;
    const factors = Array.isArray(c.coverage_factor) ? c.coverage_factor : [];
    const last = samples.length - 1;
    const datasets = [];
    const header = ['samples'];
    const columns = [];
    for (const series of CONVERGENCE_SERIES) {
      const values = Array.isArray(c[series.key]) ? c[series.key] : [];
      const errors = Array.isArray(c[series.key + '_se']) ? c[series.key + '_se'] : [];
      const final = values[last];
      if (!isNumber(final)) continue;
      const line = [];
      const high = [];
      const low = [];
      samples.forEach(function (x, i) {
        const v = values[i];
        const u = errors[i];
        const k = factors[i];
        const reach = isNumber(u) && isNumber(k) ? k * u : null;
        const change = isNumber(v) ? v - final : null;
        line.push({x: x, y: change});
        high.push({x: x, y: change !== null && reach !== null ? change + reach : null});
        low.push({x: x, y: change !== null && reach !== null ? change - reach : null});
      });
      // The band fills from its upper edge down to the next data set, its
      // lower edge.
      datasets.push({type: 'line', data: high, band: true, fill: '+1', backgroundColor: series.fill,
        borderWidth: 0, pointRadius: 0, pointHitRadius: 0, spanGaps: false, order: 2});
      datasets.push({type: 'line', data: low, band: true, fill: false,
        borderWidth: 0, pointRadius: 0, pointHitRadius: 0, spanGaps: false, order: 2});
      datasets.push({type: 'line', label: series.label + ' (final ' + fmt(final) + ')', data: line,
        values: values, errors: errors, borderColor: series.colour, backgroundColor: series.colour,
        borderWidth: 2, pointStyle: series.point, pointRadius: 3, order: 1});
      header.push(series.label, series.label + ' u');
      columns.push(values, errors);
    }
    header.push('coverage factor k');
    columns.push(factors);
    const rows = samples.map(function (x, i) {
      return [fmtCount(x)].concat(columns.map(function (column) { return column[i]; }));
    });
    return {datasets: datasets, header: header, rows: rows, max: samples[last]};
  }

  function convergenceCard(ctx) {
    // ctx: {system, position, unknown, family, modes}
    const entries = ctx.modes.map(function (mode) { return familyUnknown(mode, ctx.family, ctx.unknown); });
    if (!entries.some(hasConvergence)) return null;
    const card = el('figure', {class: 'card convergence'});
    const title = el('figcaption', null,
      el('span', {class: 'card-title'}, 'Convergence of x' + ctx.unknown + ' · ' + ctx.family + ' family'),
      el('span', {class: 'print-only mode-caption'}));
    card.append(title);
    const tabs = modeTabs(ctx.modes, entries, hasConvergence, setMode);
    card.append(tabs.node);
    const canvas = el('canvas', {role: 'img'});
    const note = el('p', {class: 'no-samples overlay hidden'});
    card.append(el('div', {class: 'chart-box'}, canvas, note));
    const words = el('p', {class: 'small'});
    card.append(words);
    const {pngButton, csvButton, detailsBody} = cardTools(card);

    let chart = null;
    let current = -1;
    let view = null;
    function fileName(ext) {
      return 'linprob_' + fileSafe(systemLabel(ctx.system, ctx.position)) + '_x' + ctx.unknown + '_' +
        fileSafe(ctx.family) + '_' + fileSafe(ctx.modes[current].mode) + '_convergence.' + ext;
    }
    pngButton.addEventListener('click', function () { if (chart) download(fileName('png'), chart.toBase64Image('image/png')); });
    csvButton.addEventListener('click', function () { if (view) downloadCsv(fileName('csv'), view.header, view.rows); });

    function setMode(m) {
      if (m < 0 || m >= ctx.modes.length) return;
      current = m;
      tabs.buttons.forEach(function (b, i) { b.setAttribute('aria-selected', i === m ? 'true' : 'false'); });
      const mode = ctx.modes[m];
      title.lastChild.textContent = ' · ' + modeName(mode.mode);
      const entry = entries[m];
      const family = familyOf(mode, ctx.family) || {};
      view = hasConvergence(entry) ? convergenceView(entry) : null;
      canvas.classList.toggle('invisible', !view);
      note.classList.toggle('hidden', !!view);
      note.textContent = view ? '' : 'No running estimates in this phase (' + modeName(mode.mode) +
        '): it solved no samples, or had fewer than two batches (of 1024 samples, or replicates).';
      canvas.setAttribute('aria-label', 'Running estimates of x' + ctx.unknown + ', ' + ctx.family + ' family, ' +
        modeName(mode.mode));
      const used = 'Samples used: ' + fmtCount(family.jobs) + (digitsText(family) ? ', where ' + digitsText(family) : '') + '.';
      words.textContent = view ? used + ' Each point: the estimate from the first batches of the phase, less its final ' +
        'value; shaded, its 95 % interval, ± k standard errors (k in the table), as the phase would give it with ' +
        'those batches alone (for replicates none after the first).' : used;
      pngButton.disabled = !view;
      csvButton.disabled = !view;
      detailsBody.replaceChildren(view ? numberTable(view.header, view.rows, null, 'Running estimates and their standard errors u')
        : el('p', null, 'No running estimates in this phase.'));
      if (chart) {
        chart.data.datasets = view ? view.datasets : [];
        chart.options.scales.x.max = view ? view.max : undefined;
        chart.update('none');
      }
    }

    function create() {
      chart = makeChart(canvas, {
        type: 'line',
        data: {datasets: view ? view.datasets : []},
        options: {
          parsing: true, normalized: true,
          scales: {
            x: {type: 'linear', min: 0, max: view ? view.max : undefined, title: axisTitle('samples'),
              ticks: {maxRotation: 0, autoSkipPadding: 10, callback: function (v) { return fmtCount(v); }},
              grid: {color: '#e6e6e6'}},
            y: {title: axisTitle('estimate − final estimate'),
              ticks: {callback: function (v) { return fmt(v, 3); }}, grid: {color: '#e6e6e6'}}
          },
          plugins: {
            legend: {position: 'bottom', labels: {usePointStyle: true, boxWidth: 10, padding: 10,
              filter: function (item, data) { return !data.datasets[item.datasetIndex].band; }}},
            tooltip: {
              filter: function (item) { return !item.dataset.band; },
              callbacks: {
                title: function (items) { return items[0] ? fmtCount(items[0].parsed.x) + ' samples' : ''; },
                label: function (item) {
                  const ds = item.dataset;
                  const u = ds.errors[item.dataIndex];
                  return ds.label.replace(/ \(final .*\)$/, '') + ': ' + fmt(ds.values[item.dataIndex]) +
                    (isNumber(u) ? ' ± ' + fmt(u, 3) : '');
                }
              }
            }
          }
        }
      });
    }

    setMode(Math.max(0, entries.findIndex(hasConvergence)));
    return {card: card, setMode: setMode, create: create};
  }
