// The report page's parts for the continuous truth and the variance shares:
// the truth as a line over each histogram with the distances in words, the
// per-system table of distances from the truth, a bar chart of the largest
// shares of each unknown and a heat map of each system's share matrix.
//
// Defines window.linprobTruth(helpers): the renderer (report.js) calls it
// once with its own helpers (el, fmt, makeChart, ...) and uses what it
// returns. Text from the document reaches the page only through those
// helpers (text nodes and attributes), never as markup.
(function () {
  'use strict';

  window.linprobTruth = function (h) {
    const el = h.el;
    const fmt = h.fmt;
    const isNumber = h.isNumber;
    const COLOUR = h.COLOUR;
    const SHARES_SHOWN = 10;  // the largest shares of an unknown, the rest summed
    let run = {};

    function setRun(value) { run = value || {}; }

    // ---- the truth over a histogram ----------------------------------------

    function truthOf(entry) {
      const t = entry && entry.truth;
      return t && Array.isArray(t.bands) && t.bands.length === entry.valid.length ? t : null;
    }

    function dataset(entry, mids) {
      const t = truthOf(entry);
      if (!t) return null;
      return {
        type: 'line', label: 'exact distribution (truth)',
        data: mids.map(function (x, i) { return {x: x, y: t.bands[i]}; }),
        borderColor: COLOUR.green, backgroundColor: COLOUR.green,
        borderWidth: 2.5, pointStyle: 'circle', pointRadius: 3, order: 0.5
      };
    }

    // Two more columns of the band table: the truth and its error bound.
    function extendTable(view, entry) {
      const t = truthOf(entry);
      const k = entry.valid.length;
      view.header.push('truth', 'truth error bound');
      view.rows.forEach(function (row, r) {
        if (!t || r > k + 1) {
          row.push(null, null);
        } else if (r === 0) {
          row.push(t.lower_tail, t.error_bounds.lower_tail);
        } else if (r <= k) {
          row.push(t.bands[r - 1], t.error_bounds.bands[r - 1]);
        } else {
          row.push(t.upper_tail, t.error_bounds.upper_tail);
        }
      });
    }

    function againstTruth(entry, key) {
      const d = entry && entry.discrepancy && entry.discrepancy.truth;
      return d && d[key] && isNumber(d[key].total_variation) ? d[key] : null;
    }

    // Rows of the trust-measure table: each table against the truth.
    function checkRows(entry) {
      return [['VALID', 'VALID vs truth'], ['invalid', 'INVALID vs truth'],
        ['exact_linear', 'exact linear vs truth']].map(function (pair) {
        const d = againstTruth(entry, pair[0]) || {};
        return [pair[1], d.total_variation, d.max_cdf];
      });
    }

    // What VALID is made of, in words: "the 50-cell histogram" or "the
    // histogram of 100,000 samples".
    function histogramName() {
      const settings = run.settings || {};
      if (run.kind === 'enumeration' && isNumber(settings.IntegrationPrecision)) {
        return 'the ' + settings.IntegrationPrecision + '-cell histogram';
      }
      if (run.kind === 'sampling' && isNumber(settings.SampleCount)) {
        return 'the histogram of ' + h.fmtCount(settings.SampleCount) + ' samples';
      }
      return 'the histogram';
    }

    // The three distances from the truth as one sentence, into `node`.
    function describe(node, entry) {
      node.replaceChildren();
      if (!entry || !entry.truth) {
        const why = entry && entry.truth_reason;
        node.append(el('span', {class: 'muted'}, 'No exact distribution' + (why ? ': ' + why + '.' : '.')));
        return;
      }
      const valid = againstTruth(entry, 'valid');
      const invalid = againstTruth(entry, 'invalid');
      const exact = againstTruth(entry, 'exact_linear');
      const parts = [];
      if (valid) parts.push(histogramName() + ' is ' + fmt(valid.total_variation, 2) + ' from the exact distribution');
      if (invalid) parts.push('the normal approximation ' + fmt(invalid.total_variation, 2));
      if (exact) parts.push('the exact linear normal ' + fmt(exact.total_variation, 2));
      const sentence = parts.length
        ? 'Total variation: ' + parts.join('; ') + '.'
        : 'The exact distribution walked other bands than the histogram.';
      node.append(sentence, el('span', {class: 'muted'}, ' (truth by ' + String(entry.truth.method) +
        ', every value within ' + fmt(entry.truth.max_error, 2) + ')'));
    }

    // ---- distances per system ---------------------------------------------

    // Per mode and family, the largest total variation over the unknowns of
    // VALID, INVALID and the exact linear normal against the truth; null
    // when no unknown has a truth.
    function distanceTable(system, families, modeShort, modeName) {
      const keys = [['valid', 'VALID'], ['invalid', 'INVALID'], ['exact_linear', 'exact linear']];
      const table = el('table', {class: 'numbers distances'});
      table.append(el('caption', null, 'Total variation from the exact distribution, worst unknown'));
      const top = el('tr', null, el('th', {scope: 'col', rowspan: 2}, 'pivoting'));
      const sub = el('tr');
      for (const family of families) {
        top.append(el('th', {scope: 'colgroup', colspan: keys.length, class: 'group'}, family));
        keys.forEach(function (k, i) {
          sub.append(el('th', {scope: 'col', class: i === 0 ? 'group-start' : null}, k[1]));
        });
      }
      table.append(el('thead', null, top, sub));
      const body = el('tbody');
      let any = false;
      for (const mode of (system.modes || []).filter(Boolean)) {
        const tr = el('tr', null, el('th', {scope: 'row', title: modeName(mode.mode)}, modeShort(mode.mode)));
        for (const family of families) {
          const f = (mode.families || []).find(function (x) { return x && x.family === family; });
          const entries = f && Array.isArray(f.unknowns) ? f.unknowns.filter(Boolean) : [];
          keys.forEach(function (k, i) {
            const values = entries.map(function (e) {
              const d = againstTruth(e, k[0]);
              return d ? d.total_variation : null;
            }).filter(isNumber);
            if (values.length) any = true;
            tr.append(el('td', {class: 'num' + (i === 0 ? ' group-start' : '')},
              values.length ? fmt(Math.max.apply(null, values), 3) : '—'));
          });
        }
        body.append(tr);
      }
      table.append(body);
      if (!any) return null;
      return el('div', {class: 'table-wrap'}, table, el('p', {class: 'small muted note'},
        'VALID against the truth is the error of the cells or of the finite sample; INVALID and the exact linear normal against it are the approximations’ own errors.'));
    }

    // ---- variance shares --------------------------------------------------

    function sensitivityOf(system) {
      return Array.isArray(system.sensitivity) ? system.sensitivity.filter(Boolean) : null;
    }

    function sharesOf(block, u, field) {
      const e = (block.unknowns || []).find(function (x) { return x && x.unknown === u; });
      return e && Array.isArray(e[field || 'shares']) ? e[field || 'shares'] : null;
    }

    function sameShares(a, b) {
      return a && b && a.length === b.length && a.every(function (v, i) { return Math.abs(v - b[i]) <= 1e-12; });
    }

    // The families' share vectors of unknown u, families whose shares agree
    // drawn once ("Triangular = Uniform"); of correlated entries the full
    // indices and then the independent ones.
    function shareSeries(blocks, u) {
      const series = [];
      for (const block of blocks) {
        const shares = sharesOf(block, u);
        if (!shares) continue;
        const same = series.find(function (s) { return sameShares(s.shares, shares); });
        if (same) same.label += ' = ' + block.family;
        else series.push({label: String(block.family), shares: shares});
        const independent = sharesOf(block, u, 'independent_shares');
        if (independent) series.push({label: block.family + ', independent part', shares: independent});
      }
      return series;
    }

    const SERIES_COLOURS = [COLOUR.blue, COLOUR.orange, COLOUR.purple];

    function sharesCard(ctx, u) {
      const blocks = sensitivityOf(ctx.system);
      const card = el('figure', {class: 'card shares'});
      card.append(el('figcaption', null, el('span', {class: 'card-title'},
        'Which entries drive x' + u + ': shares of Var(x' + u + ')')));
      if (!blocks) {
        const why = ctx.system.sensitivity_reason;
        // The page leaves out the shares of large systems ("not drawn ...").
        const text = why && why.indexOf('not drawn') === 0 ? 'Variance shares ' + why + '.'
          : 'Variance shares not computed' + (why ? ': ' + why + '.' : '.');
        card.append(el('p', {class: 'no-samples'}, text));
        return {card: card, create: null};
      }
      const series = shareSeries(blocks, u);
      if (!series.length) {
        card.append(el('p', {class: 'no-samples'}, 'x' + u + ' has no spread to share out.'));
        return {card: card, create: null};
      }
      const n = series[0].shares.length;
      const order = Array.from({length: n}, function (_, j) { return j; }).sort(function (a, b) {
        const ma = Math.max.apply(null, series.map(function (s) { return s.shares[a]; }));
        const mb = Math.max.apply(null, series.map(function (s) { return s.shares[b]; }));
        return mb - ma || a - b;
      });
      const shown = order.slice(0, SHARES_SHOWN);
      const rest = order.slice(SHARES_SHOWN);
      const labels = shown.map(function (j) { return 'b' + j; });
      if (rest.length) labels.push(rest.length + ' other entries');
      const values = series.map(function (s) {
        const v = shown.map(function (j) { return s.shares[j]; });
        if (rest.length) v.push(rest.reduce(function (sum, j) { return sum + s.shares[j]; }, 0));
        return v;
      });
      const header = ['entry'].concat(series.map(function (s) { return s.label; }));
      const rows = labels.map(function (label, r) {
        return [label].concat(values.map(function (v) { return v[r]; }));
      });
      const canvas = el('canvas', {role: 'img', 'aria-label': 'Largest variance shares of x' + u});
      const box = el('div', {class: 'chart-box'}, canvas);
      box.style.height = (90 + 24 * labels.length) + 'px';
      card.append(box);
      let chart = null;
      const base = 'linprob_' + h.fileSafe(h.systemLabel(ctx.system, ctx.position)) + '_x' + u + '_shares.';
      card.append(el('div', {class: 'toolbar no-print'},
        el('button', {type: 'button', onclick: function () { if (chart) h.download(base + 'png', chart.toBase64Image('image/png')); }}, 'PNG'),
        el('button', {type: 'button', onclick: function () { h.downloadCsv(base + 'csv', header, rows); }}, 'CSV')));
      card.append(el('details', {class: 'numbers-details'}, el('summary', null, 'Numbers'),
        el('div', {class: 'details-body'}, h.numberTable(header, rows, null, 'Share of the variance'))));
      card.append(el('p', {class: 'small muted'}, ctx.system.sensitivity_note
        ? 'Correlated entries: ' + series[0].label + ', entry j’s full first-order index corr(xᵢ, bⱼ)² (with what it shares with the other entries; these need not add up to 1); independent part, the index of what of bⱼ is independent of the other entries.'
        : 'Entry j’s share (A⁻¹)ᵢⱼ² σⱼ² / Var(xᵢ): for a linear map of independent entries both its first-order and its total Sobol index.'));

      function create() {
        chart = h.makeChart(canvas, {
          type: 'bar',
          data: {labels: labels, datasets: series.map(function (s, k) {
            return {label: s.label, data: values[k], backgroundColor: SERIES_COLOURS[k % SERIES_COLOURS.length],
              borderWidth: 0, legendStyle: 'rect'};
          })},
          options: {
            indexAxis: 'y',
            scales: {
              x: {min: 0, max: 1, title: h.axisTitle('share of the variance'), grid: {color: '#e6e6e6'},
                ticks: {callback: function (v) { return fmt(v, 2); }}},
              y: {grid: {display: false}}
            },
            plugins: {
              legend: {position: 'bottom', labels: {usePointStyle: true, boxWidth: 10, padding: 10, generateLabels: h.legendLabels}},
              tooltip: {callbacks: {label: function (item) { return item.dataset.label + ': ' + fmt(item.parsed.x, 4); }}}
            }
          }
        });
      }
      return {card: card, create: create};
    }

    // Light to dark blue: larger shares darker.
    function shadeOf(share) {
      const t = Math.max(0, Math.min(1, share));
      const from = [247, 251, 255];
      const to = [8, 48, 107];
      const c = from.map(function (v, i) { return Math.round(v + (to[i] - v) * Math.sqrt(t)); });
      return 'rgb(' + c.join(',') + ')';
    }

    function heatMapCard(ctx) {
      const blocks = sensitivityOf(ctx.system);
      if (!blocks || !blocks.length) return null;
      const card = el('figure', {class: 'card heat-map'});
      const title = el('figcaption', null, el('span', {class: 'card-title'}, 'Share matrix: rows xᵢ, columns bⱼ'),
        el('span', {class: 'mode-caption'}));
      card.append(title);
      const tabs = el('div', {class: 'tabs no-print', role: 'tablist', 'aria-label': 'family'});
      card.append(tabs);
      const canvas = el('canvas', {role: 'img'});
      card.append(el('div', {class: 'chart-box heat-box'}, canvas));
      card.append(el('p', {class: 'small muted'}, 'Darker: a larger share of the unknown’s variance (white 0, darkest 1). An empty row: no spread.'));
      const details = el('div', {class: 'details-body'});
      card.append(el('details', {class: 'numbers-details'}, el('summary', null, 'Numbers'), details));
      let current = 0;
      let chart = null;

      function matrix() {
        const block = blocks[current];
        return (block.unknowns || []).filter(Boolean).map(function (e) { return Array.isArray(e.shares) ? e.shares : null; });
      }
      function fill() {
        const rows = matrix();
        const n = rows.length;
        const header = ['unknown'].concat(Array.from({length: n}, function (_, j) { return 'b' + j; }));
        details.replaceChildren(h.numberTable(header, rows.map(function (r, i) {
          return ['x' + i].concat(r || Array(n).fill(null));
        }), null, 'Shares, ' + blocks[current].family + ' family'));
        title.lastChild.textContent = ' · ' + blocks[current].family + ' family';
        canvas.setAttribute('aria-label', 'Share matrix of the ' + blocks[current].family + ' family');
      }
      const buttons = blocks.map(function (block, b) {
        const button = el('button', {type: 'button', role: 'tab', onclick: function () { select(b); }}, String(block.family));
        tabs.append(button);
        return button;
      });
      function select(b) {
        current = b;
        buttons.forEach(function (button, i) { button.setAttribute('aria-selected', i === b ? 'true' : 'false'); });
        fill();
        if (chart) {
          chart.data.datasets[0].data = cellPoints();
          chart.update('none');
        }
      }
      function cellPoints() {
        const points = [];
        matrix().forEach(function (row, i) {
          (row || []).forEach(function (share, j) { points.push({x: j, y: i, share: share}); });
        });
        return points;
      }
      select(0);

      function create() {
        const n = matrix().length;
        const cells = {
          id: 'shareCells',
          beforeDatasetsDraw: function (c) {
            const x = c.scales.x;
            const y = c.scales.y;
            const g = c.ctx;
            g.save();
            for (const p of c.data.datasets[0].data) {
              g.fillStyle = shadeOf(p.share);
              const left = x.getPixelForValue(p.x - 0.5);
              const top = y.getPixelForValue(p.y - 0.5);
              g.fillRect(left, top, x.getPixelForValue(p.x + 0.5) - left, y.getPixelForValue(p.y + 0.5) - top);
            }
            g.restore();
          }
        };
        const axis = function (name) {
          return {type: 'linear', min: -0.5, max: n - 0.5, title: h.axisTitle(name), grid: {display: false},
            afterBuildTicks: function (scale) {
              const step = Math.max(1, Math.ceil(n / 16));
              scale.ticks = [];
              for (let v = 0; v < n; v += step) scale.ticks.push({value: v});
            },
            ticks: {callback: function (v) { return String(v); }}};
        };
        const yAxis = axis('unknown xᵢ');
        yAxis.reverse = true;
        chart = h.makeChart(canvas, {
          type: 'scatter',
          data: {datasets: [{label: 'share', data: cellPoints(), pointRadius: 0, pointHitRadius: 8}]},
          options: {
            scales: {x: axis('entry bⱼ'), y: yAxis},
            plugins: {
              legend: {display: false},
              tooltip: {callbacks: {label: function (item) {
                return 'x' + item.raw.y + ' from b' + item.raw.x + ': ' + fmt(item.raw.share, 4);
              }}}
            }
          },
          plugins: [cells]
        });
      }
      return {card: card, create: create};
    }

    return {setRun: setRun, dataset: dataset, extendTable: extendTable, checkRows: checkRows,
            describe: describe, distanceTable: distanceTable, sharesCard: sharesCard,
            heatMapCard: heatMapCard};
  };
})();
