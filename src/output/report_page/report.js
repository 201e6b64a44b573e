// Builds the report page from the results document (the element "results").
//
// Every text taken from the document reaches the page as a text node or an
// attribute value (textContent, append, setAttribute), never as markup. Links
// to the run's files are relative and built from fixed prefixes with each
// path segment percent-encoded, so a value can never become a script URL.
//
// When every chart has been drawn, <body> gets data-charts-drawn (the number
// of charts that completed a draw), data-render-ms (milliseconds since the
// page started loading) and data-page-height (pixels, for full-page
// screenshots).
(function () {
  'use strict';

  // Okabe–Ito colours: told apart under the common colour vision deficiencies.
  const COLOUR = {
    black: '#000000', orange: '#E69F00', sky: '#56B4E9', green: '#009E73',
    yellow: '#F0E442', blue: '#0072B2', vermillion: '#D55E00', purple: '#CC79A7'
  };
  const MODE_NAME = {
    NoPivot: 'no pivoting', RowPivot: 'row pivoting',
    ColPivot: 'column pivoting', RowColPivot: 'row and column pivoting'
  };
  const MODE_SHORT = {
    NoPivot: 'none', RowPivot: 'row', ColPivot: 'column', RowColPivot: 'row + column'
  };
  const TOTAL_VARIATION_LIMIT = 0.05;
  const OVERESTIMATION_LIMIT = 10;
  const MATRIX_SHOWN = 12;       // rows and columns of a matrix shown at most
  const UNKNOWNS_ALL_SHOWN = 8;  // above this, one unknown's charts at a time
  const EXPORT_LINKS_SHOWN = 40;
  const MARKED_BANDS = 200;      // above this, the approximations' lines have no markers

  const liveCharts = new Set();
  const drawnCharts = new Set();

  // ---- small DOM and number helpers -------------------------------------

  // el('td', {class: 'num'}, 'text', childNode): attributes by setAttribute,
  // children by append (strings become text nodes).
  function el(tag, attributes, ...children) {
    const node = document.createElement(tag);
    if (attributes) {
      for (const [key, value] of Object.entries(attributes)) {
        if (value === null || value === undefined || value === false) continue;
        if (key === 'class') node.className = value;
        else if (key === 'onclick') node.addEventListener('click', value);
        else node.setAttribute(key, value === true ? '' : String(value));
      }
    }
    for (const child of children) {
      if (child === null || child === undefined) continue;
      node.append(child);
    }
    return node;
  }

  function isNumber(v) { return typeof v === 'number' && Number.isFinite(v); }

  // Six significant digits, shortest form, with an exponent for very large
  // and very small magnitudes; "—" for a missing value.
  function fmt(v, digits) {
    if (!isNumber(v)) return '—';
    if (v === 0) return '0';
    const d = digits || 6;
    const size = Math.abs(v);
    if (size >= 1e6 || size < 1e-4) {
      return v.toExponential(d - 1).replace(/\.?0+e/, 'e').replace('e+', 'e');
    }
    return String(Number(v.toPrecision(d)));
  }
  function fmtCount(v) {
    return isNumber(v) ? v.toLocaleString('en-US') : '—';
  }
  function fmtInterval(pair) {
    return Array.isArray(pair) && pair.length === 2
      ? '[' + fmt(pair[0]) + ', ' + fmt(pair[1]) + ']' : '—';
  }
  function fmtSeconds(s) {
    if (!isNumber(s)) return '—';
    if (s < 60) return fmt(s, 3) + ' s';
    const minutes = Math.floor(s / 60);
    if (minutes < 60) return minutes + ' min ' + fmt(s - 60 * minutes, 3) + ' s';
    return Math.floor(minutes / 60) + ' h ' + (minutes % 60) + ' min';
  }
  // Full precision for the CSV files: the document's own shortest form.
  function csvValue(v) {
    if (v === null || v === undefined) return '';
    const text = String(v);
    return /[",\n\r]/.test(text) ? '"' + text.replace(/"/g, '""') + '"' : text;
  }
  function pairOf(v) { return Array.isArray(v) && v.length === 2 ? v : null; }
  function modeName(mode) { return MODE_NAME[mode] || String(mode); }
  function modeShort(mode) { return MODE_SHORT[mode] || String(mode); }
  function fileSafe(text) { return String(text).replace(/[^A-Za-z0-9_-]+/g, '_'); }

  // A relative link: prefix (fixed) + path with every segment encoded.
  function relativeHref(prefix, path) {
    return prefix + String(path).split('/').map(encodeURIComponent).join('/');
  }
  function link(prefix, path, label) {
    return el('a', {href: relativeHref(prefix, path)}, label === undefined ? String(path) : label);
  }

  function download(name, href, revoke) {
    const anchor = el('a', {href: href, download: name, class: 'hidden'});
    document.body.append(anchor);
    anchor.click();
    anchor.remove();
    if (revoke) setTimeout(function () { URL.revokeObjectURL(href); }, 2000);
  }
  function downloadCsv(name, header, rows) {
    const lines = [header.map(csvValue).join(',')];
    for (const row of rows) lines.push(row.map(csvValue).join(','));
    const blob = new Blob([lines.join('\n') + '\n'], {type: 'text/csv'});
    download(name, URL.createObjectURL(blob), true);
  }

  // A table from column headers and rows of raw values; `format(value, c)`
  // turns a value into cell text. Row headers come from the first column.
  function numberTable(header, rows, format, caption) {
    const table = el('table', {class: 'numbers'});
    if (caption) table.append(el('caption', null, caption));
    const head = el('tr');
    for (const h of header) head.append(el('th', {scope: 'col'}, h));
    table.append(el('thead', null, head));
    const body = el('tbody');
    for (const row of rows) {
      const tr = el('tr');
      row.forEach(function (v, c) {
        const text = format ? format(v, c) : (typeof v === 'number' ? fmt(v) : (v === null ? '—' : String(v)));
        tr.append(c === 0 ? el('th', {scope: 'row'}, text) : el('td', {class: 'num'}, text));
      });
      body.append(tr);
    }
    table.append(body);
    return table;
  }

  // ---- reading the document ---------------------------------------------

  function modeUnknown(mode, u) {
    return (mode && Array.isArray(mode.unknowns) ? mode.unknowns : [])
      .find(function (e) { return e && e.unknown === u; }) || null;
  }
  function familyOf(mode, family) {
    return (mode && Array.isArray(mode.families) ? mode.families : [])
      .find(function (f) { return f && f.family === family; }) || null;
  }
  function familyUnknown(mode, family, u) {
    const f = familyOf(mode, family);
    return (f && Array.isArray(f.unknowns) ? f.unknowns : [])
      .find(function (e) { return e && e.unknown === u; }) || null;
  }
  // An entry holds a histogram when the phase solved jobs for it.
  function hasSamples(entry) {
    return !!entry && Array.isArray(entry.valid) && entry.valid.length > 0 &&
      Array.isArray(entry.borders) && entry.borders.length > entry.valid.length - 1 &&
      entry.borders.every(isNumber);
  }
  function familiesOf(system) {
    const names = [];
    for (const mode of system.modes || []) {
      for (const f of mode.families || []) {
        if (f && typeof f.family === 'string' && !names.includes(f.family)) names.push(f.family);
      }
    }
    return names;
  }
  function unknownsOf(system) {
    const seen = new Set();
    for (const mode of system.modes || []) {
      for (const e of mode.unknowns || []) if (e && Number.isInteger(e.unknown)) seen.add(e.unknown);
      for (const f of mode.families || []) {
        for (const e of (f && f.unknowns) || []) if (e && Number.isInteger(e.unknown)) seen.add(e.unknown);
      }
    }
    if (seen.size === 0 && Array.isArray(system.matrix)) system.matrix.forEach(function (_, i) { seen.add(i); });
    return Array.from(seen).sort(function (a, b) { return a - b; });
  }
  function systemLabel(system, position) {
    return 'System ' + (Number.isInteger(system.index) ? system.index : position);
  }
  function largest(values) {
    const numbers = values.filter(isNumber);
    return numbers.length ? Math.max.apply(null, numbers) : null;
  }

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
    // A sampling phase's error bars: each VALID bar ± 2 standard errors.
    const errors = entry.standard_error || null;
    const bandErrors = errors && Array.isArray(errors.valid) && errors.valid.length === k ? errors.valid : null;
    if (bandErrors) {
      const bars = [];
      for (let i = 0; i < k; ++i) {
        const u = bandErrors[i];
        if (!(u >= 0)) continue;
        bars.push({x: mids[i], y: Math.max(0, entry.valid[i] - 2 * u)}, {x: mids[i], y: entry.valid[i] + 2 * u},
          {x: mids[i], y: null});
      }
      datasets.push({
        type: 'line', label: 'VALID ± 2 standard errors', data: bars, spanGaps: false,
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
    if (errors) header.push('VALID standard error u');
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
      if (u) row(['± u', u[0], u[1], null, null, null], null);
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
    if (errors && errors.moments) pairRow('± u (standard error)', errors.moments);
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
  function verdictText(v) {
    return v === true ? '✓ validated' : v === false ? '✗ not validated' : '– undecided';
  }

  function histogramCard(ctx) {
    // ctx: {system, position, unknown, family, modes}
    const entries = ctx.modes.map(function (mode) { return familyUnknown(mode, ctx.family, ctx.unknown); });
    const card = el('figure', {class: 'card histogram'});
    const title = el('figcaption', null,
      el('span', {class: 'card-title'}, ctx.family + ' family · x' + ctx.unknown),
      el('span', {class: 'print-only mode-caption'}));
    card.append(title);

    if (!entries.some(hasSamples)) {
      card.append(el('p', {class: 'no-samples'},
        'No samples were solved for the ' + ctx.family + ' family in any pivoting mode.'));
      return {card: card, setMode: function () {}, create: null};
    }

    const tabs = el('div', {class: 'tabs no-print', role: 'tablist', 'aria-label': 'pivoting mode'});
    const buttons = ctx.modes.map(function (mode, m) {
      const button = el('button', {type: 'button', role: 'tab', title: modeName(mode.mode),
        onclick: function () { setMode(m); }}, modeShort(mode.mode));
      if (!hasSamples(entries[m])) button.classList.add('empty');
      tabs.append(button);
      return button;
    });
    card.append(tabs);

    const canvas = el('canvas', {role: 'img'});
    const note = el('p', {class: 'no-samples overlay hidden'});
    const box = el('div', {class: 'chart-box'}, canvas, note);
    card.append(box);
    const words = el('p', {class: 'truth-words small'});
    card.append(words);
    // A large table is drawn with neighbouring bands merged (band_count and
    // merged_bands in the page's copy of the results); the note says so.
    const mergeNote = el('p', {class: 'small muted hidden'});
    card.append(mergeNote);

    const pngButton = el('button', {type: 'button'}, 'PNG');
    const csvButton = el('button', {type: 'button'}, 'CSV');
    card.append(el('div', {class: 'toolbar no-print'}, pngButton, csvButton));
    const details = el('details', {class: 'numbers-details'});
    const detailsBody = el('div', {class: 'details-body'});
    details.append(el('summary', null, 'Numbers'), detailsBody);
    card.append(details);

    let chart = null;
    let current = -1;
    let view = null;

    function fileName(ext) {
      const mode = ctx.modes[current] ? ctx.modes[current].mode : 'mode';
      return 'linprob_' + fileSafe(systemLabel(ctx.system, ctx.position)) + '_x' + ctx.unknown + '_' +
        fileSafe(ctx.family) + '_' + fileSafe(mode) + '_histogram.' + ext;
    }
    pngButton.addEventListener('click', function () { if (chart) download(fileName('png'), chart.toBase64Image('image/png')); });
    csvButton.addEventListener('click', function () {
      if (view) downloadCsv(fileName('csv'), view.header, view.rows);
    });

    function fillDetails(entry) {
      detailsBody.replaceChildren();
      if (!view) {
        detailsBody.append(el('p', null, 'No samples were solved in this phase.'));
        return;
      }
      detailsBody.append(numberTable(view.header, view.rows, null, 'Band probabilities'));
      detailsBody.append(numberTable(['of', 'mean', 'standard deviation'], statisticsRows(entry), null, 'Moments'));
      detailsBody.append(numberTable(['against VALID', 'total variation', 'max CDF difference', 'δ', 'd low', 'd high', 'GUM validation'],
        checksRows(entry), null, 'Trust measures'));
      detailsBody.append(numberTable(['against the exact distribution', 'total variation', 'max CDF difference'],
        truthPage.checkRows(entry), null, 'Distance from the truth'));
      const coverage = entry.coverage_95 || {};
      const family = familyOf(ctx.modes[current], ctx.family) || {};
      detailsBody.append(el('p', {class: 'small'},
        'Jobs: ' + fmtCount(family.jobs) + (seedText(family.seed) ? ' · seed ' + seedText(family.seed) : '') +
        ' · coverage resolution ' + fmt(coverage.resolution)));
    }

    function setMode(m) {
      if (m < 0 || m >= ctx.modes.length) return;
      current = m;
      buttons.forEach(function (b, i) { b.setAttribute('aria-selected', i === m ? 'true' : 'false'); });
      title.lastChild.textContent = ' · ' + modeName(ctx.modes[m].mode);
      const entry = entries[m];
      if (hasSamples(entry)) {
        view = histogramView(entry);
        canvas.classList.remove('invisible');
        note.classList.add('hidden');
        canvas.setAttribute('aria-label', 'Histogram of x' + ctx.unknown + ', ' + ctx.family + ' family, ' + modeName(ctx.modes[m].mode));
      } else {
        view = null;
        canvas.classList.add('invisible');
        note.classList.remove('hidden');
        note.textContent = 'No samples were solved in this phase (' + modeName(ctx.modes[m].mode) + ').';
      }
      const merged = view && isNumber(entry.merged_bands) && entry.merged_bands > 1;
      mergeNote.classList.toggle('hidden', !merged);
      mergeNote.textContent = merged
        ? 'Drawn with ' + entry.valid.length + ' bands, each joining up to ' + entry.merged_bands +
          ' neighbouring bands of the ' + fmtCount(entry.band_count) +
          '; every band is in bands.csv and results.json.'
        : '';
      pngButton.disabled = !view;
      csvButton.disabled = !view;
      if (view) truthPage.describe(words, entry);
      else words.replaceChildren();
      fillDetails(entry);
      if (chart) {
        chart.data.datasets = view ? view.datasets : [];
        applyScales(chart.options.scales);
        chart.update('none');
      }
    }

    function applyScales(scales) {
      if (!view) return;
      scales.x.min = view.min;
      scales.x.max = view.max;
      scales.y.suggestedMax = view.top * 1.25;
    }

    function create() {
      const scales = {
        x: {
          type: 'linear', offset: false, title: axisTitle('x' + ctx.unknown + ' value'),
          // Ticks at the band borders, so that every bar spans its band.
          afterBuildTicks: function (scale) {
            if (view) scale.ticks = view.borders.map(function (v) { return {value: v}; });
          },
          ticks: {
            maxRotation: 0, autoSkipPadding: 8,
            callback: function (value) { return fmt(value, view ? view.digits : 6); }
          },
          grid: {color: '#e6e6e6'}
        },
        y: {
          beginAtZero: true, title: axisTitle('probability'),
          ticks: {callback: function (value) { return fmt(value, 3); }},
          grid: {color: '#e6e6e6'}
        }
      };
      applyScales(scales);
      chart = makeChart(canvas, {
        type: 'bar',
        data: {datasets: view ? view.datasets : []},
        options: {
          parsing: true, normalized: true,
          scales: scales,
          plugins: {
            legend: {position: 'bottom', labels: {usePointStyle: true, boxWidth: 10, padding: 10, generateLabels: legendLabels}},
            tooltip: {callbacks: {
              title: function (items) {
                const item = items[0];
                if (!item || !view || item.dataset.legendStyle === 'line') return '';
                const i = item.dataIndex;
                return 'band ' + (i + 1) + ': (' + fmt(view.borders[i]) + ', ' + fmt(view.borders[i + 1]) + ']';
              },
              label: function (item) {
                if (item.dataset.legendStyle === 'line') {
                  const d = item.dataset.data;
                  return item.dataset.label + ': [' + fmt(d[0].x) + ', ' + fmt(d[1].x) + ']';
                }
                return item.dataset.label + ': ' + fmt(item.parsed.y);
              }
            }}
          }
        }
      });
    }

    const initial = Math.max(0, entries.findIndex(hasSamples));
    setMode(initial);
    return {card: card, setMode: setMode, create: create};
  }

  function rangeCard(ctx) {
    const u = ctx.unknown;
    const hull = Array.isArray(ctx.system.exact_hull) ? pairOf(ctx.system.exact_hull[u]) : null;
    const truth = Array.isArray(ctx.system.true_solution) ? ctx.system.true_solution[u] : null;
    const labels = ctx.modes.map(function (mode) { return modeShort(mode.mode); });
    const intervals = ctx.modes.map(function (mode) {
      const e = modeUnknown(mode, u);
      return e ? pairOf(e.interval) : null;
    });
    const solved = ctx.modes.map(function (mode) {
      const e = familyUnknown(mode, ctx.family, u);
      return e && isNumber(e.min) && isNumber(e.max) ? [e.min, e.max] : null;
    });

    const card = el('figure', {class: 'card range'});
    card.append(el('figcaption', null, el('span', {class: 'card-title'}, 'Ranges of x' + u + ' · ' + ctx.family + ' family')));

    const header = ['mode', 'interval lower', 'interval upper', 'overestimation', 'hull lower', 'hull upper',
      'solved min', 'solved max', 'exact value', 'forward error (ulps)', 'true solution'];
    const rows = ctx.modes.map(function (mode, m) {
      const e = modeUnknown(mode, u) || {};
      return [modeName(mode.mode), intervals[m] ? intervals[m][0] : null, intervals[m] ? intervals[m][1] : null,
        e.interval_overestimation, hull ? hull[0] : null, hull ? hull[1] : null,
        solved[m] ? solved[m][0] : null, solved[m] ? solved[m][1] : null, e.exact, e.forward_error_ulps,
        isNumber(truth) ? truth : null];
    });

    const anything = intervals.some(Boolean) || hull || solved.some(Boolean) || isNumber(truth);
    if (!anything) {
      card.append(el('p', {class: 'no-samples'}, 'No interval, hull or solved range is available for x' + u + '.'));
      return {card: card, create: null};
    }
    const canvas = el('canvas', {role: 'img', 'aria-label': 'Ranges of x' + u + ' by pivoting mode, ' + ctx.family + ' family'});
    card.append(el('div', {class: 'chart-box'}, canvas));
    let chart = null;
    const base = 'linprob_' + fileSafe(systemLabel(ctx.system, ctx.position)) + '_x' + u + '_' + fileSafe(ctx.family) + '_ranges.';
    card.append(el('div', {class: 'toolbar no-print'},
      el('button', {type: 'button', onclick: function () { if (chart) download(base + 'png', chart.toBase64Image('image/png')); }}, 'PNG'),
      el('button', {type: 'button', onclick: function () { downloadCsv(base + 'csv', header, rows); }}, 'CSV')));
    const details = el('details', {class: 'numbers-details'}, el('summary', null, 'Numbers'),
      el('div', {class: 'details-body'}, numberTable(header, rows, null, 'Ranges by pivoting mode')));
    card.append(details);

    function create() {
      // Only the ranges that exist get a bar (and a legend entry).
      const datasets = [
        {type: 'bar', label: 'described interval', data: intervals,
          backgroundColor: 'rgba(0, 114, 178, 0.75)', borderColor: COLOUR.blue, borderWidth: 1, legendStyle: 'rect'},
        {type: 'bar', label: 'exact hull', data: ctx.modes.map(function () { return hull; }),
          backgroundColor: 'rgba(230, 159, 0, 0.75)', borderColor: '#b07800', borderWidth: 1, legendStyle: 'rect'},
        {type: 'bar', label: 'solved [min, max]', data: solved,
          backgroundColor: 'rgba(0, 158, 115, 0.75)', borderColor: '#006e50', borderWidth: 1, legendStyle: 'rect'}
      ].filter(function (ds) { return ds.data.some(Boolean); });
      if (isNumber(truth)) {
        datasets.push({type: 'line', label: 'true solution', showLine: false,
          data: labels.map(function (label) { return {x: truth, y: label}; }),
          pointStyle: 'crossRot', pointRadius: 8, pointHoverRadius: 9, pointBorderWidth: 2.5,
          borderColor: COLOUR.black, backgroundColor: COLOUR.black, order: -1});
      }
      chart = makeChart(canvas, {
        type: 'bar',
        data: {labels: labels, datasets: datasets},
        options: {
          indexAxis: 'y',
          categoryPercentage: 0.8, barPercentage: 0.9, minBarLength: 3,
          scales: {
            x: {type: 'linear', beginAtZero: false, title: axisTitle('x' + u + ' value'), grace: '2%',
              ticks: {maxRotation: 0, autoSkipPadding: 10, callback: function (v) { return fmt(v, 6); }},
              grid: {color: '#e6e6e6'}},
            y: {title: axisTitle('pivoting mode'), grid: {display: false}}
          },
          plugins: {
            legend: {position: 'bottom', labels: {usePointStyle: true, boxWidth: 10, padding: 10, generateLabels: legendLabels}},
            tooltip: {callbacks: {label: function (item) {
              const raw = item.raw;
              if (Array.isArray(raw)) return item.dataset.label + ': [' + fmt(raw[0]) + ', ' + fmt(raw[1]) + ']';
              return item.dataset.label + ': ' + fmt(raw && raw.x);
            }}}
          }
        }
      });
    }
    return {card: card, create: create};
  }

  // ---- page sections ----------------------------------------------------

  // A seed as written in the document (a string of digits), or as a number
  // where the browser could not keep its digits; '' when there is none.
  function seedText(seed) {
    if (typeof seed === 'string' && /^[0-9]+$/.test(seed)) return seed;
    if (isNumber(seed)) return String(seed) + (Number.isSafeInteger(seed) ? '' : ' (rounded)');
    return '';
  }

  function runHeader(doc, systems) {
    const program = doc.program || {};
    const run = doc.run || {};
    const header = el('header', {class: 'run-header'});
    const kind = run.kind === 'enumeration' ? 'enumeration of every combination of cells'
      : run.kind === 'sampling' ? 'random sampling' : String(run.kind || 'unknown kind');
    header.append(el('h1', null, 'Probabilistic analysis of ' + systems.length +
      (systems.length === 1 ? ' linear system' : ' linear systems')));
    const dimension = run.settings && isNumber(run.settings.Dimensions) ? ', n = ' + run.settings.Dimensions : '';
    header.append(el('p', {class: 'subtitle'},
      (run.kind === 'sampling' ? 'Sampling run' : run.kind === 'enumeration' ? 'Enumeration run' : 'Run') +
      dimension + ' · ' + String(program.name || 'linprob') + ' ' + String(program.version || '')));

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
    files.append(el('p', null, 'Beside this page: ', link('', 'results.json'), ' · ',
      link('', 'bands.csv'), ' · ', link('', 'unknowns.csv')));
    const unknowns = new Set();
    for (const s of systems) for (const u of unknownsOf(s)) unknowns.add(u);
    const exportFolder = typeof run.export_folder === 'string' ? run.export_folder : 'Export/';
    const exportLine = el('p', null, 'CSV export (' + exportFolder + '): ');
    Array.from(unknowns).sort(function (a, b) { return a - b; }).slice(0, EXPORT_LINKS_SHOWN)
      .forEach(function (u, i) {
        if (i) exportLine.append(' · ');
        exportLine.append(link('../', exportFolder + 'Results_X' + u + '.csv', 'Results_X' + u + '.csv'));
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
          ? link('../', mode.summary_file, mode.summary_file.split('/').pop()) : '—'));
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
        el('li', null, 'Interval overestimation: width of the interval solution over the width of the exact hull; values above ' + OVERESTIMATION_LIMIT + ' are marked ✗. Forward error: distance of the computed solution from the exact one, in units in the last place.')));
  }

  // The correct significant digits a double result can be counted on for
  // at condition number kappa: 53 bits are 15.95 digits, kappa costs
  // log10(kappa) of them.
  function trustedDigits(kappa) {
    return Math.max(0, Math.floor(53 * Math.log10(2) - Math.log10(kappa)));
  }

  function conditionVerdict(system) {
    const kappa = system.condition_number;
    if (!isNumber(kappa)) {
      const reason = typeof system.condition_number_reason === 'string' ? system.condition_number_reason : 'not computed';
      return {text: reason, level: 'muted'};
    }
    if (kappa <= 1e3) return {text: 'well conditioned', level: 'good'};
    const digits = trustedDigits(kappa);
    const loss = digits > 0 ? 'results may have fewer than ' + digits + ' correct digits' : 'results may have no correct digit';
    if (kappa <= 1e9) return {text: 'moderately conditioned: ' + loss, level: 'fair'};
    return {text: 'ill conditioned: ' + loss, level: 'fail'};
  }

  // The certified enclosure of kappa, worth showing when it is wider than
  // a millionth.
  function conditionEnclosure(system) {
    const e = pairOf(system.condition_number_enclosure);
    if (!e || !(e[1] - e[0] > 1e-6 * e[1])) return null;
    return el('span', {class: 'muted'}, ' (certified enclosure ' + fmtInterval(e) + ')');
  }

  function matrixTable(system) {
    const matrix = Array.isArray(system.matrix) ? system.matrix : [];
    const n = matrix.length;
    const rows = Math.min(n, MATRIX_SHOWN);
    const cols = Math.min(n ? (matrix[0] || []).length : 0, MATRIX_SHOWN);
    const rhs = Array.isArray(system.rhs) ? system.rhs : [];
    const intervals = Array.isArray(system.interval_rhs) ? system.interval_rhs : [];
    const table = el('table', {class: 'matrix'});
    table.append(el('caption', null, 'Matrix A and right-hand sides'));
    const head = el('tr', null, el('th', {scope: 'col'}, 'eq.'));
    for (let j = 0; j < cols; ++j) head.append(el('th', {scope: 'col'}, 'x' + j));
    if (cols < n) head.append(el('th', {scope: 'col'}, '…'));
    head.append(el('th', {scope: 'col', class: 'rule'}, 'b'), el('th', {scope: 'col'}, 'interval b'));
    table.append(el('thead', null, head));
    const body = el('tbody');
    for (let i = 0; i < rows; ++i) {
      const tr = el('tr', null, el('th', {scope: 'row'}, String(i)));
      for (let j = 0; j < cols; ++j) tr.append(el('td', {class: 'num'}, fmt((matrix[i] || [])[j])));
      if (cols < n) tr.append(el('td', null, '…'));
      tr.append(el('td', {class: 'num rule'}, fmt(rhs[i])), el('td', {class: 'num'}, fmtInterval(intervals[i])));
      body.append(tr);
    }
    table.append(body);
    const wrap = el('div', {class: 'table-wrap'}, table);
    if (n > MATRIX_SHOWN) {
      wrap.append(el('p', {class: 'small muted'}, 'Truncated: showing rows and columns 0–' + (MATRIX_SHOWN - 1) +
        ' of ' + n + '; the whole system is in results.json.'));
    }
    return wrap;
  }

  function solutionTable(system, unknowns) {
    const truth = Array.isArray(system.true_solution) ? system.true_solution : null;
    const hull = Array.isArray(system.exact_hull) ? system.exact_hull : null;
    const reasons = [system.true_solution_reason, system.exact_hull_reason].filter(function (r) {
      return typeof r === 'string';
    });
    if (!truth && !hull) {
      return el('p', {class: 'small muted'}, 'Exact solution and hull: ' + (reasons[0] || 'not computed') + '.');
    }
    const shown = unknowns.slice(0, MATRIX_SHOWN);
    const rows = shown.map(function (u) {
      const h = hull ? pairOf(hull[u]) : null;
      return ['x' + u, truth ? truth[u] : null, h ? h[0] : null, h ? h[1] : null];
    });
    const wrap = el('div', {class: 'table-wrap'},
      numberTable(['unknown', 'true solution', 'hull lower', 'hull upper'], rows, null, 'Exact solution and hull of the interval system'));
    if (unknowns.length > shown.length) {
      wrap.append(el('p', {class: 'small muted'}, 'Showing ' + shown.length + ' of ' + unknowns.length + ' unknowns.'));
    }
    // Values the certification left open are empty cells: say why.
    for (const [label, reason] of [['True solution', system.true_solution_reason], ['Hull', system.exact_hull_reason]]) {
      if (typeof reason === 'string') wrap.append(el('p', {class: 'small muted'}, label + ': ' + reason + '.'));
    }
    if (typeof system.exact_moments_reason === 'string') {
      wrap.append(el('p', {class: 'small muted'}, 'Exact linear moments: ' + system.exact_moments_reason + '.'));
    }
    return wrap;
  }

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
  function verdictCell(entries, key, unknownNames) {
    const withSamples = entries.filter(hasSamples);
    if (!withSamples.some(function (e) { return e.gum_validation && e.gum_validation[key]; })) {
      return cell('not available', 'muted');
    }
    const failed = [];
    const undecided = [];
    for (const e of withSamples) {
      const g = e.gum_validation && e.gum_validation[key];
      const v = g ? g.validated : null;
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
      tr.append(cell(Array.isArray(mode.column_order) ? mode.column_order.join(' ') : '—'));
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
      for (const family of families) {
        const f = familyOf(mode, family);
        const entries = f && Array.isArray(f.unknowns) ? f.unknowns.filter(Boolean) : [];
        const sampled = entries.filter(hasSamples);
        if (sampled.length === 0) {
          tr.append(el('td', {colspan: 4, class: 'muted group-start'}, 'no samples were solved'));
          continue;
        }
        for (const key of ['invalid', 'exact_linear']) {
          const tv = largest(sampled.map(function (e) {
            return e.discrepancy && e.discrepancy[key] ? e.discrepancy[key].total_variation : null;
          }));
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

  // The charts of one unknown: per family a histogram card and a range card.
  function unknownSection(ctx, u, families, registry) {
    const section = el('section', {class: 'unknown'});
    section.append(el('h3', null, 'Unknown x' + u));
    for (const family of families) {
      const c = {system: ctx.system, position: ctx.position, modes: ctx.modes, unknown: u, family: family};
      const histogram = histogramCard(c);
      const range = rangeCard(c);
      registry.cards.push(histogram);
      if (histogram.create) registry.creators.push(histogram.create);
      if (range.create) registry.creators.push(range.create);
      section.append(el('div', {class: 'chart-row'}, histogram.card, range.card));
    }
    const shares = truthPage.sharesCard(ctx, u);
    if (shares.create) registry.creators.push(shares.create);
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

    const verdict = conditionVerdict(system);
    section.append(isNumber(system.condition_number)
      ? el('p', {class: 'condition'}, 'Condition number κ∞(A) = ',
        el('strong', null, fmt(system.condition_number, 3)), conditionEnclosure(system), ': ',
        el('span', {class: 'verdict ' + verdict.level}, verdict.text))
      : el('p', {class: 'condition'}, 'Condition number κ∞(A): ',
        el('span', {class: 'verdict ' + verdict.level}, verdict.text)));
    section.append(el('div', {class: 'system-tables'}, matrixTable(system), solutionTable(system, unknowns)));
    section.append(pivotingTable(system, families));
    const distances = truthPage.distanceTable(system, families, modeShort, modeName);
    if (distances) section.append(distances);
    const heatMap = truthPage.heatMapCard({system: system, position: position});
    if (heatMap) {
      section.append(el('div', {class: 'chart-row'}, heatMap.card));
      pending.push(heatMap.create);
    }

    const ctx = {system: system, position: position, modes: modes};
    const registry = {cards: [], creators: []};
    const chartsArea = el('div', {class: 'charts'});

    const controls = el('div', {class: 'mode-switch no-print'}, el('span', null, 'Histograms of this system show: '));
    modes.forEach(function (mode, m) {
      controls.append(el('button', {type: 'button', onclick: function () {
        for (const card of registry.cards) card.setMode(m);
      }}, modeName(mode.mode)));
    });
    section.append(controls);

    if (unknowns.length > UNKNOWNS_ALL_SHOWN) {
      // Many unknowns: the charts of one unknown at a time.
      const select = el('select', {'aria-label': 'unknown'});
      for (const u of unknowns) select.append(el('option', {value: u}, 'x' + u));
      section.append(el('p', {class: 'no-print'}, 'Charts of unknown ', select,
        el('span', {class: 'muted'}, ' (' + unknowns.length + ' unknowns; one shown at a time)')));
      select.addEventListener('change', function () {
        destroyCharts(chartsArea);
        chartsArea.replaceChildren();
        registry.cards.length = 0;
        registry.creators.length = 0;
        chartsArea.append(unknownSection(ctx, Number(select.value), families, registry));
        drawAll(registry.creators.splice(0));
        markDrawn();
      });
      chartsArea.append(unknownSection(ctx, unknowns[0], families, registry));
    } else {
      for (const u of unknowns) chartsArea.append(unknownSection(ctx, u, families, registry));
    }
    section.append(chartsArea);
    pending.push.apply(pending, registry.creators.splice(0));
    return section;
  }

  function drawAll(creators) {
    for (const create of creators) create();
  }

  function markDrawn() {
    const body = document.body;
    body.setAttribute('data-charts-drawn', String(drawnCharts.size));
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
    document.title = 'linprob report · ' + systems.length + (systems.length === 1 ? ' system' : ' systems') +
      (doc.run && doc.run.kind ? ' · ' + doc.run.kind : '');
    const root = document.getElementById('report');
    truthPage.setRun(doc.run);
    const pending = [];
    const page = [runHeader(doc, systems)];
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
