// The printed cartelle computed on the phone from their code, so that nothing about them needs
// to cross a broker. Step for step the program's own series (src/cartelle/serie.cpp): the same
// splitmix64 from the same seed, the same draws in the same order. Changing one step here
// shows another cartella than the one printed; tests/network/cartelle_check.js compares them.
'use strict';

const SERIE_MASK = (1n << 64n) - 1n;

function serieRandom(serie) {
  let state = 0x536f727465676769n ^ BigInt(serie);
  const next = () => {
    state = (state + 0x9e3779b97f4a7c15n) & SERIE_MASK;
    let z = state;
    z = ((z ^ (z >> 30n)) * 0xbf58476d1ce4e5b9n) & SERIE_MASK;
    z = ((z ^ (z >> 27n)) * 0x94d049bb133111ebn) & SERIE_MASK;
    return z ^ (z >> 31n);
  };
  const below = (bound) => Number(((next() >> 32n) * BigInt(bound)) >> 32n);
  const shuffle = (items) => {
    for (let i = items.length - 1; i > 0; --i) {
      const j = below(i + 1);
      [items[i], items[j]] = [items[j], items[i]];
    }
  };
  return { shuffle };
}

const firstOfColumn = (c) => (c === 0 ? 1 : 10 * c);
const lastOfColumn = (c) => (c === 8 ? 90 : 10 * c + 9);

// How many numbers each cartella takes from each column (dealt again when one gets a fourth).
function dealColumnCounts(random) {
  const leftOver = [];
  for (let c = 0; c < 9; ++c) for (let n = 6; n < lastOfColumn(c) - firstOfColumn(c) + 1; ++n) leftOver.push(c);
  for (;;) {
    random.shuffle(leftOver);
    const counts = Array.from({ length: 6 }, () => Array(9).fill(1));
    let fits = true;
    for (let u = 0; u < leftOver.length && fits; ++u) fits = ++counts[Math.floor(u / 6)][leftOver[u]] <= 3;
    if (fits) return counts;
  }
}

function placeInRows(numbers, counts, random) {
  const columns = [0, 1, 2, 3, 4, 5, 6, 7, 8];
  random.shuffle(columns);
  const need = [5, 5, 5];
  const grid = [Array(9).fill(0), Array(9).fill(0), Array(9).fill(0)];
  for (const c of columns) {
    const rows = [0, 1, 2];
    random.shuffle(rows);
    rows.sort((a, b) => need[b] - need[a]); // stable, as the program's
    const chosen = [false, false, false];
    for (let k = 0; k < counts[c]; ++k) chosen[rows[k]] = true;
    for (let r = 0, k = 0; r < 3; ++r)
      if (chosen[r]) {
        grid[r][c] = numbers[c][k++];
        --need[r];
      }
  }
  return grid;
}

// The six cartelle of a serie (1 to 99999), each three rows of nine cells, 0 for an empty one.
function generateSerie(serie) {
  const random = serieRandom(serie);
  const counts = dealColumnCounts(random);
  const numbers = Array.from({ length: 6 }, () => []);
  for (let c = 0; c < 9; ++c) {
    const column = [];
    for (let n = firstOfColumn(c); n <= lastOfColumn(c); ++n) column.push(n);
    random.shuffle(column);
    for (let i = 0, next = 0; i < 6; ++i) {
      numbers[i][c] = column.slice(next, next + counts[i][c]).sort((a, b) => a - b);
      next += counts[i][c];
    }
  }
  return numbers.map((shares, i) => placeInRows(shares, counts[i], random));
}

// The rows of a code the page has already read ("42-3-U").
function cartellaRows(code) {
  const [serie, cartella] = code.split('-').map(Number);
  return generateSerie(serie)[cartella - 1];
}

if (typeof module !== 'undefined') module.exports = { generateSerie, cartellaRows };
