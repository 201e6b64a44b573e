  // ---- a random matrix (NormalMatice.txt, UniformMatice.txt) --------------

  // The worst first-order discrepancy of a family's unknowns, and whether
  // any of them failed its validation against the coverage interval.
  function firstOrderVerdict(fam) {
    let worst = null;
    let failed = false;
    let shift = null;  // the largest second-order shift of a mean, in sds
    const second = fam.random_matrix && Array.isArray(fam.random_matrix.second_order_mean)
      ? fam.random_matrix.second_order_mean : [];
    for (const entry of (Array.isArray(fam.unknowns) ? fam.unknowns : [])) {
      if (!entry) continue;
      const normal = entry.invalid;
      const corrected = second[entry.unknown];
      if (normal && isNumber(normal.mean) && isNumber(normal.sd) && normal.sd > 0 && isNumber(corrected)) {
        const s = Math.abs(corrected - normal.mean) / normal.sd;
        if (shift === null || s > shift) shift = s;
      }
      const d = entry.discrepancy && entry.discrepancy.invalid;
      const tv = d ? d.total_variation : entry.total_variation;
      if (isNumber(tv) && (worst === null || tv > worst)) worst = tv;
      const g = entry.gum_validation && entry.gum_validation.invalid;
      const validated = g ? g.validated : entry.validated;
      if (validated === false) failed = true;
    }
    return {worst: worst, failed: failed, shift: shift};
  }

  // Per pivoting mode and family whose matrix was random: the share of
  // near-singular jobs (counted, not solved), of those whose pivots
  // differed from the mean matrix's, and where the first-order normal
  // approximation (INVALID) fails.
  function randomMatrixCard(system) {
    const rows = [];
    const failing = [];
    for (const mode of (Array.isArray(system.modes) ? system.modes : [])) {
      if (!mode) continue;
      for (const fam of (Array.isArray(mode.families) ? mode.families : [])) {
        const random = fam && fam.random_matrix;
        if (!random) continue;
        const verdict = firstOrderVerdict(fam);
        rows.push([modeShort(mode.mode), fam.family, random.file,
          fmt(random.near_singular_share, 4) + ' (' + random.near_singular + ' of ' + random.jobs + ')',
          fmt(random.pivot_change_share, 4),
          verdict.worst === null ? '—' : fmt(verdict.worst, 4),
          verdict.shift === null ? '—' : fmt(verdict.shift, 3),
          verdict.failed ? '✗ fails' : '✓ holds']);
        if (verdict.failed) failing.push(modeName(mode.mode) + ', ' + fam.family);
      }
    }
    if (!rows.length) return null;
    const card = el('figure', {class: 'card random-matrix'});
    card.append(el('figcaption', null, el('span', {class: 'card-title'},
      'Random matrix: each job eliminated on its own')));
    card.append(el('div', {class: 'table-wrap'}, numberTable(
      ['pivoting', 'family', 'file', 'near-singular share', 'pivot-change share',
        'first-order TV', '2nd-order mean shift (sd)', 'first-order normal'],
      rows, function (v) { return v; }, 'What the jobs did, and the first-order approximation (worst unknown)')));
    card.append(el('p', {class: 'small muted'}, failing.length
      ? 'The first-order approximation fails its validation for: ' + failing.join('; ') +
        '. Its normal is taken at the mean matrix and neglects how A\u207b\u00b9 bends.'
      : 'The first-order approximation passes its validation wherever it was decided.'));
    return {card: card, create: null};
  }
