// The players' page: follows the board live and keeps the player's cartelle on this phone.
'use strict';

const PRIZES = ['Ambo', 'Terno', 'Quaterna', 'Cinquina', 'Tombola'];
const PRIZE_COUNTS = [2, 3, 4, 5, 15];
const MAX_CARTELLE = 12;
const CHECK_LETTERS = 'ACEFHKMRUWX';
const STORE_KEY = 'sorteggina.phone';
const TEXTS = {
  connecting: 'collegamento…',
  live: 'in diretta',
  reconnecting: 'riconnessione…',
  scanAgain: 'Codice scaduto: inquadra di nuovo il QR del banco.',
  count: (n) => `Estratti: ${n} di 90`,
  badCode: 'Codice non valido: controlla numeri e lettera finale.',
  tooMany: `Al massimo ${MAX_CARTELLE} cartelle.`,
  already: 'Questa cartella è già nell’elenco.',
  needName: 'Scrivi il tuo nome prima di chiamare.',
  remove: 'Togli',
  removeLabel: (name) => `Togli la cartella ${name}`,
  cartella: (name) => `Cartella ${name}`,
  call: (prize) => `Chiama ${prize.toUpperCase()}!`,
  missing: (n, prize) => (n === 1 ? `Manca 1 numero per ${prize.toLowerCase()}` : `Mancano ${n} numeri per ${prize.toLowerCase()}`),
  over: 'Premi tutti assegnati',
  drawnCell: (n) => `${n}, estratto`,
  announce: (n, meaning) => (meaning ? `Estratto il ${n}: ${meaning}` : `Estratto il ${n}`),
  tombola: 'TOMBOLA!',
};

const token = new URLSearchParams(location.search).get('t') || '';
const $ = (id) => document.getElementById(id);
let state = { drawn: [], meaning: '', gone: [], inPlay: 0, banner: '', tombola: false, shareable: [] };
let grids = new Map(); // code -> { name, rows }
let saved = load();
let socket = null;
let remote = null; // the broker mode (remote.js), when the link names a broker
let retryMs = 1000;
let lastAnnounced = null;
let shownGame = null;

// The same check letter the board prints: weighted digits modulo eleven.
function checkLetter(serie, cartella) {
  let sum = cartella;
  let weight = 2;
  for (let rest = serie; rest > 0; rest = Math.floor(rest / 10)) sum += weight++ * (rest % 10);
  return CHECK_LETTERS[sum % CHECK_LETTERS.length];
}

function plainNumber(digits, maxDigits) {
  if (!/^[1-9][0-9]*$/.test(digits) || digits.length > maxDigits) return -1;
  return Number(digits);
}

// The printed code in its canonical form, or null when it is not exactly one.
function parseCode(text) {
  const code = text.replace(/\s+/g, '').toUpperCase();
  if (code.length > 9) return null;
  const first = code.indexOf('-');
  const second = code.indexOf('-', first + 1);
  if (first < 0 || second !== code.length - 2) return null;
  const serie = plainNumber(code.slice(0, first), 5);
  const cartella = plainNumber(code.slice(first + 1, second), 1);
  if (serie < 1 || cartella < 1 || cartella > 6 || code[code.length - 1] !== checkLetter(serie, cartella)) return null;
  return `${serie}-${cartella}-${code[code.length - 1]}`;
}

// This phone's own id, made once and kept, so that a verdict finds it after a reconnection.
function newPhoneId() {
  const bytes = new Uint8Array(16);
  crypto.getRandomValues(bytes);
  return Array.from(bytes, (b) => b.toString(16).padStart(2, '0')).join('');
}

function load() {
  let value = {};
  try {
    value = JSON.parse(localStorage.getItem(STORE_KEY) || '{}') || {};
  } catch (e) {
    value = {};
  }
  const codes = Array.isArray(value.codes) ? value.codes.map(String).map(parseCode).filter(Boolean) : [];
  const phone = typeof value.phone === 'string' && /^[A-Za-z0-9-]{1,40}$/.test(value.phone) ? value.phone : newPhoneId();
  const kept = { codes: [...new Set(codes)].slice(0, MAX_CARTELLE), name: typeof value.name === 'string' ? value.name.slice(0, 40) : '', phone };
  if (phone !== value.phone) store(kept);
  return kept;
}

function store(value = saved) {
  try {
    localStorage.setItem(STORE_KEY, JSON.stringify(value));
  } catch (e) {
    // private browsing: the cartelle last until the page closes
  }
}

function sayHello() {
  send({ type: 'hello', codes: saved.codes, phone: saved.phone, name: saved.name.trim() });
}

function send(message) {
  if (remote) remote.send(message);
  else if (socket && socket.readyState === WebSocket.OPEN) socket.send(JSON.stringify(message));
}

