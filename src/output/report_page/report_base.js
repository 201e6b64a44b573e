// Builds the report page from the results document (the element "results").
//
// Every text taken from the document reaches the page as a text node or an
// attribute value (textContent, append, setAttribute), never as markup. Links
// to the run's files are relative and built from fixed prefixes with each
// path segment percent-encoded, so a value can never become a script URL.
//
// When the page and the charts of its first two screens are drawn, <body>
// gets data-render-ms (milliseconds since the page started loading); the
// other charts follow in short slices. When every chart has been drawn, it
// gets data-charts-drawn (the number of charts that completed a draw),
// data-all-drawn-ms and data-page-height (pixels, for full-page
// screenshots).
//
// The renderer is split by concept into report_*.js; the build joins them in
// the order src/output/CMakeLists.txt lists them (this file first,
// report_main.js last) into the one script of the page, inside the function
// scope this file opens and report_main.js closes.
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
  const MATRIX_SHOWN = 20;       // above this many unknowns, the matrix as a heat map
  const UNKNOWNS_ALL_SHOWN = 8;  // above this, one unknown's charts at a time
  const EXPORT_LINKS_SHOWN = 40;
  const MARKED_BANDS = 200;      // above this, the approximations' lines have no markers

  // Where the page lies: the prefixes of links to the files of Report/ and
  // to the run's folder, set from the document (a system's own page lies
  // one folder below Report/).
  const place = {report: '', run: '../'};

  const liveCharts = new Set();
  const drawnCharts = new Set();
  const drawnMaps = new Set();   // heat-map canvases, drawn without the chart library

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

  // The entry of unknown u in a list: the document lists the unknowns in
  // order, so entries[u] is looked at first.
  function entryOf(entries, u) {
    if (!Array.isArray(entries)) return null;
    const at = entries[u];
    if (at && at.unknown === u) return at;
    return entries.find(function (e) { return e && e.unknown === u; }) || null;
  }
  function modeUnknown(mode, u) {
    return entryOf(mode && mode.unknowns, u);
  }
  function familyOf(mode, family) {
    return (mode && Array.isArray(mode.families) ? mode.families : [])
      .find(function (f) { return f && f.family === family; }) || null;
  }
  function familyUnknown(mode, family, u) {
    const f = familyOf(mode, family);
    return entryOf(f && f.unknowns, u);
  }
  // A large run's page holds the full tables of its worst unknowns only; the
  // others' entries are summaries: total_variation and validated, each
  // [INVALID, exact linear].
  function isSummary(entry) {
    return !!entry && !('valid' in entry) && 'total_variation' in entry;
  }
  // Whether the phase solved jobs for the entry (full or summary).
  function wasSolved(entry) {
    return hasSamples(entry) || (isSummary(entry) && Array.isArray(entry.total_variation));
  }
  const CHECK_SLOT = {invalid: 0, exact_linear: 1};
  function totalVariationOf(entry, key) {
    if (!entry) return null;
    if (isSummary(entry)) return Array.isArray(entry.total_variation) ? entry.total_variation[CHECK_SLOT[key]] : null;
    const d = entry.discrepancy && entry.discrepancy[key];
    return d ? d.total_variation : null;
  }
  // true, false, or null (undecided or not computed).
  function validatedOf(entry, key) {
    if (!entry) return null;
    if (isSummary(entry)) {
      const v = Array.isArray(entry.validated) ? entry.validated[CHECK_SLOT[key]] : null;
      return typeof v === 'boolean' ? v : null;
    }
    const g = entry.gum_validation && entry.gum_validation[key];
    return g && typeof g.validated === 'boolean' ? g.validated : null;
  }
  function hasValidation(entry, key) {
    if (isSummary(entry)) return Array.isArray(entry.validated) && entry.validated[CHECK_SLOT[key]] !== undefined;
    return !!(entry && entry.gum_validation && entry.gum_validation[key]);
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

