  // ---- the interval matrix (IntMatice.txt) --------------------------------

  const PIVOTING_BY_INDEX = ['no pivoting', 'row pivoting', 'column pivoting', 'row and column pivoting'];
  const ENCLOSURE_COLOURS = [COLOUR.sky, COLOUR.blue, COLOUR.green, COLOUR.yellow,
    COLOUR.orange, COLOUR.purple, COLOUR.vermillion, COLOUR.black];
  const INTERVALS_DRAWN = 20;  // above this many unknowns, the table alone

  function enclosureLabel(e) {
    return e.mode === null || e.mode === undefined ? String(e.method)
      : e.method + ', ' + (PIVOTING_BY_INDEX[e.mode] || 'mode ' + e.mode);
  }

  // A system's interval matrix: how far each enclosure overestimates, and
  // per unknown the enclosures drawn over one another (the hull innermost).
  function intervalMatrixCard(system) {
    const im = system.interval_matrix;
    if (!im) return null;
    const card = el('figure', {class: 'card interval-matrix'});
    card.append(el('figcaption', null, el('span', {class: 'card-title'},
      'Interval matrix [A]: enclosures of the solutions of [A] x = [b]')));
    if (!im.regular) {
      card.append(el('p', {class: 'no-samples'}, 'Not computed: ' + (im.reason || 'no reason given') + '.'));
      return {card: card, create: null};
    }
    const enclosures = (Array.isArray(im.enclosures) ? im.enclosures : []).filter(Boolean);
    const rows = enclosures.map(function (e) {
      return [enclosureLabel(e), isNumber(e.worst_overestimation) ? fmt(e.worst_overestimation, 6) : (e.reason || '—')];
    });
    card.append(el('div', {class: 'table-wrap'}, numberTable(['enclosure', 'worst width over the ' + (im.reference || 'reference')],
      rows, function (v) { return v; }, 'Overestimation, worst unknown')));
    if (im.note) card.append(el('p', {class: 'small muted'}, im.note + '.'));
    const drawn = enclosures.filter(function (e) { return Array.isArray(e.bounds); });
    const n = drawn.length ? drawn[0].bounds.length : 0;
    if (!drawn.length || n > INTERVALS_DRAWN) return {card: card, create: null};
    // The widest first, so that the narrower ones are drawn over them.
    drawn.sort(function (a, b) { return (b.worst_overestimation || 0) - (a.worst_overestimation || 0); });
    const labels = Array.from({length: n}, function (_, i) { return 'x' + i; });
    const canvas = el('canvas', {role: 'img', 'aria-label': 'Enclosures of each unknown'});
    const box = el('div', {class: 'chart-box'}, canvas);
    box.style.height = (120 + 22 * n * Math.min(drawn.length, 4)) + 'px';
    card.append(box);
    function create() {
      makeChart(canvas, {
        type: 'bar',
        data: {labels: labels, datasets: drawn.map(function (e, k) {
          return {label: enclosureLabel(e), data: e.bounds.map(function (b) { return [b[0], b[1]]; }),
            backgroundColor: ENCLOSURE_COLOURS[k % ENCLOSURE_COLOURS.length], borderWidth: 0,
            grouped: false, barPercentage: 0.9 - 0.08 * k, legendStyle: 'rect'};
        })},
        options: {
          indexAxis: 'y',
          scales: {x: {title: axisTitle('value'), grid: {color: '#e6e6e6'}}, y: {grid: {display: false}}},
          plugins: {legend: {position: 'bottom', labels: {usePointStyle: true, boxWidth: 10, padding: 10, generateLabels: legendLabels}}}
        }
      });
    }
    return {card: card, create: create};
  }

