// Part of the report page's renderer (see report_base.js): the histogram and range cards of one unknown and family.
// The parts are joined, in the order src/output/CMakeLists.txt lists them,
// inside the one function scope that report_base.js opens.

  // A tab per pivoting mode, each selecting its mode; a mode whose entry has
  // nothing to draw (hasData false) has a dashed tab.
  function modeTabs(modes, entries, hasData, select) {
    const node = el('div', {class: 'tabs no-print', role: 'tablist', 'aria-label': 'pivoting mode'});
    const buttons = modes.map(function (mode, m) {
      const button = el('button', {type: 'button', role: 'tab', title: modeName(mode.mode),
        onclick: function () { select(m); }}, modeShort(mode.mode));
      if (!hasData(entries[m])) button.classList.add('empty');
      node.append(button);
      return button;
    });
    return {node: node, buttons: buttons};
  }

  // A card's PNG and CSV buttons and its collapsed "Numbers" section, added
  // to the card.
  function cardTools(card) {
    const pngButton = el('button', {type: 'button'}, 'PNG');
    const csvButton = el('button', {type: 'button'}, 'CSV');
    card.append(el('div', {class: 'toolbar no-print'}, pngButton, csvButton));
    const detailsBody = el('div', {class: 'details-body'});
    card.append(el('details', {class: 'numbers-details'}, el('summary', null, 'Numbers'), detailsBody));
    return {pngButton: pngButton, csvButton: csvButton, detailsBody: detailsBody};
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

    const tabs = modeTabs(ctx.modes, entries, hasSamples, setMode);
    const buttons = tabs.buttons;
    card.append(tabs.node);

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

    const {pngButton, csvButton, detailsBody} = cardTools(card);

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
      const added = addedRows(entry);
      if (added.length) detailsBody.append(numberTable(['measure', 'value', 'units'], added, null, 'Added measures'));
      const coverage = entry.coverage_95 || {};
      const family = familyOf(ctx.modes[current], ctx.family) || {};
      detailsBody.append(el('p', {class: 'small'},
        'Jobs: ' + fmtCount(family.jobs) + (digitsText(family) ? ' (' + digitsText(family) + ')' : '') +
        (seedText(family.seed) ? ' · seed ' + seedText(family.seed) : '') +
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
      'solved min', 'solved max', 'exact value', 'exact bounds lower', 'exact bounds upper', 'forward error (ulps)',
      'true solution'];
    const rows = ctx.modes.map(function (mode, m) {
      const e = modeUnknown(mode, u) || {};
      const bounds = pairOf(e.exact_bounds);
      return [modeName(mode.mode), intervals[m] ? intervals[m][0] : null, intervals[m] ? intervals[m][1] : null,
        e.interval_overestimation, hull ? hull[0] : null, hull ? hull[1] : null,
        solved[m] ? solved[m][0] : null, solved[m] ? solved[m][1] : null, e.exact,
        bounds ? bounds[0] : null, bounds ? bounds[1] : null, e.forward_error_ulps,
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