function setLink(text, lost) {
  $('link').textContent = text;
  $('link').classList.toggle('lost', lost);
}

function connect() {
  const scheme = location.protocol === 'https:' ? 'wss:' : 'ws:';
  socket = new WebSocket(`${scheme}//${location.host}/ws?t=${encodeURIComponent(token)}`);
  socket.onopen = () => {
    retryMs = 1000;
    setLink(TEXTS.live, false);
    sayHello();
  };
  socket.onmessage = (event) => {
    let message;
    try {
      message = JSON.parse(event.data);
    } catch (e) {
      return;
    }
    if (message.type === 'state') showState(message);
    else if (message.type === 'cartelle') takeCartelle(message.cartelle);
    else if (message.type === 'verdict' || message.type === 'refusal') showVerdict(message.text);
  };
  socket.onclose = (event) => {
    socket = null;
    if (event.code === 1008) {
      setLink(TEXTS.scanAgain, true);
      return;
    }
    setLink(TEXTS.reconnecting, true);
    setTimeout(connect, retryMs);
    retryMs = Math.min(retryMs * 2, 5000);
  };
}

function buildBoard() {
  const board = $('board');
  for (let n = 1; n <= 90; ++n) {
    const cell = document.createElement('div');
    cell.setAttribute('role', 'checkbox');
    cell.setAttribute('aria-readonly', 'true');
    cell.setAttribute('aria-checked', 'false');
    cell.setAttribute('aria-label', String(n));
    cell.textContent = String(n);
    board.appendChild(cell);
  }
}

function showState(next) {
  const drawn = Array.isArray(next.drawn) ? next.drawn.filter((n) => Number.isInteger(n) && n >= 1 && n <= 90) : [];
  state = {
    drawn,
    meaning: typeof next.meaning === 'string' ? next.meaning : '',
    gone: Array.isArray(next.gone) ? next.gone : [],
    inPlay: Number.isInteger(next.inPlay) ? next.inPlay : -1,
    banner: typeof next.banner === 'string' ? next.banner : '',
    tombola: next.tombola === true,
    winners: Array.isArray(next.winners) ? next.winners.filter((w) => typeof w === 'string') : [],
    shareable: Array.isArray(next.shareable)
      ? next.shareable.filter((s) => Array.isArray(s) && Number.isInteger(s[0]) && s[0] >= 0 && s[0] <= 4 && Number.isInteger(s[1]))
      : [],
  };
  // A new game: this phone's verdicts belong to the one before.
  const game = typeof next.game === 'string' ? next.game : '';
  if (shownGame !== null && game !== shownGame) {
    $('verdict').hidden = true;
    $('verdict').textContent = '';
  }
  shownGame = game;
  const out = new Set(drawn);
  const cells = $('board').children;
  for (let n = 1; n <= 90; ++n) cells[n - 1].setAttribute('aria-checked', out.has(n) ? 'true' : 'false');
  const last = drawn.length ? drawn[drawn.length - 1] : null;
  $('last-number').textContent = last === null ? '–' : String(last);
  $('meaning').textContent = state.meaning;
  $('count').textContent = TEXTS.count(drawn.length);
  $('recent').textContent = drawn.slice(-5).reverse().join('  ');
  // A page opened mid-game, or back after losing the network, does not read the old number again.
  if (last !== null && lastAnnounced !== null && last !== lastAnnounced) $('announce').textContent = TEXTS.announce(last, state.meaning);
  lastAnnounced = last === null ? 0 : last;
  const prizes = $('prizes');
  prizes.replaceChildren(
    ...PRIZES.map((name, p) => {
      const item = document.createElement('li');
      item.textContent = name;
      item.classList.toggle('gone', state.gone.includes(p));
      item.classList.toggle('in-play', state.inPlay === p);
      if (state.inPlay === p) item.setAttribute('aria-current', 'true');
      return item;
    }),
  );
  $('winners').replaceChildren(
    ...state.winners.map((text) => {
      const item = document.createElement('li');
      item.textContent = text;
      return item;
    }),
  );
  const banner = state.tombola ? TEXTS.tombola : state.banner;
  $('banner').hidden = !banner;
  $('banner').textContent = banner;
  document.body.classList.toggle('tombola-won', state.tombola);
  showCartelle();
}

function takeCartelle(list) {
  if (!Array.isArray(list)) return;
  grids = new Map();
  for (const item of list) if (item && typeof item.code === 'string' && Array.isArray(item.rows)) grids.set(item.code, item);
  showCartelle();
}

// How many numbers the cartella still needs for the prize in play; 0 when it holds it.
function missingFor(rows, out, prize) {
  const inRow = rows.map((row) => row.filter((n) => n > 0 && out.has(n)).length);
  if (prize === 4) return 15 - inRow.reduce((a, b) => a + b, 0);
  return Math.max(0, PRIZE_COUNTS[prize] - Math.max(...inRow));
}

