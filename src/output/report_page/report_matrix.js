// Part of the report page's renderer (see report_base.js): the matrix of a
// system: its condition and verdict in words, and the matrix itself, as a
// table up to MATRIX_SHOWN unknowns and as heat maps of |A| and |A^-1|
// above.
// The parts are joined, in the order src/output/CMakeLists.txt lists them,
// inside the one function scope that report_base.js opens.

  // The system's condition verdict, as the program decided and worded it
  // once (the console prints the same words): from the certified kappa, or
  // the start-of-run check's estimate where there is none.
  const VERDICT_LEVEL = {'well conditioned': 'good', 'moderately conditioned': 'fair', 'ill conditioned': 'fail'};

  function conditionVerdict(system) {
    const verdict = system.condition_verdict;
    if (!verdict || typeof verdict.text !== 'string') return null;
    const level = VERDICT_LEVEL[verdict.level] || 'muted';
    const text = verdict.level === 'well conditioned' ? verdict.text : verdict.level + ': ' + verdict.text;
    return {text: text, level: level, kappa: verdict.condition_number, certified: verdict.source === 'certified'};
  }

  // The certified enclosure of kappa, worth showing when it is wider than
  // a millionth.
  function conditionEnclosure(system) {
    const e = pairOf(system.condition_number_enclosure);
    if (!e || !(e[1] - e[0] > 1e-6 * e[1])) return null;
    return el('span', {class: 'muted'}, ' (certified enclosure ' + fmtInterval(e) + ')');
  }

  // The condition line: kappa and its verdict, or why it is not known.
  function conditionLine(system) {
    const verdict = conditionVerdict(system);
    const reason = typeof system.condition_number_reason === 'string' ? system.condition_number_reason : 'not computed';
    if (verdict && verdict.certified && isNumber(system.condition_number)) {
      return el('p', {class: 'condition'}, 'Condition number κ∞(A) = ',
        el('strong', null, fmt(system.condition_number, 3)), conditionEnclosure(system), ': ',
        el('span', {class: 'verdict ' + verdict.level}, verdict.text));
    }
    if (verdict && isNumber(verdict.kappa)) {
      return el('p', {class: 'condition'}, 'Condition number κ∞(A) ≈ ',
        el('strong', null, fmt(verdict.kappa, 3)),
        el('span', {class: 'muted'}, ' (the start-of-run check’s estimate; certified value not known: ' + reason + ')'), ': ',
        el('span', {class: 'verdict ' + verdict.level}, verdict.text));
    }
    return el('p', {class: 'condition'}, 'Condition number κ∞(A): ',
      el('span', {class: 'verdict muted'}, 'not known (' + reason + ')'),
      el('span', {class: 'muted'}, '; without it, the correct digits of the results cannot be counted.'));
  }

  // The whole matrix and the right-hand sides, for a small system.
  function matrixTable(system) {
    const matrix = Array.isArray(system.matrix) ? system.matrix : [];
    const n = matrix.length;
    const rows = n;
    const cols = n ? (matrix[0] || []).length : 0;
    const rhs = Array.isArray(system.rhs) ? system.rhs : [];
    const intervals = Array.isArray(system.interval_rhs) ? system.interval_rhs : [];
    const table = el('table', {class: 'matrix'});
    table.append(el('caption', null, 'Matrix A and right-hand sides'));
    const head = el('tr', null, el('th', {scope: 'col'}, 'eq.'));
    for (let j = 0; j < cols; ++j) head.append(el('th', {scope: 'col'}, 'x' + j));
    head.append(el('th', {scope: 'col', class: 'rule'}, 'b'), el('th', {scope: 'col'}, 'interval b'));
    table.append(el('thead', null, head));
    const body = el('tbody');
    for (let i = 0; i < rows; ++i) {
      const tr = el('tr', null, el('th', {scope: 'row'}, String(i)));
      for (let j = 0; j < cols; ++j) tr.append(el('td', {class: 'num'}, fmt((matrix[i] || [])[j])));
      tr.append(el('td', {class: 'num rule'}, fmt(rhs[i])), el('td', {class: 'num'}, fmtInterval(intervals[i])));
      body.append(tr);
    }
    table.append(body);
    return el('div', {class: 'table-wrap'}, table);
  }

  // ---- heat maps --------------------------------------------------------

  // The map of a full matrix, as the page's copy of the document gives it
  // for a large system (page_document.h): blocks of `block` entries a side,
  // each the largest magnitude in it.
  function mapOfMatrix(matrix) {
    const n = matrix.length;
    const block = Math.ceil(n / 100);
    const rows = [];
    for (let r0 = 0; r0 < n; r0 += block) {
      const row = [];
      for (let c0 = 0; c0 < n; c0 += block) {
        let top = 0;
        for (let r = r0; r < Math.min(n, r0 + block); ++r) {
          for (let c = c0; c < Math.min(n, c0 + block); ++c) top = Math.max(top, Math.abs((matrix[r] || [])[c]) || 0);
        }
        row.push(top);
      }
      rows.push(row);
    }
    return {size: n, block: block, max_abs: rows};
  }

  // Light to dark blue as the magnitude grows (the legend's .heat-bar in
  // report.css shows the same stops).
  const HEAT_STOPS = [[247, 251, 255], [198, 219, 239], [107, 174, 214], [33, 113, 181], [8, 48, 107]];
  function heatColour(t) {
    const x = Math.min(1, Math.max(0, t)) * (HEAT_STOPS.length - 1);
    const i = Math.min(HEAT_STOPS.length - 2, Math.floor(x));
    const f = x - i;
    const c = HEAT_STOPS[i].map(function (v, k) { return Math.round(v + f * (HEAT_STOPS[i + 1][k] - v)); });
    return 'rgb(' + c.join(',') + ')';
  }

  // A heat map of one map on a canvas, drawn at once; a line under it names
  // the block under the pointer.
  function heatMap(map, title, symbol) {
    const cells = Array.isArray(map.max_abs) ? map.max_abs : [];
    const count = cells.length;
    const positive = [];
    for (const row of cells) for (const v of row || []) if (isNumber(v) && v > 0) positive.push(v);
    const low = positive.length ? Math.log10(Math.min.apply(null, positive)) : 0;
    const high = positive.length ? Math.log10(Math.max.apply(null, positive)) : 0;
    const span = high - low;
    const pixels = Math.max(2, Math.floor(400 / Math.max(1, count)));
    const canvas = el('canvas', {role: 'img', width: count * pixels, height: count * pixels, class: 'heat-map',
      'aria-label': title + ': ' + count + ' by ' + count + ' blocks'});
    const context = canvas.getContext('2d');
    cells.forEach(function (row, r) {
      (row || []).forEach(function (v, c) {
        context.fillStyle = !isNumber(v) || v <= 0 ? '#ffffff' : heatColour(span > 0 ? (Math.log10(v) - low) / span : 1);
        context.fillRect(c * pixels, r * pixels, pixels, pixels);
      });
    });
    drawnMaps.add(canvas);
    const block = Number.isInteger(map.block) && map.block > 0 ? map.block : 1;
    const size = Number.isInteger(map.size) ? map.size : count * block;
    const pointer = el('p', {class: 'small muted heat-pointer'}, 'Point at a block for its largest |' + symbol + '|.');
    canvas.addEventListener('mousemove', function (event) {
      const box = canvas.getBoundingClientRect();
      const c = Math.floor((event.clientX - box.left) / box.width * count);
      const r = Math.floor((event.clientY - box.top) / box.height * count);
      if (!(r >= 0 && r < count && c >= 0 && c < count)) return;
      const range = function (k) {
        const first = k * block;
        const last = Math.min(size, first + block) - 1;
        return first === last ? String(first) : first + '–' + last;
      };
      pointer.textContent = 'Rows ' + range(r) + ', columns ' + range(c) + ': largest |' + symbol + '| ' + fmt((cells[r] || [])[c]);
    });
    const legend = el('div', {class: 'heat-legend'}, el('span', null, positive.length ? fmt(Math.pow(10, low), 2) : '0'),
      el('span', {class: 'heat-bar'}), el('span', null, positive.length ? fmt(Math.pow(10, high), 2) : '0'),
      el('span', {class: 'muted'}, ' (logarithmic; white: 0)'));
    return el('figure', {class: 'card heat'}, el('figcaption', null, el('span', {class: 'card-title'}, title)),
      canvas, legend, pointer,
      el('p', {class: 'small muted'}, block > 1 ? 'Each block: ' + block + ' × ' + block + ' entries, its largest magnitude.'
        : 'Each block: one entry.'));
  }

  // The matrix: a table for a small system, heat maps of |A| and, when the
  // references were certified, of |A^-1| for a large one.
  function matrixView(system) {
    const n = Array.isArray(system.matrix) ? system.matrix.length
      : system.matrix_map && Number.isInteger(system.matrix_map.size) ? system.matrix_map.size : 0;
    if (n <= MATRIX_SHOWN && Array.isArray(system.matrix)) return matrixTable(system);
    const map = system.matrix_map || (Array.isArray(system.matrix) ? mapOfMatrix(system.matrix) : null);
    const maps = el('div', {class: 'heat-maps'});
    if (map) maps.append(heatMap(map, 'Matrix |A|, ' + n + ' × ' + n, 'a'));
    if (system.inverse_map) maps.append(heatMap(system.inverse_map, 'Inverse |A⁻¹| (certified), ' + n + ' × ' + n, 'A⁻¹'));
    maps.append(el('p', {class: 'small muted'}, 'The whole system, right-hand sides included, is in results.json.'));
    return maps;
  }
