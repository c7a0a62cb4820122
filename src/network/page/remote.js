// The page's broker mode: with ?broker=wss://…&stanza=ROOM in its link, the page follows the
// game through an MQTT broker (MqttClient, mqtt.js) instead of the program on the hall's
// network, wherever the page itself was loaded from.
'use strict';

const REMOTE_ID_KEY = 'sorteggina.remote.id';
const REMOTE_TEXTS = {
  lost: 'broker non raggiungibile, riprovo…',
  refused: (code) => `il broker rifiuta il collegamento (codice ${code}), riprovo…`,
  badLink: 'Indirizzo del broker o stanza non validi: inquadra di nuovo il QR del banco.',
  notSent: 'Non collegato al banco: la chiamata non è partita. Riprova quando torna «in diretta».',
};

// The broker and room of the link, null when there is none, false when they do not read.
function remoteAddress(search) {
  const query = new URLSearchParams(search);
  const broker = query.get('broker');
  if (broker === null) return null;
  const room = query.get('stanza') || '';
  let url;
  try {
    url = new URL(broker);
  } catch (e) {
    return false;
  }
  if ((url.protocol !== 'ws:' && url.protocol !== 'wss:') || url.username || url.password || broker.length > 300) return false;
  return /^[A-Za-z0-9-]{1,40}$/.test(room) ? { broker: url.href, room } : false;
}

// This phone's name on the broker, kept so that its verdicts find it after a reload.
function remotePhoneId(storage) {
  try {
    const kept = storage.getItem(REMOTE_ID_KEY);
    if (/^p-[0-9a-f]{20}$/.test(kept || '')) return kept;
  } catch (e) {
    // private browsing: a new name for this visit
  }
  const bytes = crypto.getRandomValues(new Uint8Array(10));
  const id = `p-${Array.from(bytes, (b) => b.toString(16).padStart(2, '0')).join('')}`;
  try {
    storage.setItem(REMOTE_ID_KEY, id);
  } catch (e) {
    // as above
  }
  return id;
}

// page: { state(message), verdict(text), link(text, lost) }. Returns the page's way to send,
// or null when the link names no broker (the page then talks to the hall's program).
function startRemote(page, search = location.search) {
  const address = remoteAddress(search);
  if (address === null) return null;
  if (address === false) {
    page.link(REMOTE_TEXTS.badLink, true);
    return { send() {} };
  }
  const root = `sorteggina/${address.room}/`;
  const id = remotePhoneId(localStorage);
  const answers = `${root}risposte/${id}`;
  const client = new MqttClient(address.broker, {
    clientId: id,
    // The broker keeps this phone's verdicts while it is away; the state comes retained anyway.
    clean: false,
    topics: [
      [`${root}stato`, 0],
      [answers, 1],
    ],
    onLink: (up, refusal) => page.link(up ? TEXTS.live : refusal ? REMOTE_TEXTS.refused(refusal) : REMOTE_TEXTS.lost, !up),
    onMessage: (topic, text) => {
      let message;
      try {
        message = JSON.parse(text);
      } catch (e) {
        return;
      }
      if (!message || typeof message !== 'object') return;
      if (topic === `${root}stato` && message.type === 'state') page.state(message);
      else if (topic === answers && (message.type === 'verdict' || message.type === 'refusal')) page.verdict(message.text);
    },
  });
  client.start();
  return {
    send(message) {
      if (message.type === 'claim' && !client.publish(`${root}chiamate/${id}`, JSON.stringify(message))) page.verdict(REMOTE_TEXTS.notSent);
    },
  };
}
