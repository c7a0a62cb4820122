// SPDX-License-Identifier: GPL-3.0-or-later
// The page's cartelle (src/network/page/cartelle.js) against the program's, serie by serie.
// Usage: cartelle_check.js PRINT_SERIES
'use strict';
const assert = require('assert');
const { execFileSync } = require('child_process');
const { generateSerie, cartellaRows } = require(`${__dirname}/../../src/network/page/cartelle.js`);

for (const [first, last] of [
  [1, 3000],
  [49990, 50010],
  [99900, 99999],
]) {
  const lines = execFileSync(process.argv[2], [String(first), String(last)], { encoding: 'utf8', maxBuffer: 1 << 24 }).trim().split('\n');
  assert.strictEqual(lines.length, last - first + 1);
  lines.forEach((line, i) => assert.strictEqual(generateSerie(first + i).flat(2).join(' '), line.trim(), `serie ${first + i}`));
}
assert.deepStrictEqual(cartellaRows('42-3-U'), generateSerie(42)[2]);
console.log('cartelle_check: ok');
