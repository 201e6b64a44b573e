// Part of the report page's renderer (see report_base.js): the chart library's settings and the data of a histogram chart and its tables.
// The parts are joined, in the order src/output/CMakeLists.txt lists them,
// inside the one function scope that report_base.js opens.

  // ---- charts -----------------------------------------------------------

  Chart.defaults.animation = false;
  Chart.defaults.responsive = true;
  Chart.defaults.maintainAspectRatio = false;
  Chart.defaults.font.family = 'system-ui, -apple-system, "Segoe UI", Roboto, "Helvetica Neue", Arial, sans-serif';
  Chart.defaults.font.size = 12;
  Chart.defaults.color = '#222';
  Chart.defaults.plugins.tooltip.animation = false;

  // White behind every chart (PNG files and print are not transparent), and
  // the count of charts that completed a draw.
  Chart.register({
    id: 'linprobPage',
    beforeDraw: function (chart) {
      const ctx = chart.ctx;
      ctx.save();
      ctx.fillStyle = '#ffffff';
      ctx.fillRect(0, 0, chart.width, chart.height);
      ctx.restore();
    },
    afterDraw: function (chart) { drawnCharts.add(chart); }
  });

  function makeChart(canvas, config) {
    const chart = new Chart(canvas, config);
    liveCharts.add(chart);
    return chart;
  }
  function destroyCharts(container) {
    for (const chart of Array.from(liveCharts)) {
      if (container.contains(chart.canvas)) {
        chart.destroy();
        liveCharts.delete(chart);
        drawnCharts.delete(chart);
      }
    }
  }

  // Legend entries show each data set's marker; a data set may name another
  // marker for its entry (legendStyle).
  function legendLabels(chart) {
    const labels = Chart.defaults.plugins.legend.labels.generateLabels(chart)
      .sort(function (a, b) { return a.datasetIndex - b.datasetIndex; });
    for (const label of labels) {
      const ds = chart.data.datasets[label.datasetIndex];
      if (ds && ds.legendStyle) {
        label.pointStyle = ds.legendStyle;
        label.rotation = 0;
      }
    }
    return labels;
  }
  function axisTitle(text) {
    return {display: true, text: text, font: {weight: '600'}};
  }

  // The truth over the histograms and the variance shares (truth.js).
  const truthPage = window.linprobTruth({
    el: el, fmt: fmt, fmtCount: fmtCount, isNumber: isNumber, COLOUR: COLOUR,
    makeChart: makeChart, legendLabels: legendLabels, axisTitle: axisTitle,
    numberTable: numberTable, download: download, downloadCsv: downloadCsv,
    fileSafe: fileSafe, systemLabel: systemLabel
  });

  // Digits of the tick labels: enough to tell neighbouring borders apart.
  function tickDigits(borders) {
    const step = Math.abs(borders[borders.length - 1] - borders[0]) / Math.max(1, borders.length - 1);
    const size = Math.max.apply(null, borders.map(Math.abs));
    if (!(step > 0) || !(size > 0)) return 6;
    return Math.min(12, Math.max(3, Math.ceil(Math.log10(size / step)) + 2));
  }

  // Everything the histogram chart and its table show for one phase entry.
  function histogramView(entry) {
    const k = entry.valid.length;
    const borders = entry.borders.slice(0, k + 1);
    const mids = [];
    for (let i = 0; i < k; ++i) mids.push((borders[i] + borders[i + 1]) / 2);
    const invalid = entry.invalid && Array.isArray(entry.invalid.bands) ? entry.invalid : null;
    const exact = entry.exact_linear && Array.isArray(entry.exact_linear.bands) ? entry.exact_linear : null;
    const coverage = entry.coverage_95 || {};
    const symmetric = pairOf(coverage.symmetric);
    const shortest = pairOf(coverage.shortest);
    const truthLine = truthPage.dataset(entry, mids);
    const top = largest([].concat(entry.valid, invalid ? invalid.bands : [], exact ? exact.bands : [],
      truthLine ? truthLine.data.map(function (p) { return p.y; }) : [])) || 1;
    // A marker on every band only while the bands are few enough to tell apart.
    function marker(radius) { return k <= MARKED_BANDS ? radius : 0; }
    if (truthLine) truthLine.pointRadius = marker(3);

    const datasets = [{
      type: 'bar', label: 'VALID (solved values)',
      data: mids.map(function (x, i) { return {x: x, y: entry.valid[i]}; }),
      backgroundColor: 'rgba(86, 180, 233, 0.55)', borderColor: COLOUR.blue, borderWidth: 1,
      barPercentage: 1, categoryPercentage: 1, order: 3, legendStyle: 'rect'
    }];
    if (invalid) {
      datasets.push({
        type: 'line', label: 'INVALID (normal approximation)',
        data: mids.map(function (x, i) { return {x: x, y: invalid.bands[i]}; }),
        borderColor: COLOUR.vermillion, backgroundColor: COLOUR.vermillion,
        borderDash: [6, 4], borderWidth: 2, pointStyle: 'triangle', pointRadius: marker(5), order: 1
      });
    }
    if (exact) {
      datasets.push({
        type: 'line', label: 'exact linear',
        data: mids.map(function (x, i) { return {x: x, y: exact.bands[i]}; }),
        borderColor: COLOUR.black, backgroundColor: COLOUR.black,
        borderDash: [2, 3], borderWidth: 1.5, pointStyle: 'rectRot', pointRadius: marker(4), order: 2
      });
    }
    if (truthLine) datasets.push(truthLine);
    // The coverage intervals: horizontal brackets above the bars.
    function bracket(pair, label, colour, dash, level) {
      datasets.push({
        type: 'line', label: label,
        data: [{x: pair[0], y: top * level}, {x: pair[1], y: top * level}],
        borderColor: colour, backgroundColor: colour, borderDash: dash, borderWidth: 2.5,
        pointStyle: 'line', pointRotation: 90, pointRadius: 7, pointBorderWidth: 2.5,
        order: 0, legendStyle: 'line'
      });
    }
    if (symmetric) bracket(symmetric, '95 % interval, symmetric', COLOUR.orange, [], 1.1);
    if (shortest) bracket(shortest, '95 % interval, shortest', COLOUR.purple, [5, 3], 1.2);
    // A sampling phase's error bars: each VALID bar ± k standard errors, k
    // the phase's coverage factor (a 95 % interval).
    const errors = entry.standard_error || null;
    const factor = errors && errors.coverage_factor > 0 ? errors.coverage_factor : null;
    const bandErrors = factor && Array.isArray(errors.valid) && errors.valid.length === k ? errors.valid : null;
    if (bandErrors) {
      const bars = [];
      for (let i = 0; i < k; ++i) {
        const u = bandErrors[i];
        if (!(u >= 0)) continue;
        bars.push({x: mids[i], y: Math.max(0, entry.valid[i] - factor * u)}, {x: mids[i], y: entry.valid[i] + factor * u},
          {x: mids[i], y: null});
      }
      datasets.push({
        type: 'line', label: 'VALID ± ' + fmt(factor, 3) + ' standard errors (95 %)', data: bars, spanGaps: false,
        borderColor: COLOUR.black, backgroundColor: COLOUR.black, borderWidth: 1, pointRadius: 0,
        order: 0, legendStyle: 'line'
      });
    }
    const coverageErrors = errors && errors.coverage_95 ? errors.coverage_95 : {};

    let min = borders[0];
    let max = borders[k];
    for (const pair of [symmetric, shortest]) {
      if (pair) { min = Math.min(min, pair[0]); max = Math.max(max, pair[1]); }
    }
    if (!(max > min)) {  // every solved value equal: give the one band some room
      const pad = Math.abs(min) * 1e-6 || 1e-6;
      min -= pad;
      max += pad;
    }

    const header = ['band', 'lower border', 'upper border', 'VALID', 'INVALID', 'exact linear'];
    if (errors) header.push('VALID standard error u' + (factor ? ' (95 %: ± ' + fmt(factor, 3) + ' u)' : ''));
    const rows = [];
    // Each row with its standard error last when the phase has them.
    function row(cells, u) {
      if (errors) cells.push(u);
      rows.push(cells);
    }
    row(['below b0', null, borders[0], 0,
      invalid ? invalid.lower_tail : null, exact ? exact.lower_tail : null], 0);
    for (let i = 0; i < k; ++i) {
      row([String(i + 1), borders[i], borders[i + 1], entry.valid[i],
        invalid ? invalid.bands[i] : null, exact ? exact.bands[i] : null], bandErrors ? bandErrors[i] : null);
    }
    row(['above b' + k, borders[k], null, 0,
      invalid ? invalid.upper_tail : null, exact ? exact.upper_tail : null], 0);
    for (const [pair, key, label] of [[symmetric, 'symmetric', '95 % symmetric'], [shortest, 'shortest', '95 % shortest']]) {
      if (!pair) continue;
      row([label, pair[0], pair[1], null, null, null], null);
      const u = pairOf(coverageErrors[key]);
      if (u && isNumber(u[0]) && isNumber(u[1])) row(['± u', u[0], u[1], null, null, null], null);
      else if (errors && errors.coverage_95_reason) row(['± u: ' + errors.coverage_95_reason, null, null, null, null, null], null);
    }

    const view = {datasets: datasets, borders: borders, min: min, max: max, top: top,
                  digits: tickDigits(borders), header: header, rows: rows};
    truthPage.extendTable(view, entry);
    return view;
  }

  // Statistics of one phase entry, for the second table under a histogram.
  function statisticsRows(entry) {
    const rows = [];
    function pairRow(label, object) {
      rows.push([label, object ? object.mean : null, object ? object.sd : null]);
    }
    pairRow('solved values', entry.moments);
    const errors = entry.standard_error;
    if (errors && errors.moments) {
      const factor = errors.coverage_factor > 0 ? '; 95 %: ± ' + fmt(errors.coverage_factor, 3) + ' u' : '';
      pairRow('± u (standard error' + factor + ')', errors.moments);
    }
    pairRow('expected (exact propagation)', entry.expected_moments);
    pairRow('INVALID (normal approximation)', entry.invalid);
    pairRow('exact linear', entry.exact_linear);
    return rows;
  }
  function checksRows(entry) {
    const rows = [];
    const discrepancy = entry.discrepancy || {};
    const gum = entry.gum_validation || {};
    for (const [key, label] of [['invalid', 'INVALID'], ['exact_linear', 'exact linear']]) {
      const d = discrepancy[key] || {};
      const g = gum[key] || {};
      rows.push([label, d.total_variation, d.max_cdf, g.delta, g.d_low, g.d_high, verdictText(g.validated)]);
    }
    return rows;
  }
  // The added measures (results.json's "added_measures"), one row per
  // column: its words, its value in this entry, its units.
  let addedMeasures = [];
  function setAddedMeasures(list) {
    addedMeasures = Array.isArray(list) ? list : [];
  }
  function addedRows(entry) {
    const rows = [];
    for (const measure of addedMeasures) {
      const member = entry[measure.field];
      const columns = Array.isArray(measure.columns) ? measure.columns : [];
      for (const column of columns) {
        const value = columns.length === 1 ? member : (member ? member[column.name] : null);
        rows.push([column.long_name, isNumber(value) ? value : null, column.units]);
      }
    }
    return rows;
  }
  function verdictText(v) {
    return v === true ? '✓ validated' : v === false ? '✗ not validated' : '– undecided';
  }