// How many numbers were out when the cartella first held the prize; 0 while it does not.
function completedAt(rows, drawn, prize) {
  for (let count = 1; count <= drawn.length; ++count) if (missingFor(rows, new Set(drawn.slice(0, count)), prize) === 0) return count;
  return 0;
}

// Every message redraws the cartelle, yet a card that shows the same is kept: a finger on
// its button would lose its tap to a card put in its place.
function showCartelle() {
  const out = new Set(state.drawn);
  const box = $('cartelle');
  const cards = saved.codes.map((code) => cardOf(code, out));
  const shown = [...box.children];
  if (cards.length !== shown.length) box.replaceChildren(...cards);
  else cards.forEach((card, i) => card.outerHTML !== shown[i].outerHTML && shown[i].replaceWith(card));
}

function cardOf(code, out) {
  // Through a broker the page computes the printed cartella from its code (cartelle.js).
  const item = grids.get(code) || (remote && { rows: cartellaRows(code) });
  const card = document.createElement('article');
  card.className = 'cartella';
  const header = document.createElement('header');
  const title = document.createElement('h3');
  title.textContent = TEXTS.cartella(code);
  const remove = document.createElement('button');
  remove.type = 'button';
  remove.className = 'secondary';
  remove.textContent = TEXTS.remove;
  remove.setAttribute('aria-label', TEXTS.removeLabel(code));
  remove.onclick = () => {
    saved.codes = saved.codes.filter((c) => c !== code);
    store();
    sayHello();
    showCartelle();
  };
  header.append(title, remove);
  card.appendChild(header);
  if (item) {
    const table = document.createElement('table');
    table.setAttribute('aria-label', TEXTS.cartella(code));
    for (const row of item.rows) {
      const tr = document.createElement('tr');
      for (const n of row) {
        const td = document.createElement('td');
        if (n > 0) {
          td.textContent = String(n);
          if (out.has(n)) {
            td.className = 'drawn';
            td.setAttribute('aria-label', TEXTS.drawnCell(n));
          }
        } else td.className = 'empty';
        tr.appendChild(td);
      }
      table.appendChild(tr);
    }
    card.appendChild(table);
    const status = document.createElement('p');
    status.className = 'missing';
    const prize = state.inPlay;
    // A prize won is shared by every cartella completed with the same number.
    for (const [shared, countOut] of state.shareable)
      if (shared !== prize && completedAt(item.rows, state.drawn, shared) === countOut) {
        const claim = document.createElement('button');
        claim.type = 'button';
        claim.className = 'claim';
        claim.textContent = TEXTS.call(PRIZES[shared]);
        claim.onclick = () => sendClaim(shared, code);
        card.appendChild(claim);
      }
    if (prize < 0 || prize > 4) status.textContent = TEXTS.over;
    else {
      const missing = missingFor(item.rows, out, prize);
      if (missing === 0) {
        const claim = document.createElement('button');
        claim.type = 'button';
        claim.className = 'claim';
        claim.textContent = TEXTS.call(PRIZES[prize]);
        claim.onclick = () => sendClaim(prize, code);
        card.appendChild(claim);
      } else status.textContent = TEXTS.missing(missing, PRIZES[prize]);
    }
    card.appendChild(status);
  }
  return card;
}

function sendClaim(prize, code) {
  const name = $('name').value.trim();
  if (!name) {
    showVerdict(TEXTS.needName);
    $('name').focus();
    return;
  }
  send({ type: 'claim', prize, code, name });
}

function showVerdict(text) {
  if (typeof text !== 'string') return;
  $('verdict').hidden = false;
  $('verdict').textContent = text;
}

function addCode(event) {
  event.preventDefault();
  const input = $('code');
  const code = parseCode(input.value);
  const problem = $('code-problem');
  if (!code) problem.textContent = TEXTS.badCode;
  else if (saved.codes.includes(code)) problem.textContent = TEXTS.already;
  else if (saved.codes.length >= MAX_CARTELLE) problem.textContent = TEXTS.tooMany;
  else {
    problem.textContent = '';
    input.value = '';
    saved.codes.push(code);
    store();
    sayHello();
    showCartelle();
    return;
  }
  input.setAttribute('aria-invalid', 'true');
  input.focus();
}

buildBoard();
$('name').value = saved.name;
$('name').addEventListener('input', () => {
  saved.name = $('name').value.slice(0, 40);
  store();
});
$('name').addEventListener('change', sayHello);
$('code').addEventListener('input', () => $('code').removeAttribute('aria-invalid'));
$('add-form').addEventListener('submit', addCode);
setLink(TEXTS.connecting, false);
remote = startRemote({ state: showState, verdict: showVerdict, link: setLink });
showCartelle();
if (!remote) connect();
